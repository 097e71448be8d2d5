#include "sdk/zz/OpenApi.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Pasteboard.h"
#include "platform/foundation/Text.h"
#include "sdk/zz/APIResponse.h"
#include "sdk/zz/CorvanaApiInterface.h"
#include "sdk/zz/CorvanaJSObject.h"
#include "sdk/zz/CorvanaOAuth.h"
#include "sdk/zz/CvApiTool.h"
#include "sdk/zz/JsUpdateVersionController.h"
#include "sdk/zz/URLTools.h"
#include "sdk/zz/ZZApiDatastore.h"
#include "sdk/zz/ZZOpenApiUtility.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace {

struct State {
    std::string appScheme;
    std::optional<std::string> lastSlot;
    // The slot of a login whose answer has not been read yet.
    std::optional<std::string> pendingLoginSlot;
    std::weak_ptr<CorvanaSessionDelegate> sessionDelegate;
    std::weak_ptr<CorvanaOAuth> oldApi;
    std::weak_ptr<CorvanaSessionDelegate> loginDelegate;
};

State& state()
{
    static State s;
    return s;
}

bool canOpen(const std::string& url) { return ZZOpenApiUtility::canOpenURL(pf::URL::create(url)); }

bool open(const std::string& text)
{
    return ZZOpenApiUtility::openURL(pf::URL::create(OpenApi::addPercentEscapes(text))) == 0;
}

std::optional<std::string> nonEmpty(const pf::DictionaryRef& dict, std::string_view key)
{
    auto value = dict ? dict->get(key).stringValue() : std::nullopt;
    if (value && value->empty())
        return std::nullopt;
    return value;
}

// The login payload; keys stop at the first missing value.
pf::DictionaryRef loginPayload(const std::optional<std::string>& scope, const std::optional<std::string>& appId,
                               const std::optional<std::string>& responseType)
{
    auto payload = std::make_shared<pf::Dictionary>();
    std::optional<std::string> name = OpenApi::appName();
    const std::pair<const char*, const std::optional<std::string>*> keys[] = {
        { "scope", &scope }, { "app_id", &appId }, { "client_id", &appId }, { "app_name", &name },
        { "response_type", &responseType },
    };
    for (const auto& [key, value] : keys) {
        if (!*value)
            break;
        payload->set(key, **value);
    }
    return payload;
}

std::optional<pf::Bytes> archive(const pf::DictionaryRef& payload)
{
    return payload ? pf::KeyedArchiver::archivedDataWithRootObject(pf::Value(payload)) : std::nullopt;
}

// An answer: a dictionary of texts, "response_data" alone may be data.
pf::DictionaryRef readAnswer(const std::optional<pf::Bytes>& data)
{
    if (!data || data->size() > OpenApi::kMaxSlotSize)
        return nullptr;
    static const std::set<std::string> allowed = { "Dictionary", "String", "Data" };
    auto root = pf::KeyedUnarchiver::unarchiveObjectWithData(*data, allowed, OpenApi::kMaxSlotSize);
    auto dict = root ? root->dictionary() : nullptr;
    if (!dict)
        return nullptr;
    for (const auto& key : dict->keys()) {
        pf::Value value = dict->get(key);
        if (!(value.isString() || (key == "response_data" && value.isData())))
            return nullptr;
    }
    return dict;
}

std::optional<std::string> store(const pf::DictionaryRef& payload, bool general, const std::string& scheme)
{
    auto data = archive(payload);
    if (!data)
        return std::nullopt;
    std::string slot;
    if (general) {
        slot = std::string(ZZApiDatastore::kPasteboardPrefix) + scheme;
        pf::Pasteboard::general()->setData(*data, slot);
    } else {
        auto board = pf::Pasteboard::withUniqueName();
        if (!board)
            return std::nullopt;
        board->setData(*data, OpenApi::kDataType);
        slot = board->name();
    }
    state().lastSlot = slot;
    return slot;
}

