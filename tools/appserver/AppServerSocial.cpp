#include "tools/appserver/AppServerSocial.h"

#include "tools/appserver/AppJson.h"
#include "tools/appserver/AppStore.h"

#include <httplib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace zmr {

namespace {

using Object = JsonObject;

// Points for each post, so that prizes can be earned.
constexpr long long kPublishAward = 100;

SocialAnswer failure(long long code, const char* message)
{
    return SocialAnswer{code, message, {}};
}

SocialAnswer success(std::vector<std::pair<std::string, std::string>> members = {})
{
    return SocialAnswer{0, "", std::move(members)};
}

const SocialAnswer kBadCredential = failure(15362, "登录凭证验证失败，请重新登录");
const SocialAnswer kServerError = failure(500, "服务器错误");
const SocialAnswer kBadRequest = failure(4, "请求参数错误");

SocialAnswer prize(AppStore& store, long long uid, const Form& form)
{
    auto productId = integerItem(form, "zmr-productId");
    if (!productId)
        return kBadRequest;
    long long balance = 0;
    switch (store.exchangePrize(uid, *productId, item(form, "zmr-body").value_or("{}"), balance)) {
    case AppStore::PrizeOutcome::Ok: return success({{"coin-results", std::to_string(balance)}});
    case AppStore::PrizeOutcome::Unknown: return failure(13572, "奖品已下架");
    case AppStore::PrizeOutcome::AlreadyExchanged: return failure(15366, "已兑换过此奖品");
    case AppStore::PrizeOutcome::NotEnoughPoints: return failure(14339, "积分不足");
    case AppStore::PrizeOutcome::Failed: break;
    }
    return kServerError;
}

SocialAnswer publish(AppStore& store, long long uid, const Form& form)
{
    std::string images = item(form, "zmr-images").value_or("[]");
    Object post;
    post.integer("uid", uid)
        .text("body", item(form, "zmr-body").value_or(""))
        .text("tags", item(form, "zmr-tags").value_or(""))
        .text("cids", item(form, "zmr-cids").value_or(""))
        .add("images", images) // checked as JSON by the store
        .add("latitude", number(realItem(form, "zmr-latitude")))
        .add("longitude", number(realItem(form, "zmr-longitude")))
        .add("payMoney", number(realItem(form, "zmr-payMoney")))
        .add("expendMoney", number(realItem(form, "zmr-expendMoney")))
        .integer("toVoxly", item(form, "zmr-toVoxly") == "1")
        .integer("toZZ", item(form, "zmr-toZZ") == "1");
    auto pid = store.addPost(uid, post.json(), kPublishAward);
    if (!pid)
        return kBadRequest;
    Object result;
    result.integer("pid", *pid).integer("coin", kPublishAward).add("images", images);
    return success({{"publish-results", result.json()}});
}

SocialAnswer updateUser(AppStore& store, long long uid, const Form& form)
{
    std::string nick = item(form, "zmr-nick").value_or("");
    if (std::size_t width = nickWidth(nick); width < 4 || width > 24)
        return failure(15364, "昵称应在4~24个字符,一个汉字占2个字符");
    Object profile;
    profile.integer("age", integerItem(form, "zmr-age").value_or(0));
    for (const char* key : {"logo", "constellation", "job", "city"})
        profile.text(key, item(form, std::string("zmr-") + key).value_or(""));
    AppUser user;
    switch (store.updateProfile(uid, nick, profile.json(), user)) {
    case AppStore::Outcome::Ok: break;
    case AppStore::Outcome::NickTaken: return failure(15365, "昵称已存在，请尝试其他昵称");
    default: return kServerError;
    }
    Object out;
    out.integer("uid", user.uid).text("account", user.account).text("nick", user.nick);
    std::string json = out.json();
    std::string fields = profile.json();
    // The profile's own members follow the user's.
    json = json.substr(0, json.size() - 1) + "," + fields.substr(1);
    return success({{"user-results", json}});
}

}

