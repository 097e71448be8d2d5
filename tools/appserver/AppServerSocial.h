#pragma once

// The application server's feature tasks beyond sign-in and lists: points,
// prize exchange, likes, comments, publishing and the profile update (all
// for the signed-in user of the envelope), and the image upload: a
// multipart POST to "/upload" whose "uri" part is stored and answered with
// {"error-code":0,"uri":"http://127.0.0.1:<port>/images/<id>"}, where a GET
// serves the bytes back.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace httplib {
class Server;
}

namespace zmr {

class AppStore;

struct SocialAnswer {
    long long code = 0;  // 0 for success
    std::string message; // when code is not 0
    std::vector<std::pair<std::string, std::string>> members; // key and JSON text, on success
};

// Nothing when the task is none of these.
std::optional<SocialAnswer> answerSocialTask(AppStore& store, const std::string& taskType,
                                             const std::multimap<std::string, std::string>& form,
                                             std::optional<long long> sessionUid);

void addUploadRoutes(httplib::Server& server, std::shared_ptr<AppStore> store, std::function<int()> port);

}
