#pragma once

// The demo world that "--seed-demo" builds: the demo account 10001 and
// twelve people from 10002 with known passwords, portraits and positions
// around one city centre; follows both ways; about 60 posts with 0 to 9
// pictures each, comments and likes; 12 prizes with pictures, on sale, not
// yet on sale, sold out and ended (the last one never issued a piece). The
// demo account holds 1,000 points. Times are relative to the moment of seeding. The demo
// account's ledger runs from the 1st of the previous month to today (one or
// two entries a day with categories and some remarks, every fourth day of
// the month empty, today never), dated anew from the local calendar each time
// the server starts, so the current month is never empty; entries the
// account made itself stay. Pictures are only named here and drawn when first
// asked for (AppPictures.h).

#include <string>
#include <vector>

namespace zmr {

struct SeedPerson {
    long long uid;
    const char* account;
    const char* password;
    const char* nick;
};

// The demo account first, then the twelve others in uid order.
const std::vector<SeedPerson>& seedPeople();

class AppStore;
// The picture album of a demo run, so a person about to publish finds a few
// photos to pick: four of the seeded world's photos written into `folder`
// (made when missing) unless it holds anything already. False when a
// photo could not be read or written.
bool fillDemoAlbum(AppStore& store, const std::string& folder);

constexpr double kSeedCentreLatitude = 31.2304;
constexpr double kSeedCentreLongitude = 121.4737;
// The people the demo account follows, and those of them who follow back.
constexpr long long kSeedFollowed[] = {10002, 10003, 10004, 10005, 10006, 10007};
constexpr long long kSeedFollowingBack[] = {10002, 10003, 10004};
constexpr int kSeedPostCount = 60;
constexpr int kSeedPrizeCount = 12;

}
