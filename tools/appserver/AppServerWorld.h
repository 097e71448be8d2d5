#pragma once

// The world's lists and records as the application's list data sources ask
// for them (server task names of the screens' data sources, their query
// items behind "zmr-"):
//
//   "ZMRFeedsTask"        posts, newest first; "classify" = "follow" (people
//                         the user follows), "friends" (mutual follows, also
//                         "mutual" = "1") or "near" (nearest to "latitude",
//                         "longitude" first); "cid" keeps one category
//   "ZMRNearFeedsTask"    posts nearest first ("latitude", "longitude")
//   "ZMRUserFeedsTask"    the posts of "uid", newest first
//   "ZMRCommentsTask"     the comments of post "pid" oldest first; without
//                         "pid", those on the posts of "uid" (else the
//                         signed-in user) and the replies to that user's
//                         comments, newest first
//   "ZMRLikeUsersTask"    the people who liked post "pid"
//   "ZMRNearUsersTask"    people within 50 km of "latitude", "longitude",
//                         nearest first, with "distance" in metres; none
//                         for the zero position
//   "ZMRPrizeListTask"    every prize, or the one of "productId"
//   "ZMRFansTask"         the people who follow the signed-in user, latest
//                         first (each as "ZMRUserDetailsTask" gives it);
//                         without a sign-in, error 15362
//
// answered as {"list": [...], "pageIndex", "pageSize", "total"} by
// "pageIndex" (from 1) and "pageSize" (20 by default, at most 100), and
//
//   "ZMRFeedDetailsTask"  post "pid"
//   "ZMRPrizeDetailsTask" prize "productId" (or "pid")
//
// answered as {"details": {...}}, or error 4 when there is no such record,
// and
//
//   "ZMRUserDetailsTask"  user "uid" (with "isFollow" and "mutual" as seen
//                         by the signed-in user, "fansCount",
//                         "publishCount", "integral" for oneself)
//
// answered as {"profile": {...}}, or error 20481 for an unknown user.
// People (in these lists, in posts and comments) carry "title": the
// nickname, else "#" and the account. What depends on who asks (a post's
// "liked", a person's "isFollow" and "mutual") is the signed-in user's
// wherever the post or person travels: in a list, a record, or a
// comment's "publish".

#include "tools/appserver/AppJson.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zmr {

class AppStore;
struct AppListPage;

struct WorldReply {
    long long code = 0; // 0 for success
    std::string message; // when code is not 0
    std::vector<std::pair<std::string, std::string>> members; // key and JSON text, on success
};

// Nothing when the task is none of these.
std::optional<WorldReply> answerWorldTask(AppStore& store, const std::string& taskType, const Form& form,
                                          std::optional<long long> sessionUid, const std::string& origin);

// One of the lists above by offset and count, for the plain list pages.
std::optional<AppListPage> worldList(AppStore& store, const std::string& taskType, const Form& query,
                                     std::optional<long long> sessionUid, const std::string& origin, long long offset,
                                     long long limit);

}
