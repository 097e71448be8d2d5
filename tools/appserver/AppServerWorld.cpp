#include "tools/appserver/AppServerWorld.h"

#include "tools/appserver/AppStore.h"

#include <algorithm>

namespace zmr {

namespace {

AppFeedQuery feedQuery(const std::string& taskType, const Form& form)
{
    using Kind = AppFeedQuery::Kind;
    AppFeedQuery query;
    std::string classify = item(form, "zmr-classify").value_or(item(form, "zmr-status").value_or(""));
    if (taskType == "ZMRNearFeedsTask" || classify == "near")
        query.kind = Kind::Near;
    else if (taskType == "ZMRUserFeedsTask")
        query.kind = Kind::User;
    else if (classify == "friends" || item(form, "zmr-mutual") == "1")
        query.kind = Kind::Friends;
    else if (classify == "follow" || taskType == "ZMRFollowFeedsTask")
        query.kind = Kind::Follow;
    query.uid = integerItem(form, "zmr-uid").value_or(0);
    query.cid = integerItem(form, "zmr-cid").value_or(0);
    query.latitude = realItem(form, "zmr-latitude");
    query.longitude = realItem(form, "zmr-longitude");
    return query;
}

std::string jsonList(const std::vector<std::string>& items)
{
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i)
        out += (i ? "," : "") + items[i];
    return out + "]";
}

}

std::optional<AppListPage> worldList(AppStore& store, const std::string& taskType, const Form& query,
                                     std::optional<long long> sessionUid, const std::string& origin, long long offset, long long limit)
{
    if (taskType == "ZMRFeedsTask" || taskType == "ZMRNearFeedsTask" || taskType == "ZMRUserFeedsTask" ||
        taskType == "ZMRFollowFeedsTask")
        return store.feed(feedQuery(taskType, query), sessionUid, offset, limit, origin);
    if (taskType == "ZMRCommentsTask")
        return store.comments(integerItem(query, "zmr-pid").value_or(0),
                              integerItem(query, "zmr-uid").value_or(sessionUid.value_or(0)), offset, limit, origin,
                              sessionUid);
    if (taskType == "ZMRLikeUsersTask")
        return store.likers(integerItem(query, "zmr-pid").value_or(0), offset, limit, origin);
    if (taskType == "ZMRNearUsersTask")
        return store.nearUsers(realItem(query, "zmr-latitude"), realItem(query, "zmr-longitude"), sessionUid, offset, limit, origin);
    if (taskType == "ZMRFansTask")
        return sessionUid ? store.fans(*sessionUid, offset, limit, origin) : AppListPage{};
    if (taskType == "ZMRPrizeListTask")
        return store.prizes(integerItem(query, "zmr-productId"), offset, limit, origin);
    return std::nullopt;
}

std::optional<WorldReply> answerWorldTask(AppStore& store, const std::string& taskType, const Form& form,
                                          std::optional<long long> sessionUid, const std::string& origin)
{
    std::optional<std::string> details;
    if (taskType == "ZMRFeedDetailsTask")
        details = store.postJson(integerItem(form, "zmr-pid").value_or(0), sessionUid, origin);
    else if (taskType == "ZMRUserDetailsTask") {
        auto profile = store.userJson(integerItem(form, "zmr-uid").value_or(0), sessionUid, origin);
        if (!profile)
            return WorldReply{20481, "用户不存在", {}};
        return WorldReply{0, "", {{"profile", *profile}}};
    }
    else if (taskType == "ZMRPrizeDetailsTask")
        details = store.prizeJson(integerItem(form, "zmr-productId").value_or(integerItem(form, "zmr-pid").value_or(0)), origin);
    else if (taskType == "ZMRFansTask" && !sessionUid)
        return WorldReply{15362, "登录凭证验证失败，请重新登录", {}}; // whose fans, without a sign-in?
    else {
        long long pageIndex = std::clamp(integerItem(form, "zmr-pageIndex").value_or(1), 1LL, 1000000LL);
        long long pageSize = std::clamp(integerItem(form, "zmr-pageSize").value_or(20), 1LL, 100LL);
        auto page = worldList(store, taskType, form, sessionUid, origin, (pageIndex - 1) * pageSize, pageSize);
        if (!page)
            return std::nullopt;
        WorldReply reply;
        reply.members = {{"list", jsonList(page->items)},
                         {"pageIndex", std::to_string(pageIndex)},
                         {"pageSize", std::to_string(pageSize)},
                         {"total", std::to_string(page->total)}};
        return reply;
    }
    if (!details)
        return WorldReply{4, "请求参数错误", {}};
    return WorldReply{0, "", {{"details", *details}}};
}

}