std::optional<double> expiry(const pf::DictionaryRef& answer)
{
    double now = pf::Date::now().seconds;
    auto text = answer->string("expires_in");
    if (!text)
        return now + 2592000;
    long long seconds = 0;
    auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), seconds);
    // Like an integer value: leading digits count, anything else reads 0.
    if (error == std::errc::result_out_of_range)
        return OpenApi::kDistantFuture;
    if (error != std::errc() || seconds == 0)
        return OpenApi::kDistantFuture;
    (void)end;
    double at = now + static_cast<double>(std::max(seconds, 0LL));
    return std::min(at, OpenApi::kDistantFuture);
}

bool isNumeric(const std::string& command)
{
    long long value = 0;
    auto [end, error] = std::from_chars(command.data(), command.data() + command.size(), value);
    return error == std::errc() && end == command.data() + command.size() && std::to_string(value) == command;
}

void deliverNamed(const std::string& command, const pf::DictionaryRef& answer, bool story)
{
    auto data = answer ? answer->get("response_data").data() : nullptr;
    auto response = data ? APIResponse::unarchive(*data) : nullptr;
    if (!response)
        return;
    auto delegate = state().sessionDelegate.lock();
    if (!delegate)
        return;
    std::string name = story ? "SendStory" : command;
    std::string selector = name;
    selector[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(selector[0])));
    selector += "Response:";
    if (!CorvanaOAuth::deliverNamedResponse(*delegate, selector, response))
        delegate->responseDidReceived(response, name);
}

// What an answer whose path is not "/<scheme>/<command>" becomes.
enum class UnplacedAnswer {
    // Offered to the session (a URL the app switch cannot read may be the
    // session's own).
    OfferToSession,
    // Refused: the session's scripts sent it here, and offering it back
    // would start the same round again, without end.
    Refuse,
};

bool process(const pf::URL& url, const std::shared_ptr<CorvanaOAuth>& handler,
             const std::shared_ptr<CorvanaSessionDelegate>& loginDelegate, UnplacedAnswer unplaced)
{
    std::string text = url.absoluteString();
    if (text.size() > OpenApi::kMaxURLLength)
        return false;
    std::string decodedPath = url.path();
    if (pf::dropInvalidUtf8(decodedPath).size() != decodedPath.size())
        return false;
    std::vector<std::string> components = { "/" };
    for (std::string_view path = decodedPath; !path.empty();) {
        std::size_t slash = path.find('/');
        std::string_view piece = path.substr(0, slash);
        if (!piece.empty())
            components.emplace_back(piece);
        if (slash == std::string_view::npos)
            break;
        path.remove_prefix(slash + 1);
    }
    if (components.size() != 3)
        return unplaced == UnplacedAnswer::OfferToSession && handler && handler->handleOpenURL(url);
    auto query = OpenApi::dictionaryByParseUrlFromSeparator(text, "?");
    if (!query)
        return false;
    const std::string& command = components[2];
    bool general = query->get("generalpastboard").stringOr() == "1";
    State& s = state();
    bool isLogin = command == "0";
    if (isLogin && (!s.pendingLoginSlot || s.pendingLoginSlot != s.lastSlot)) {
        pf::log("OpenApi: a login answer without a pending login is ignored");
        return true;
    }
    if (!isLogin && s.pendingLoginSlot && s.pendingLoginSlot == s.lastSlot) {
        // Only the login's own answer may take the login's slot.
        pf::log("OpenApi: an answer other than the login's is ignored while a login is pending");
        return true;
    }
    pf::DictionaryRef answer;
    if (s.lastSlot && (!command.empty() && (isLogin || command == "1" || !isNumeric(command)))) {
        answer = general ? OpenApi::getDictionaryFromGeneralPasteBoard(*s.lastSlot)
                         : OpenApi::getDictionaryFromPasteBoard(*s.lastSlot);
        if (isLogin)
            s.pendingLoginSlot.reset();
    }
    if (!command.empty() && !isNumeric(command)) {
        deliverNamed(command, answer, false);
    } else if (command == "1") {
        deliverNamed(command, answer, true);
    } else if (isLogin && handler) {
        auto delegate = loginDelegate;
        if (!answer) {
            // An unreadable answer still ends the login.
            pf::log("OpenApi: the login answer is missing or refused");
            if (delegate)
                delegate->corvanaDidNotLogin(false);
            return true;
        }
        if (answer->get("user_cancelled").stringOr() == "YES") {
            if (delegate)
                delegate->corvanaDidNotLogin(true);
            return true;
        }
        auto openId = answer->string("openid");
        auto token = answer->string("access_token");
        if (openId && token) {
            handler->setOpenId(openId);
            handler->setAccessToken(token);
            handler->setExpirationDate(pf::Date { *expiry(answer) });
            handler->setEncryToken(answer->string("encrytoken"));
        }
        if (!delegate)
            return true;
        if (openId && token)
            delegate->corvanaDidLogin();
        else
            delegate->corvanaDidNotLogin(false);
    }
    return true;
}

}

