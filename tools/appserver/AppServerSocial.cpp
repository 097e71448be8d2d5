#include "tools/appserver/AppServerSocial.h"

#include "tools/appserver/AppJson.h"
#include "tools/appserver/AppStore.h"
#include "tools/appserver/AppPictures.h"

#include <httplib.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
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

long long secondsNow()
{
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

SocialAnswer prize(AppStore& store, long long uid, const Form& form)
{
    auto productId = integerItem(form, "zmr-productId");
    if (!productId)
        return kBadRequest;
    long long balance = 0;
    switch (store.exchangePrize(uid, *productId, item(form, "zmr-body").value_or("{}"), secondsNow(), balance)) {
    case AppStore::PrizeOutcome::Ok: return success({{"coin-results", std::to_string(balance)}});
    case AppStore::PrizeOutcome::Unknown: return failure(13572, "奖品已下架");
    case AppStore::PrizeOutcome::SoldOut: return failure(13573, "奖品数量不足");
    case AppStore::PrizeOutcome::Ended: return failure(13574, "本期奖品已结束");
    case AppStore::PrizeOutcome::NotStarted: return failure(13575, "奖品兑换还未开始");
    case AppStore::PrizeOutcome::AlreadyExchanged: return failure(15366, "已兑换过此奖品");
    case AppStore::PrizeOutcome::NotEnoughPoints: return failure(14339, "积分不足");
    case AppStore::PrizeOutcome::Failed: break;
    }
    return kServerError;
}

// A number sent as a number or as decimal text ("%lf"); 0 otherwise.
double numberIn(const nlohmann::json& value)
{
    if (value.is_number())
        return value.get<double>();
    if (value.is_string()) {
        const std::string& text = value.get_ref<const std::string&>();
        char* end = nullptr;
        double parsed = std::strtod(text.c_str(), &end);
        return !text.empty() && *end == '\0' && std::isfinite(parsed) ? parsed : 0;
    }
    return 0;
}

// The uploaded pictures of a post: a JSON array of {"uri", "width", "height"};
// nothing when it is not one.
std::optional<std::vector<AppPostImage>> postImages(const std::string& text)
{
    auto parsed = nlohmann::json::parse(text, nullptr, false);
    if (parsed.is_discarded() || !parsed.is_array())
        return std::nullopt;
    std::vector<AppPostImage> images;
    for (const auto& entry : parsed) {
        if (!entry.is_object() || !entry.contains("uri") || !entry["uri"].is_string())
            return std::nullopt;
        images.push_back({entry["uri"].get<std::string>(), numberIn(entry.value("width", nlohmann::json())),
                          numberIn(entry.value("height", nlohmann::json()))});
    }
    return images;
}

// Texts joined by ",", empty parts left out.
std::vector<std::string> splitList(const std::string& text)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = std::min(text.find(',', start), text.size());
        if (end > start)
            parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

SocialAnswer publish(AppStore& store, long long uid, const Form& form, const std::string& origin)
{
    AppPost post;
    post.uid = uid;
    post.body = item(form, "zmr-body").value_or("");
    post.tags = splitList(item(form, "zmr-tags").value_or(""));
    for (const std::string& cid : splitList(item(form, "zmr-cids").value_or(""))) {
        char* end = nullptr;
        errno = 0;
        long long id = std::strtoll(cid.c_str(), &end, 10);
        if (errno != 0 || *end != '\0')
            return kBadRequest;
        post.cids.push_back(id);
    }
    auto images = postImages(item(form, "zmr-images").value_or("[]"));
    if (!images)
        return kBadRequest;
    post.images = std::move(*images);
    post.latitude = realItem(form, "zmr-latitude");
    post.longitude = realItem(form, "zmr-longitude");
    post.payMoney = realItem(form, "zmr-payMoney");
    post.expendMoney = realItem(form, "zmr-expendMoney");
    auto pid = store.addPost(post, kPublishAward);
    if (!pid)
        return kBadRequest;
    auto stored = store.postJson(*pid, uid, origin);
    if (!stored)
        return kServerError;
    Object result;
    result.integer("pid", *pid).integer("coin", kPublishAward);
    std::string sentImages = item(form, "zmr-images").value_or("[]");
    result.add("images", sentImages).add("post", *stored);
    return success({{"publish-results", result.json()}});
}

SocialAnswer updateUser(AppStore& store, long long uid, const Form& form, const std::string& origin)
{
    AppStore::Profile profile;
    profile.nick = item(form, "zmr-nick").value_or("");
    if (std::size_t width = nickWidth(profile.nick); width < 4 || width > 24)
        return failure(15364, "昵称应在4~24个字符,一个汉字占2个字符");
    profile.age = integerItem(form, "zmr-age").value_or(0);
    profile.logo = item(form, "zmr-logo").value_or("");
    profile.constellation = item(form, "zmr-constellation").value_or("");
    profile.job = item(form, "zmr-job").value_or("");
    profile.city = item(form, "zmr-city").value_or("");
    AppUser user;
    switch (store.updateProfile(uid, profile, user)) {
    case AppStore::Outcome::Ok: break;
    case AppStore::Outcome::NickTaken: return failure(15365, "昵称已存在，请尝试其他昵称");
    default: return kServerError;
    }
    auto json = store.userJson(uid, uid, origin);
    if (!json)
        return kServerError;
    // The account travels with the owner's own profile, as in a sign-in answer.
    return success({{"user-results", "{\"account\":" + quote(user.account) + "," + json->substr(1)}});
}

}

std::optional<SocialAnswer> answerSocialTask(AppStore& store, const std::string& taskType, const Form& form,
                                             std::optional<long long> sessionUid, const std::string& origin)
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
        comment.integer("createTime", secondsNow());
        return success({{"comment-results", comment.json()}});
    }
    if (taskType == "ZMRPublishTask")
        return publish(store, uid, form, origin);
    return updateUser(store, uid, form, origin);
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

std::string requestOrigin(const httplib::Request& request, int port)
{
    std::string host = request.get_header_value("Host");
    // A Host the server could not have been reached at is not echoed into answers.
    bool plain = !host.empty() && host.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-:[]") ==
                                      std::string::npos;
    return "http://" + (plain ? host : "127.0.0.1:" + std::to_string(port));
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
        std::optional<std::string> name;
        if (auto part = uriPart(request.body, request.get_header_value(boundaryHeader)); part && !part->first.empty())
            name = store->addImage(part->first, part->second);
        if (name) {
            out.integer("error-code", 0);
            out.text("uri", requestOrigin(request, port()) + "/images/" + *name);
        } else {
            out.integer("error-code", 4).text("error", "图片为空");
        }
        response.set_content(out.json(), "application/json; charset=utf-8");
    });
    server.Get(R"(/images/([A-Za-z0-9_-]{1,64}(\.[a-z]{3,4})?))", [store](const httplib::Request& request, httplib::Response& response) {
        auto image = store->image(request.matches[1].str());
        if (!image) {
            response.status = 404;
            return;
        }
        response.set_content(image->first, image->second.c_str());
    });
}

}
