#pragma once

// The application server's category and tag lists, follow and unfollow,
// the paged follow list with its version, and ledger create and search.
// Follow, follow list and ledger need a signed-in session.

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zmr {

class AppStore;

struct DataReply {
    long long errorCode = 0;
    std::string error; // when errorCode is not 0
    std::vector<std::pair<std::string, std::string>> members; // key and JSON value, on success
};

// The reply to one of these tasks; nothing for any other task name.
// Pictures are answered as URLs on `origin`.
std::optional<DataReply> answerDataTask(AppStore& store, const std::string& taskType,
                                        const std::multimap<std::string, std::string>& form, std::optional<long long> sessionUid,
                                        const std::string& origin);

}
