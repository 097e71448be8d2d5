#pragma once

// One API call of the SDK: the caller's parameters with the common ones (SDK
// information, "format" "json", app id, token and open id, or skey and uin)
// sent through a CorvanaRequest, and the outcome handed to a target as an
// APIResponse. Every call takes a number from one process-wide counter whose
// first value is 1001.
//
// Main queue only (the counter is atomic). The target is not retained: the
// selector is a callable run with the target while it lives. A target that is
// a session (ICorvanaAPISession) is asked about incremental authorisation
// when an answer's "ret" is 100030, and told when a call is over. The
// progress delegate is not retained either.

#include "platform/foundation/Object.h"
#include "sdk/zz/CorvanaRequest.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class APIBase;
class APIResponse;
class CVAPIRequest;

class APIBaseDelegate {
public:
    virtual ~APIBaseDelegate() = default;
    virtual void apiBaseDidSendBodyData(APIBase&, std::int64_t bytesWritten, std::int64_t totalBytesWritten,
                                        std::int64_t totalExpected) = 0;
    virtual void apiBaseDidWriteData(APIBase&, std::int64_t bytesWritten, std::int64_t totalBytesWritten,
                                     std::int64_t expectedTotal) = 0;
};

class APIBaseCallback : public APIBaseDelegate {
public:
    virtual void apiBaseDidResponse(APIBase*, const std::shared_ptr<APIResponse>&) = 0;
};

// What a sign-in session offers the calls it runs.
class ICorvanaAPISession {
public:
    virtual ~ICorvanaAPISession() = default;
    // NO holds the answer back from the call's target.
    virtual bool corvanaNeedPerformIncrAuth(const pf::ObjectRef& session, const pf::ArrayRef& permissions) = 0;
    virtual void deleteAPIRequestBySeq(const std::string& seq) = 0;
    virtual void cancelWithRequestKey(const pf::Value& requestKey) = 0;
};

class APIBase : public pf::Object, public CorvanaRequestDelegate {
public:
    using Selector = std::function<void(pf::Object& target, const std::shared_ptr<APIResponse>& response)>;

    static constexpr const char* kBadAnswerMessage = "服务器返回内容不正确";

    APIBase(std::weak_ptr<pf::Object> target, Selector selector, std::string httpMethod, pf::Value userData,
            std::weak_ptr<APIBaseDelegate> delegate = {});
    ~APIBase() override;

    static int getApiBaseSeq();

    // Starts the call and answers its exchange. A "userData" parameter
    // becomes the call's user data instead of being sent.
    std::shared_ptr<CorvanaRequest> openUrl(const std::string& url, const std::optional<std::string>& token,
                                            const std::optional<std::string>& openid,
                                            const std::optional<std::string>& appid, const pf::DictionaryRef& params);
    std::shared_ptr<CorvanaRequest> openUrlBySkey(const std::string& url, const std::optional<std::string>& skey,
                                                  const std::optional<std::string>& uin,
                                                  const std::optional<std::string>& appid,
                                                  const pf::DictionaryRef& params);
    void cancel();

    // The API's name: the text after the last "/" of the URL trimmed of "/"
    // and blanks; nothing when that is empty or has no "/".
    static std::optional<std::string> parsePermissionFromURL(std::string_view url);

    const std::shared_ptr<CorvanaRequest>& request() const { return m_request; }
    const std::string& httpMethod() const { return m_httpMethod; }
    int seq() const { return m_seq; }
    const pf::Value& userData() const { return m_userData; }
    void setUserData(pf::Value userData) { m_userData = std::move(userData); }
    const std::shared_ptr<CVAPIRequest>& cgiRequest() const { return m_cgiRequest; }
    void setCgiRequest(std::shared_ptr<CVAPIRequest> request);
    bool allowProgress() const { return m_allowProgress; }
    void setAllowProgress(bool allow) { m_allowProgress = allow; }
    void setTarget(std::weak_ptr<pf::Object> target, Selector selector);
    // For the exchanges this call starts; 60 s unless set.
    void setTimeoutInterval(std::chrono::duration<double> timeout) { m_timeout = timeout; }

    void requestDidFailWithError(CorvanaRequest&, const CorvanaError& error) override;
    void requestDidLoad(CorvanaRequest&, const pf::Value& result, const pf::Bytes& data) override;
    void requestDidSendBodyData(CorvanaRequest&, std::int64_t, std::int64_t, std::int64_t) override;
    void requestDidWriteData(CorvanaRequest&, std::int64_t, std::int64_t, std::int64_t) override;

private:
    enum class Credentials { Token, Skey };
    std::shared_ptr<CorvanaRequest> open(const std::string& url, Credentials kind,
                                         const std::optional<std::string>& first,
                                         const std::optional<std::string>& second,
                                         const std::optional<std::string>& appid, const pf::DictionaryRef& params);
    void deliver(const std::shared_ptr<APIResponse>& response);
    void dropCgiRequest(bool cancelIt);

    std::shared_ptr<CorvanaRequest> m_request;
    std::string m_httpMethod;
    std::weak_ptr<pf::Object> m_target;
    Selector m_selector;
    int m_seq = 0;
    std::weak_ptr<APIBaseDelegate> m_delegate;
    pf::Value m_userData;
    std::shared_ptr<CVAPIRequest> m_cgiRequest;
    bool m_allowProgress = false;
    std::chrono::duration<double> m_timeout{60.0};
};