std::optional<SocialAnswer> answerSocialTask(AppStore& store, const std::string& taskType, const Form& form,
                                             std::optional<long long> sessionUid)
{
    static const char* const tasks[] = {"ZMRCoinTask", "ZMRPrizeBuyTask", "ZMRLikeTask", "ZMRUnLikeTask",
                                        "ZMRCommentTask", "ZMRPublishTask", "ZMRUpdateUserTask"};
    if (std::find(std::begin(tasks), std::end(tasks), taskType) == std::end(tasks))
        return std::nullopt;
    if (!sessionUid)
        return kBadCredential;
    long long uid = *sessionUid;
    if (taskType == "ZMRCoinTask")
        return success({{"coin-results", std::to_string(store.points(uid))}});
    if (taskType == "ZMRPrizeBuyTask")
        return prize(store, uid, form);
    if (taskType == "ZMRLikeTask" || taskType == "ZMRUnLikeTask") {
        auto pid = integerItem(form, "zmr-pid");
        if (!pid)
            return kBadRequest;
        auto count = store.setLike(uid, *pid, taskType == "ZMRLikeTask");
        if (!count)
            return kServerError;
        return success({{"pid", std::to_string(*pid)}, {"likeCount", std::to_string(*count)}});
    }
    if (taskType == "ZMRCommentTask") {
        auto pid = integerItem(form, "zmr-pid");
        auto parent = integerItem(form, "zmr-cid");
        std::string body = item(form, "zmr-body").value_or("");
        if (body.empty() || (!pid && !parent))
            return kBadRequest;
        auto made = store.addComment(uid, pid.value_or(0), pid ? 0 : *parent, body);
        if (!made)
            return kBadRequest;
        Object comment;
        comment.integer("cid", made->first).integer("pid", made->second).integer("uid", uid).text("body", body);
        return success({{"comment-results", comment.json()}});
    }
    if (taskType == "ZMRPublishTask")
        return publish(store, uid, form);
    return updateUser(store, uid, form);
}

namespace {

constexpr const char* boundaryHeader = "X-Upload-Boundary";

// The content and content type of the "uri" part of a multipart body.
std::optional<std::pair<std::string, std::string>> uriPart(const std::string& body, const std::string& boundary)
{
    if (boundary.empty())
        return std::nullopt;
    const std::string delimiter = "--" + boundary;
    std::size_t position = body.find(delimiter);
    while (position != std::string::npos) {
        std::size_t headStart = position + delimiter.size();
        if (body.compare(headStart, 2, "--") == 0)
            break;
        std::size_t headEnd = body.find("\r\n\r\n", headStart);
        if (headEnd == std::string::npos)
            break;
        std::size_t next = body.find("\r\n" + delimiter, headEnd + 4);
        if (next == std::string::npos)
            break;
        std::string head = body.substr(headStart, headEnd - headStart);
        if (head.find("name=\"uri\"") != std::string::npos) {
            std::string type = "application/octet-stream";
            std::size_t field = head.find("Content-Type: ");
            if (field != std::string::npos) {
                std::size_t end = head.find("\r\n", field);
                type = head.substr(field + 14, end == std::string::npos ? std::string::npos : end - field - 14);
            }
            return std::make_pair(body.substr(headEnd + 4, next - headEnd - 4), type);
        }
        position = next + 2;
    }
    return std::nullopt;
}

}

void addUploadRoutes(httplib::Server& server, std::shared_ptr<AppStore> store, std::function<int()> port)
{
    // The library's own multipart reader refuses a body whose closing
    // delimiter has no line break after it, which the application sends (the
    // break is optional); uploads are therefore read as plain bytes and
    // parsed here.
    server.set_pre_routing_handler([](const httplib::Request& request, httplib::Response&) {
        if (request.path == "/upload" && request.is_multipart_form_data()) {
            auto& headers = const_cast<httplib::Request&>(request).headers;
            std::string type = request.get_header_value("Content-Type");
            std::size_t at = type.find("boundary=");
            std::string boundary = at == std::string::npos ? "" : type.substr(at + 9);
            if (boundary.size() >= 2 && boundary.front() == '"' && boundary.back() == '"')
                boundary = boundary.substr(1, boundary.size() - 2);
            headers.erase("Content-Type");
            headers.emplace("Content-Type", "application/octet-stream");
            headers.emplace(boundaryHeader, boundary);
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });
    server.Post("/upload", [store, port](const httplib::Request& request, httplib::Response& response) {
        Object out;
        std::optional<long long> id;
        if (auto part = uriPart(request.body, request.get_header_value(boundaryHeader)); part && !part->first.empty())
            id = store->addImage(part->first, part->second);
        if (id) {
            out.integer("error-code", 0);
            out.text("uri", "http://127.0.0.1:" + std::to_string(port()) + "/images/" + std::to_string(*id));
        } else {
            out.integer("error-code", 4).text("error", "图片为空");
        }
        response.set_content(out.json(), "application/json; charset=utf-8");
    });
    server.Get(R"(/images/(\d{1,18}))", [store](const httplib::Request& request, httplib::Response& response) {
        auto image = store->image(std::strtoll(request.matches[1].str().c_str(), nullptr, 10));
        if (!image) {
            response.status = 404;
            return;
        }
        response.set_content(image->first, image->second.c_str());
    });
}

}
