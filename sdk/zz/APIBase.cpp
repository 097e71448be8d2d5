#include "sdk/zz/APIBase.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/TextEncoding.h"
#include "sdk/zz/APIResponse.h"
#include "sdk/zz/CVAPIRequest.h"
#include "sdk/zz/CVOpenSDKErrorUtil.h"
#include "sdk/zz/CvApiTool.h"

#include <atomic>

namespace {

std::atomic<int> g_apiSeq{1000};

std::optional<std::string> answerText(const pf::Bytes& data)
{
    std::string_view raw(reinterpret_cast<const char*>(data.data()), data.size());
    if (pf::isValidUtf8(raw))
        return std::string(raw);
    return pf::gb18030ToUtf8(raw);
}

}

APIBase::APIBase(std::weak_ptr<pf::Object> target, Selector selector, std::string httpMethod, pf::Value userData,
                 std::weak_ptr<APIBaseDelegate> delegate)
    : m_httpMethod(std::move(httpMethod))
    , m_target(std::move(target))
    , m_selector(std::move(selector))
    , m_seq(getApiBaseSeq())
    , m_delegate(std::move(delegate))
    , m_userData(std::move(userData))
{
}

APIBase::~APIBase()
{
    if (m_request)
        m_request->setDelegate({});
    if (m_cgiRequest) {
        m_cgiRequest->setRequestKey({});
        m_cgiRequest->setCorvanaOAuth({});
    }
}

int APIBase::getApiBaseSeq() { return ++g_apiSeq; }

void APIBase::setTarget(std::weak_ptr<pf::Object> target, Selector selector)
{
    m_target = std::move(target);
    m_selector = std::move(selector);
}

void APIBase::setCgiRequest(std::shared_ptr<CVAPIRequest> request) { m_cgiRequest = std::move(request); }

std::optional<std::string> APIBase::parsePermissionFromURL(std::string_view url)
{
    auto trimmed = [](char c) { return c == '/' || c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!url.empty() && trimmed(url.front()))
        url.remove_prefix(1);
    while (!url.empty() && trimmed(url.back()))
        url.remove_suffix(1);
    auto slash = url.rfind('/');
    if (url.empty() || slash == std::string_view::npos)
        return std::nullopt;
    return std::string(url.substr(slash + 1));
}

std::shared_ptr<CorvanaRequest> APIBase::openUrl(const std::string& url, const std::optional<std::string>& token,
                                                 const std::optional<std::string>& openid,
                                                 const std::optional<std::string>& appid,
                                                 const pf::DictionaryRef& params)
{
    return open(url, Credentials::Token, token, openid, appid, params);
}

std::shared_ptr<CorvanaRequest> APIBase::openUrlBySkey(const std::string& url, const std::optional<std::string>& skey,
                                                       const std::optional<std::string>& uin,
                                                       const std::optional<std::string>& appid,
                                                       const pf::DictionaryRef& params)
{
    return open(url, Credentials::Skey, skey, uin, appid, params);
}

std::shared_ptr<CorvanaRequest> APIBase::open(const std::string& url, Credentials kind,
                                              const std::optional<std::string>& first,
                                              const std::optional<std::string>& second,
                                              const std::optional<std::string>& appid, const pf::DictionaryRef& params)
{
    PF_ASSERT_MAIN_THREAD();
    auto sent = params ? params : std::make_shared<pf::Dictionary>();
    if (sent->contains("userData")) {
        m_userData = sent->get("userData");
        sent->remove("userData");
    }
    auto info = CvApiTool::SDKInfo();
    for (const auto& [key, value] : *info)
        sent->set(key, value);
    sent->set("format", "json");
    if (appid)
        sent->set("oauth_consumer_key", *appid);
    if (first)
        sent->set(kind == Credentials::Token ? "access_token" : "skey", *first);
    if (second)
        sent->set(kind == Credentials::Token ? "openid" : "uin", *second);

    dropCgiRequest(kind == Credentials::Token);
    if (m_request)
        m_request->cancel();
    auto self = std::static_pointer_cast<APIBase>(shared_from_this());
    m_request = CorvanaRequest::getRequestWithParams(sent, m_httpMethod, self, url);
    m_request->setTimeoutInterval(m_timeout);
    m_request->connect();
    return m_request;
}

void APIBase::dropCgiRequest(bool cancelIt)
{
    auto cgi = std::move(m_cgiRequest);
    if (!cgi)
        return;
    if (cancelIt)
        cgi->cancel();
    else
        cgi->reset();
}

void APIBase::cancel()
{
    if (m_request)
        m_request->cancel();
    if (m_cgiRequest) {
        m_cgiRequest->reset();
        m_cgiRequest.reset();
    }
}

void APIBase::requestDidFailWithError(CorvanaRequest&, const CorvanaError& error)
{
    auto self = shared_from_this();
    auto response = std::make_shared<APIResponse>();
    response->setRetCode(1);
    response->setErrorMsg(error.error.description);
    // The SDK code of a transport failure, so callers need not map it again.
    pf::DictionaryRef sdkError = CVOpenSDKErrorUtil::openSDKErrorFromOSError(error);
    response->setDetailRetCode(sdkError->get(CVOpenSDKErrorUtil::kRetKey).intValue());
    response->setSeq(m_seq);
    response->setUserData(m_userData);
    auto target = m_target.lock();
    if (target && m_selector)
        m_selector(*target, response);
}

void APIBase::requestDidLoad(CorvanaRequest& request, const pf::Value& result, const pf::Bytes& data)
{
    auto self = shared_from_this();
    auto response = std::make_shared<APIResponse>();
    response->setSeq(m_seq);
    response->setMessage(answerText(data));
    response->setUserData(m_userData);
    auto json = result.dictionary();
    if (json && !json->empty()) {
        response->setRetCode(0);
        // A non-zero "ret" still arrives as retCode 0: the session reads it and
        // converts it (apiResponseConvert) where it knows what the call meant.
        response->setJsonResponse(json);
    } else {
        response->setRetCode(1);
        response->setErrorMsg(std::string(kBadAnswerMessage));
    }

    auto target = m_target.lock();
    auto session = std::dynamic_pointer_cast<ICorvanaAPISession>(target);
    bool heldBack = false;
    if (session && json) {
        auto permission = parsePermissionFromURL(request.url());
        pf::Value retValue = json->get("ret");
        const pf::Number* ret = retValue.number();
        if (permission && ret && ret->isInteger() && ret->asLongLong() == 100030)
            heldBack = !session->corvanaNeedPerformIncrAuth(nullptr, pf::Array::create({ *permission }));
    }
    if (!heldBack && target && m_selector) {
        m_selector(*target, response);
        return;
    }
    if (session)
        session->deleteAPIRequestBySeq(std::to_string(m_seq));
}

void APIBase::requestDidSendBodyData(CorvanaRequest&, std::int64_t written, std::int64_t total,
                                     std::int64_t expected)
{
    if (auto delegate = m_delegate.lock())
        delegate->apiBaseDidSendBodyData(*this, written, total, expected);
}

void APIBase::requestDidWriteData(CorvanaRequest&, std::int64_t written, std::int64_t total, std::int64_t expected)
{
    if (auto delegate = m_delegate.lock())
        delegate->apiBaseDidWriteData(*this, written, total, expected);
}
