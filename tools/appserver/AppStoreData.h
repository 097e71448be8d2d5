#pragma once

// The rows of the application server's category, tag, follow and ledger
// tables, as AppStore reads and writes them.

#include <string>
#include <vector>

namespace zmr {

struct AppCategory {
    long long cid = 0;
    std::string title;
};

struct AppTag {
    long long tid = 0;
    std::string tag;
};

// A user the signed-in user follows; `mutual` when that user follows back.
struct AppFollow {
    long long uid = 0;
    std::string nick;
    std::string logo; // a path or a bundle image name
    bool mutual = false;
    std::string title; // the nickname, else "#" and the account
};

// One ledger entry; `createTime` in seconds since 1970.
struct AppBook {
    long long bid = 0;
    long long uid = 0;
    double payMoney = 0;
    double expendMoney = 0;
    double latitude = 0;
    double longitude = 0;
    std::string title;
    std::string address;
    std::string remark;
    std::vector<long long> cids;
    long long createTime = 0;
};

}
