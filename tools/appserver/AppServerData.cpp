#include "tools/appserver/AppServerData.h"

#include "tools/appserver/AppJson.h"
#include "tools/appserver/AppPictures.h"
#include "tools/appserver/AppStore.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace zmr {

namespace {

using Object = JsonObject;

// Follow-list page size.
constexpr long long pageSize = 10;

std::string bookJson(const AppBook& book)
{
    std::string cids = "[";
    for (std::size_t i = 0; i < book.cids.size(); ++i) {
        if (i)
            cids += ',';
        cids += std::to_string(book.cids[i]);
    }
    Object body;
    body.add("title", quote(book.title)).add("address", quote(book.address)).add("remark", quote(book.remark));
    Object out;
    out.add("bid", std::to_string(book.bid))
        .add("payMoney", number(book.payMoney))
        .add("expendMoney", number(book.expendMoney))
        .add("latitude", number(book.latitude))
        .add("longitude", number(book.longitude))
        .add("body", body.json())
        .add("cids", cids + "]")
        .add("createTime", std::to_string(book.createTime));
    return out.json();
}

// Decimal ids joined by ","; nothing when any part is not one. An empty text is no ids.
std::optional<std::vector<long long>> parseIds(const std::string& text)
{
    std::vector<long long> ids;
    std::size_t start = 0;
    while (!text.empty() && start <= text.size()) {
        std::size_t end = text.find(',', start);
        if (end == std::string::npos)
            end = text.size();
        std::string part = text.substr(start, end - start);
        char* stop = nullptr;
        errno = 0;
        long long id = part.empty() ? 0 : std::strtoll(part.c_str(), &stop, 10);
        if (part.empty() || errno != 0 || *stop != '\0')
            return std::nullopt;
        ids.push_back(id);
        start = end + 1;
    }
    return ids;
}

DataReply failure(long long code, const char* message)
{
    DataReply reply;
    reply.errorCode = code;
    reply.error = message;
    return reply;
}

const DataReply kNoSession = failure(15362, "登录凭证验证失败，请重新登录");
const DataReply kNoSuchUser = failure(20481, "用户不存在");
const DataReply kFollowSelf = failure(20482, "不能关注自己");
const DataReply kBadCategories = failure(20737, "分类错误");
const DataReply kServerError = failure(500, "服务器错误");

}

std::optional<DataReply> answerDataTask(AppStore& store, const std::string& taskType, const Form& form, std::optional<long long> sessionUid,
                                        const std::string& origin)
{
    DataReply reply;
    if (taskType == "ZMRClassifyTask") {
        long long top = std::max(0LL, std::min(integerItem(form, "zmr-top").value_or(10), 100LL));
        std::string categories = "[";
        for (const AppCategory& category : store.categories()) {
            Object entry;
            entry.add("cid", std::to_string(category.cid)).add("title", quote(category.title));
            if (categories.size() > 1)
                categories += ',';
            categories += entry.json();
        }
        std::string tags = "[";
        for (const AppTag& tag : store.topTags(top)) {
            Object entry;
            entry.add("tid", std::to_string(tag.tid)).add("tag", quote(tag.tag));
            if (tags.size() > 1)
                tags += ',';
            tags += entry.json();
        }
        reply.members = {{"classify-results", categories + "]"}, {"tag-results", tags + "]"}};
        return reply;
    }
    if (taskType == "ZMRFollowTask" || taskType == "ZMRUnFollowTask") {
        if (!sessionUid)
            return kNoSession;
        auto tuid = integerItem(form, "zmr-tuid");
        if (!tuid || !store.user(*tuid))
            return kNoSuchUser;
        if (*tuid == *sessionUid)
            return kFollowSelf;
        if (!store.setFollowing(*sessionUid, *tuid, taskType == "ZMRFollowTask"))
            return kServerError;
        return reply;
    }
    if (taskType == "ZMRUserConcernTask") {
        if (!sessionUid)
            return kNoSession;
        long long pageIndex = std::max(1LL, std::min(integerItem(form, "zmr-pageIndex").value_or(1), 1000000LL));
        long long version = store.followVersion(*sessionUid);
        // A client that holds this version already needs no items.
        std::vector<AppFollow> follows;
        if (integerItem(form, "zmr-version") != version)
            follows = store.follows(*sessionUid, (pageIndex - 1) * pageSize, pageSize);
        std::string items = "[";
        for (const AppFollow& follow : follows) {
            Object entry;
            entry.add("uid", std::to_string(follow.uid)).add("nick", quote(follow.nick)).add("title", quote(follow.title));
            entry.add("logo", quote(pictureURL(origin, follow.logo))).add("mutual", follow.mutual ? "true" : "false");
            if (items.size() > 1)
                items += ',';
            items += entry.json();
        }
        Object results;
        results.add("version", std::to_string(version)).add("items", items + "]");
        reply.members = {{"user-concern-results", results.json()}};
        return reply;
    }
    if (taskType == "ZMRBooksCreateTask") {
        if (!sessionUid)
            return kNoSession;
        auto cids = parseIds(item(form, "zmr-cids").value_or(""));
        if (!cids)
            return kBadCategories;
        AppBook book;
        book.uid = *sessionUid;
        book.payMoney = realItem(form, "zmr-payMoney");
        book.expendMoney = realItem(form, "zmr-expendMoney");
        book.latitude = realItem(form, "zmr-latitude");
        book.longitude = realItem(form, "zmr-longitude");
        book.title = item(form, "zmr-shopTitle").value_or("");
        book.address = item(form, "zmr-shopAddress").value_or("");
        book.remark = item(form, "zmr-remark").value_or("");
        book.cids = std::move(*cids);
        book.createTime = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
        auto added = store.addBook(book);
        if (!added)
            return kServerError;
        reply.members = {{"books-create-results", bookJson(*added)}};
        return reply;
    }
    if (taskType == "ZMRBooksSearchTask") {
        if (!sessionUid)
            return kNoSession;
        long long start = integerItem(form, "zmr-startTime").value_or(0);
        long long end = integerItem(form, "zmr-endTime").value_or(0);
        std::string list = "[";
        for (const AppBook& book : store.books(*sessionUid, start, end))
            list += (list.size() > 1 ? "," : "") + bookJson(book);
        reply.members = {{"books-search-results", list + "]"}};
        return reply;
    }
    return std::nullopt;
}

}