bool OpenApi::registerApp(const std::string& appId)
{
    state().appScheme = "corvana" + appId;
    return true;
}

bool OpenApi::registerApp(const std::string& appId, std::weak_ptr<CorvanaSessionDelegate> delegate,
                          std::weak_ptr<CorvanaOAuth> oldApi)
{
    state().sessionDelegate = std::move(delegate);
    state().oldApi = std::move(oldApi);
    return registerApp(appId);
}

void OpenApi::clearParam()
{
    state().sessionDelegate.reset();
    state().oldApi.reset();
    state().loginDelegate.reset();
}

const std::string& OpenApi::appScheme() { return state().appScheme; }

void OpenApi::resetForTesting() { state() = State(); }

bool OpenApi::handleOpenURL(const pf::URL& url)
{
    if (url.absoluteString().size() > kMaxURLLength)
        return false;
    auto delegate = state().sessionDelegate.lock();
    if (CorvanaApiInterface::canOpenURL(url))
        return CorvanaApiInterface::handleOpenURL(url, std::dynamic_pointer_cast<CorvanaApiInterfaceDelegate>(delegate));
    if (url.scheme() == state().appScheme && url.host() == "pzapp")
        return processMessage(url);
    auto session = state().oldApi.lock();
    return session && session->handleOpenURL(url);
}

bool OpenApi::canHandleOpenURL(const pf::URL& url)
{
    if (url.scheme() == state().appScheme && url.host() == "pzapp")
        return true;
    auto session = state().oldApi.lock();
    return session && session->oldCanhandleOpenURL(url);
}

bool OpenApi::canParseURL(const pf::URL& url) { return ZZOpenApiUtility::canOpenURL(url); }
bool OpenApi::canParseApplicationUrlStr(const std::string& url) { return canOpen(url); }

int OpenApi::zzVersion()
{
    const char* probes[] = { "mzzopensdkapiV2://zzapp", "mzzOpensdkSSoLogin://zzapp", "mzz://zzapp" };
    for (int i = 0; i < 3; ++i) {
        if (canOpen(probes[i]))
            return 3 - i;
    }
    return 0;
}

int OpenApi::plazaVersion()
{
    const char* probes[] = { "mplazaopensdkapiV2://pzapp", "mplazaopensdkapi19://pzapp", "mplazaopensdkapi://pzapp",
                             "mplazaopensdk://pzapp", "mplaza://pzapp" };
    for (int i = 0; i < 5; ++i) {
        if (canOpen(probes[i]))
            return 5 - i;
    }
    return 0;
}

bool OpenApi::isPlazaInstalled() { return canOpen("mplazaopensdk://pzapp") || canOpen("mplazaopensdkapi://pzapp"); }
bool OpenApi::isSupportGeneralPastboard() { return canOpen("mzzopensdkapiV2://"); }
bool OpenApi::isPlazaSupportGeneralPastboard() { return canOpen("mplazaopensdkapiV2://"); }

std::optional<std::string> OpenApi::saveDictionary(const pf::DictionaryRef& payload)
{
    return store(payload, false, {});
}

