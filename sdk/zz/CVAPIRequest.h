#pragma once

// A request object that is a dictionary of parameters, with a state word
// that makes loading, cancelling and answering exclusive: 0 idle, 1 loading,
// 2 cancelled, 3 answered. Only compare-and-swap changes the state, so a
// cancel and an answer racing each other cannot both win; an answer after a
// cancel is stored but not delivered. A request loads at most once.
//
// Subclasses are declared with declare(): each "param_<name>" property reads
// and writes the parameter <name> (nil removes it), and the class name gives
// the API path and method: "<prefix><path>_GET" or "<prefix><path>_POST",
// where the prefix is the superclass's name up to and including its first
// "_". A name of another form is refused.
//
// Main queue, except that cancel() and apiBaseDidResponse() may race from
// any threads. The session and the callback are not retained.

#include "platform/foundation/Collections.h"
#include "sdk/zz/APIBase.h"

#include <atomic>
#include <mutex>
#include <typeindex>
#include <vector>

class CVAPIRequest;

class CVAPIRequestDelegate {
public:
    virtual ~CVAPIRequestDelegate() = default;
    virtual void cgiRequestDidResponse(CVAPIRequest&, const std::shared_ptr<APIResponse>&) = 0;
};

class CVAPIRequest : public pf::Object, public APIBaseCallback {
public:
    enum State : int { Idle = 0, Loading = 1, Cancelled = 2, Answered = 3 };

    CVAPIRequest() : m_params(std::make_shared<pf::Dictionary>()) {}
    CVAPIRequest(std::string apiURL, std::string method);

    // Registers a subclass and its parameter properties ("param_" names);
    // null when the class name does not follow its superclass's pattern.
    template <class T, class Super = CVAPIRequest>
    static const pf::Class* declare(std::string name, const std::vector<std::string>& paramProperties)
    {
        return declareClass(typeid(T), typeid(Super), std::move(name),
                            [] { return pf::ObjectRef(std::make_shared<T>()); }, paramProperties);
    }
    static const pf::Class* declareClass(std::type_index type, std::type_index superType, std::string name,
                                         std::function<pf::ObjectRef()> factory,
                                         const std::vector<std::string>& paramProperties);
    static std::optional<std::string> APIPath(const pf::Class* cls);
    static std::optional<std::string> APIMethod(const pf::Class* cls);
    // The server origin of the class's calls; none in this class.
    virtual std::optional<std::string> APIBaseURL() const { return std::nullopt; }

    // Given to the constructor, else APIBaseURL() with the class's path.
    std::optional<std::string> apiURL() const;
    std::optional<std::string> method() const;

    std::size_t count() const { return m_params->count(); }
    pf::Value objectForKey(std::string_view key) const { return m_params->get(key); }
    std::vector<std::string> allKeys() const { return m_params->keys(); }
    void setObject(const pf::Value& value, std::string_view key);
    void removeObjectForKey(std::string_view key) { m_params->remove(key); }
    const pf::DictionaryRef& params() const { return m_params; }

    const pf::Value& paramUserData() const { return m_paramUserData; }
    void setParamUserData(pf::Value userData);

    int state() const { return m_state.load(); }
    bool tryLoad();
    void cancel();
    void reset();

    void apiBaseDidResponse(APIBase*, const std::shared_ptr<APIResponse>& response) override;
    void responseProcess(const std::shared_ptr<APIResponse>& response);
    void apiBaseDidSendBodyData(APIBase&, std::int64_t, std::int64_t, std::int64_t) override {}
    void apiBaseDidWriteData(APIBase&, std::int64_t, std::int64_t, std::int64_t) override {}

    pf::Value requestKey() const;
    void setRequestKey(pf::Value key);
    void setCorvanaOAuth(std::weak_ptr<ICorvanaAPISession> session);
    void setCallback(std::weak_ptr<CVAPIRequestDelegate> callback);
    std::shared_ptr<APIResponse> response() const;

private:
    void storeResponse(const std::shared_ptr<APIResponse>& response);

    std::atomic<int> m_state{Idle};
    std::optional<std::string> m_apiURL;
    std::optional<std::string> m_method;
    pf::Value m_paramUserData;
    pf::DictionaryRef m_params;
    // Guards the four members below: an answer may race a cancel.
    mutable std::mutex m_mutex;
    pf::Value m_requestKey;
    std::weak_ptr<ICorvanaAPISession> m_corvanaOAuth;
    std::weak_ptr<CVAPIRequestDelegate> m_callback;
    std::shared_ptr<APIResponse> m_response;
};
