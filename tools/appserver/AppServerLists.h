#pragma once

// The plain list pages: GET "/lists/NAME?start=&count=" answers
// {"status": {"code", "message"}, "data": {"items": [...]}} with the items
// of list NAME at positions [start, start + count): one of the world's lists
// (AppServerWorld.h, other query items as they are, without "zmr-") or a
// canned list; count defaults to 20 and is at most 1000. The list "broken"
// always answers code 17.

#include <functional>
#include <memory>

namespace httplib {
class Server;
}

namespace zmr {

class AppStore;

void addListRoutes(httplib::Server& server, std::shared_ptr<AppStore> store, std::function<int()> port);

}