std::optional<std::string> OpenApi::saveDictionaryByGeneralPastboard(const pf::DictionaryRef& payload)
{
    return store(payload, true, state().appScheme);
}

std::optional<std::string> OpenApi::saveDictionaryByGeneralPastboardWithSchema(const pf::DictionaryRef& payload,
                                                                               const std::string& appSchema)
{
    return store(payload, true, appSchema);
}

pf::DictionaryRef OpenApi::getDictionaryFromPasteBoard(const std::string& name)
{
    auto board = pf::Pasteboard::withName(name, false);
    if (!board)
        return nullptr;
    auto data = board->dataForPasteboardType(kDataType);
    pf::Pasteboard::removePasteboardWithName(name);
    return readAnswer(data);
}

pf::DictionaryRef OpenApi::getDictionaryFromGeneralPasteBoard(const std::string& type)
{
    std::optional<pf::Bytes> data;
    // Taken and cleared under one lock, so a peer's write cannot slip between.
    pf::Pasteboard::general()->modifyItems([&](std::vector<pf::Pasteboard::Item>& items) {
        for (auto& item : items) {
            for (auto it = item.begin(); it != item.end(); ++it) {
                if (it->first == type) {
                    if (!data)
                        data = it->second;
                    item.erase(it);
                    break;
                }
            }
        }
        std::erase_if(items, [](const pf::Pasteboard::Item& item) { return item.empty(); });
    });
    return readAnswer(data);
}

pf::DictionaryRef OpenApi::dictionaryByParseUrlFromSeparator(const std::string& url, std::string_view separator)
{
    pf::QueryRules rules = kStrictPairs;
    rules.undecodable = pf::QueryRules::Undecodable::RefusesQuery;
    return pf::parseQueryBehind(url, separator, rules);
}

bool OpenApi::openZZWithCommand(int command, const pf::DictionaryRef& payload)
{
    const std::string& scheme = state().appScheme;
    if (zzVersion() < 2 || command != 0 || !CvApiTool::isRegistSchemeInfoPlistFile(scheme))
        return false;
    bool general = isSupportGeneralPastboard();
    auto slot = general ? saveDictionaryByGeneralPastboard(payload) : saveDictionary(payload);
    if (!slot)
        return false;
    return open("mzzOpensdkSSoLogin://SSoLogin/" + scheme + "/" + *slot + "?generalpastboard=" + (general ? "1" : "0"));
}

bool OpenApi::openPlazaWithCommandStr(const std::string& command, const pf::DictionaryRef& payload)
{
    const std::string& scheme = state().appScheme;
    if (plazaVersion() < 3 || !CvApiTool::isRegistSchemeInfoPlistFile(scheme))
        return false;
    bool general = isPlazaSupportGeneralPastboard();
    auto slot = general ? saveDictionaryByGeneralPastboard(payload) : saveDictionary(payload);
    if (!slot)
        return false;
    return open("mplazaopensdkapi://pzapp/" + scheme + "/" + *slot + "/" + command + "?generalpastboard="
                + (general ? "1" : "0"));
}

bool OpenApi::openPlazaWithCommand(int command, const std::string&, const pf::DictionaryRef& payload)
{
    return openPlazaWithCommandStr(std::to_string(static_cast<unsigned>(command)), payload);
}

bool OpenApi::openPlaza() { return isPlazaInstalled() && open("mplazaopensdk://pzapp/" + state().appScheme + "/"); }

bool OpenApi::sendCommandToPlaza(const std::string& command, const pf::DictionaryRef& payload)
{
    return openPlazaWithCommandStr(command, payload);
}

bool OpenApi::shareWithPlazaWithData(const pf::DictionaryRef& payload) { return openPlazaWithCommandStr("1", payload); }

