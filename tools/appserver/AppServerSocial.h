#pragma once

// The application server's feature tasks beyond sign-in and lists: points,
// prize exchange, likes, comments, publishing and the profile update (all
// for the signed-in user of the envelope), and the image upload: a
// multipart POST to "/upload" whose "uri" part is stored and answered with
// {"error-code":0,"uri":"<origin>/images/<name>"} on the origin the upload
// reached, where a GET serves the bytes back (as it serves the generated
// pictures of the seed).

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace httplib {
class Server;
struct Request;
}

namespace zmr {

class AppStore;

struct SocialAnswer {
    long long code = 0;  // 0 for success
    std::string message; // when code is not 0
    std::vector<std::pair<std::string, std::string>> members; // key and JSON text, on success
};

// Nothing when the task is none of these. Pictures are answered as URLs on `origin`.
std::optional<SocialAnswer> answerSocialTask(AppStore& store, const std::string& taskType,
                                             const std::multimap<std::string, std::string>& form,
                                             std::optional<long long> sessionUid, const std::string& origin);

// "http://" and the Host the request reached, or the loopback address and
// `port` when it has none (or one with other characters).
std::string requestOrigin(const httplib::Request& request, int port);

void addUploadRoutes(httplib::Server& server, std::shared_ptr<AppStore> store, std::function<int()> port);

}
