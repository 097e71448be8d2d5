#pragma once

// The plain list pages: GET "/lists/NAME?start=&count=" answers
// {"status": {"code", "message"}, "data": {"items": [...]}} with the seeded
// items of list NAME at positions [start, start + count); count defaults to
// 20 and is at most 1000. The list "broken" always answers code 17.

#include <memory>

namespace httplib {
class Server;
}

namespace zmr {

class AppStore;

void addListRoutes(httplib::Server& server, std::shared_ptr<AppStore> store);

}