bool OpenApi::niceAuthorizeWithPermission(const std::string& permissions,
                                          std::weak_ptr<CorvanaSessionDelegate> delegate, bool firstCall,
                                          const std::string& appId)
{
    if (appId.empty() || appName().empty())
        return false;
    auto payload = loginPayload(permissions, appId, std::string("token"));
    bool opened = firstCall ? (openZZWithCommand(0, payload) || openPlazaWithCommandStr("0", payload))
                            : (openPlazaWithCommandStr("0", payload) || openZZWithCommand(0, payload));
    if (!opened)
        return false;
    state().loginDelegate = std::move(delegate);
    state().pendingLoginSlot = state().lastSlot;
    return true;
}

namespace {

std::string scriptLogin(const pf::DictionaryRef& params, bool zz)
{
    auto appScheme = params ? params->string("appScheme") : std::nullopt;
    auto appId = nonEmpty(params, "appid");
    auto scheme = params ? params->string(zz ? "ZZApiScheme" : "PlazaApiScheme") : std::nullopt;
    auto host = params ? params->string(zz ? "ZZHost" : "PlazaHost") : std::nullopt;
    if (!appId || OpenApi::appName().empty() || !appScheme || !scheme || !host)
        return "false";
    auto payload = loginPayload(params->string("permission"), appId, params->string("ResponseType"));
    bool general = zz ? OpenApi::isSupportGeneralPastboard() : OpenApi::isPlazaSupportGeneralPastboard();
    auto slot = general ? OpenApi::saveDictionaryByGeneralPastboardWithSchema(payload, *appScheme)
                        : OpenApi::saveDictionary(payload);
    if (!slot)
        return "false";
    state().pendingLoginSlot = slot;
    std::string url = *scheme + "://" + *host + "/" + *appScheme + "/" + *slot + (zz ? "" : "/0")
        + "?generalpastboard=" + (general ? "1" : "0");
    return open(url) ? "true" : "false";
}

}

std::string OpenApi::sendCommandToZZWith(const pf::DictionaryRef& params) { return scriptLogin(params, true); }
std::string OpenApi::sendCommandToPlazaWith(const pf::DictionaryRef& params) { return scriptLogin(params, false); }

bool OpenApi::processMessage(const pf::URL& url)
{
    if (url.scheme() != state().appScheme)
        return false;
    auto session = state().oldApi.lock();
    return process(url, session, session ? state().loginDelegate.lock() : nullptr, UnplacedAnswer::OfferToSession);
}

bool OpenApi::processMessageCallByOAuth(const pf::URL& url, const std::shared_ptr<CorvanaOAuth>& handler)
{
    return process(url, handler, handler, UnplacedAnswer::Refuse);
}

int OpenApi::js_getSystemOSVersion()
{
    return static_cast<int>(pf::DeviceProfile::current().systemVersionNumber());
}

std::string OpenApi::appName()
{
    return pf::Bundle::main()->infoDictionary()->get("CFBundleDisplayName").stringOr();
}

std::string OpenApi::addPercentEscapes(std::string_view text) { return URLTools::escape(text, URLTools::kURLReserved); }

namespace {

constexpr int S = static_cast<int>(CorvanaType::String);
constexpr int D = static_cast<int>(CorvanaType::Dictionary);
constexpr int B = static_cast<int>(CorvanaType::Bool);
constexpr int I = static_cast<int>(CorvanaType::Int);

using Arguments = std::vector<pf::Value>;

pf::DictionaryRef argument(const Arguments& arguments)
{
    return arguments.empty() ? nullptr : arguments[0].dictionary();
}

// The payload the scripts ask for, with their script version, bundle id and
// the SDK information.
pf::DictionaryRef scriptPayload(const pf::DictionaryRef& params)
{
    auto payload = loginPayload(params ? params->string("permission") : std::nullopt,
                                params ? params->string("appid") : std::nullopt,
                                params ? params->string("ResponseType") : std::nullopt);
    for (const char* key : { "jsVersion", "bundleId" }) {
        if (auto value = params ? params->string(key) : std::nullopt)
            payload->set(key, *value);
    }
    auto info = CvApiTool::SDKInfo(); // held: a range over *temporary would dangle
    for (const auto& [key, value] : *info)
        payload->set(key, value);
    return payload;
}

pf::Value slotValue(const std::optional<std::string>& slot) { return slot ? pf::Value(*slot) : pf::Value(); }

}

