#include "sdk/zz/CVAPIRequest.h"

#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Log.h"
#include "sdk/zz/APIResponse.h"

#include <map>

namespace {

struct Route {
    std::string path;
    std::string method;
};

std::mutex g_routesMutex; // guards g_routes
std::map<const pf::Class*, Route> g_routes;

constexpr std::string_view kParamPrefix = "param_";

std::optional<Route> routeFromName(const std::string& name, const pf::Class* superclass)
{
    if (!superclass)
        return std::nullopt;
    const std::string& superName = superclass->name();
    auto underscore = superName.find('_');
    if (underscore == std::string::npos)
        return Route {};
    std::string prefix = superName.substr(0, underscore + 1);
    for (const char* method : { "POST", "GET" }) {
        std::string suffix = std::string("_") + method;
        if (name.size() >= prefix.size() + suffix.size() && name.starts_with(prefix) && name.ends_with(suffix))
            return Route { name.substr(prefix.size(), name.size() - prefix.size() - suffix.size()), method };
    }
    pf::log("Class name[%s] isn't compatible with format: %s(cgi path)_(POST|GET)", name.c_str(), prefix.c_str());
    return std::nullopt;
}

pf::Property paramProperty(const std::string& propertyName)
{
    std::string key = propertyName.substr(kParamPrefix.size());
    pf::Property property;
    property.name = propertyName;
    property.type = pf::PropertyType::Object;
    property.get = [key](const pf::Object& object) {
        return static_cast<const CVAPIRequest&>(object).objectForKey(key);
    };
    property.set = [key](pf::Object& object, const pf::Value& value) {
        static_cast<CVAPIRequest&>(object).setObject(value, key);
    };
    return property;
}

}

CVAPIRequest::CVAPIRequest(std::string apiURL, std::string method)
    : m_apiURL(std::move(apiURL)), m_method(std::move(method)), m_params(std::make_shared<pf::Dictionary>())
{
}

const pf::Class* CVAPIRequest::declareClass(std::type_index type, std::type_index superType, std::string name,
                                            std::function<pf::ObjectRef()> factory,
                                            const std::vector<std::string>& paramProperties)
{
    const pf::Class* superclass = pf::ClassRegistry::find(superType);
    auto route = routeFromName(name, superclass);
    if (!route)
        return nullptr;
    std::vector<pf::Property> properties;
    for (const auto& propertyName : paramProperties) {
        if (propertyName.starts_with(kParamPrefix) && propertyName.size() > kParamPrefix.size())
            properties.push_back(paramProperty(propertyName));
    }
    const pf::Class* cls = pf::ClassRegistry::add(
        type, pf::ClassRegistry::make(std::move(name), superclass, std::move(factory), {}, std::move(properties)));
    if (!route->path.empty()) {
        std::lock_guard lock(g_routesMutex);
        g_routes.emplace(cls, *route);
    }
    return cls;
}

std::optional<std::string> CVAPIRequest::APIPath(const pf::Class* cls)
{
    std::lock_guard lock(g_routesMutex);
    auto found = g_routes.find(cls);
    return found == g_routes.end() ? std::nullopt : std::optional<std::string>(found->second.path);
}

std::optional<std::string> CVAPIRequest::APIMethod(const pf::Class* cls)
{
    std::lock_guard lock(g_routesMutex);
    auto found = g_routes.find(cls);
    return found == g_routes.end() ? std::nullopt : std::optional<std::string>(found->second.method);
}

std::optional<std::string> CVAPIRequest::apiURL() const
{
    if (m_apiURL)
        return m_apiURL;
    auto base = APIBaseURL();
    auto path = APIPath(objectClass());
    if (!base || !path)
        return base;
    std::string url = *base;
    if (!url.ends_with('/'))
        url += '/';
    return url + *path;
}

std::optional<std::string> CVAPIRequest::method() const { return m_method ? m_method : APIMethod(objectClass()); }

void CVAPIRequest::setObject(const pf::Value& value, std::string_view key)
{
    if (value.isNil())
        m_params->remove(key);
    else
        m_params->set(key, value);
}

void CVAPIRequest::setParamUserData(pf::Value userData)
{
    m_paramUserData = std::move(userData);
    setObject(m_paramUserData, "userData");
}

bool CVAPIRequest::tryLoad()
{
    int expected = Idle;
    return m_state.compare_exchange_strong(expected, Loading);
}

void CVAPIRequest::cancel()
{
    int expected = Idle;
    if (!m_state.compare_exchange_strong(expected, Cancelled)) {
        expected = Loading;
        if (!m_state.compare_exchange_strong(expected, Cancelled))
            return;
    }
    std::shared_ptr<ICorvanaAPISession> session;
    pf::Value key;
    {
        std::lock_guard lock(m_mutex);
        session = m_corvanaOAuth.lock();
        key = m_requestKey;
    }
    if (session && !key.isNil())
        session->cancelWithRequestKey(key);
    reset();
}

void CVAPIRequest::reset()
{
    std::lock_guard lock(m_mutex);
    m_corvanaOAuth.reset();
    m_requestKey = {};
    m_callback.reset();
}

void CVAPIRequest::storeResponse(const std::shared_ptr<APIResponse>& response)
{
    if (!response)
        return;
    std::lock_guard lock(m_mutex);
    if (m_response && m_response->jsonResponse() && response->jsonResponse()) {
        auto merged = response->jsonResponse()->mutableCopy();
        merged->set("jsonResponse", m_response->jsonResponse());
        response->setJsonResponse(merged);
    }
    m_response = response;
}

void CVAPIRequest::apiBaseDidResponse(APIBase*, const std::shared_ptr<APIResponse>& response)
{
    auto self = shared_from_this();
    storeResponse(response);
    int expected = Loading;
    if (!m_state.compare_exchange_strong(expected, Answered))
        return;
    std::shared_ptr<CVAPIRequestDelegate> callback;
    {
        std::lock_guard lock(m_mutex);
        callback = m_callback.lock();
    }
    if (callback)
        callback->cgiRequestDidResponse(*this, response);
}

void CVAPIRequest::responseProcess(const std::shared_ptr<APIResponse>& response) { storeResponse(response); }

pf::Value CVAPIRequest::requestKey() const
{
    std::lock_guard lock(m_mutex);
    return m_requestKey;
}

void CVAPIRequest::setRequestKey(pf::Value key)
{
    std::lock_guard lock(m_mutex);
    m_requestKey = std::move(key);
}

void CVAPIRequest::setCorvanaOAuth(std::weak_ptr<ICorvanaAPISession> session)
{
    std::lock_guard lock(m_mutex);
    m_corvanaOAuth = std::move(session);
}

void CVAPIRequest::setCallback(std::weak_ptr<CVAPIRequestDelegate> callback)
{
    std::lock_guard lock(m_mutex);
    m_callback = std::move(callback);
}

std::shared_ptr<APIResponse> CVAPIRequest::response() const
{
    std::lock_guard lock(m_mutex);
    return m_response;
}