std::optional<std::string> OpenApi::JS_saveDictionary(const pf::DictionaryRef& params)
{
    auto slot = saveDictionary(scriptPayload(params));
    if (slot)
        state().pendingLoginSlot = slot;
    return slot;
}

std::optional<std::string> OpenApi::JS_saveDictionaryByGeneralPastboardWithSchema(const pf::DictionaryRef& params)
{
    auto scheme = params ? params->string("appScheme") : std::nullopt;
    if (!scheme)
        return std::nullopt;
    auto slot = saveDictionaryByGeneralPastboardWithSchema(scriptPayload(params), *scheme);
    if (slot)
        state().pendingLoginSlot = slot;
    return slot;
}

std::shared_ptr<CorvanaJSObject> OpenApi::openApiModule()
{
    return CorvanaJSObject::classModule("openApi", {
        {"isAppVersion:", "isAppVersion", S, {D}, [](const Arguments& a) {
             auto urls = argument(a);
             bool any = false;
             if (urls) {
                 for (const auto& key : urls->keys()) {
                     auto url = urls->get(key).stringValue();
                     any = any || (url && canOpen(*url));
                 }
             }
             return pf::Value(any ? "true" : "false");
         }},
        {"handleOpenUrlJudge:", "handleOpenUrlJudge", S, {D}, [](const Arguments& a) {
             auto params = argument(a);
             auto text = params ? params->string("urlStr") : std::nullopt;
             auto url = text && text->size() <= kMaxURLLength ? pf::URL::create(*text) : std::nullopt;
             if (!url)
                 return pf::Value("NO");
             if (!CorvanaApiInterface::canOpenURL(*url))
                 return pf::Value("YES");
             auto delegate = state().sessionDelegate.lock();
             CorvanaApiInterface::handleOpenURL(*url, std::dynamic_pointer_cast<CorvanaApiInterfaceDelegate>(delegate));
             return pf::Value("NO");
         }},
    });
}

std::shared_ptr<CorvanaJSObject> OpenApi::openapiModule()
{
    return CorvanaJSObject::classModule("openapi", {
        {"JS_saveDictionary:", "saveDictionary", S, {D}, [](const Arguments& a) {
             return slotValue(JS_saveDictionary(argument(a)));
         }},
        {"JS_saveDictionaryByGeneralPastboardWithSchema:", "saveDictionaryByGeneralPastboardWithSchema", S, {D},
         [](const Arguments& a) { return slotValue(JS_saveDictionaryByGeneralPastboardWithSchema(argument(a))); }},
        {"JS_isSupportPastboard:", "isSupportPastboard", B, {D}, [](const Arguments& a) {
             auto params = argument(a);
             auto url = params ? params->string("url") : std::nullopt;
             return pf::Value(url && canOpen(*url));
         }},
        {"JS_getAppName:", "getAppName", S, {D}, [](const Arguments&) { return pf::Value(appName()); }},
        {"JS_openURL:", "openURL", S, {D}, [](const Arguments& a) {
             auto params = argument(a);
             auto url = params ? params->string("url") : std::nullopt;
             return pf::Value(url && url->size() <= kMaxURLLength && open(*url) ? "true" : "false");
         }},
        {"js_getSystemOSVersion", "getSystemOSVersion", I, {}, [](const Arguments&) {
             return pf::Value(js_getSystemOSVersion());
         }},
        {"JS_getBundleIdentifier", "getBundleIdentifier", S, {}, [](const Arguments&) {
             return pf::Value(pf::Bundle::main()->infoDictionary()->get("CFBundleIdentifier").stringOr());
         }},
        {"JS_getJSVersion", "getJSVersion", S, {}, [](const Arguments&) {
             return pf::Value(JsUpdateVersionController::getVersion());
         }},
    });
}
