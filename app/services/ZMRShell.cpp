#include "app/services/ZMRShell.h"

#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRAuthTasks.h"
#include "app/services/ZMRConcernService.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/IKRUIViewController.h"
#include "framework/db/KRDBContext.h"
#include "framework/db/KRSqlite.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/ViewController.h"

#include <cassert>
#include <cmath>

const char* const ZMRUserChangedNotification = "ZMRUserChangedNotification";
const char* const ZMRUserInfoChangedNotification = "ZMRUserInfoChangedNotification";
const char* const ZMRLocationChangedNotification = "ZMRLocationChangedNotification";

namespace {

pf::UserDefaults& defaults()
{
    return pf::UserDefaults::standard();
}

// Writing what is already stored would only cost a disk write.
void store(const pf::Value& value, const char* key)
{
    if (defaults().objectForKey(key) == value)
        return;
    defaults().setObject(value, key);
    defaults().synchronize();
}

void storeText(const std::optional<std::string>& text, const char* key)
{
    store(text ? pf::Value(*text) : pf::Value(), key);
}

std::optional<std::string> readText(const char* key)
{
    return defaults().stringForKey(key);
}

double localClock()
{
    return pf::Date::now().seconds;
}

}

std::shared_ptr<ZMRContext> ZMRContextLink::of(const std::shared_ptr<IKRServiceContext>& context)
{
    if (!context)
        return nullptr;
    // The same object only while the one cast is alive: a new context at the
    // address of a released one has another owner.
    if (m_to && !m_from.owner_before(context) && !context.owner_before(m_from) && !m_from.expired())
        return std::shared_ptr<ZMRContext>(context, m_to);
    auto cast = std::dynamic_pointer_cast<ZMRContext>(context);
    m_from = context;
    m_to = cast.get();
    return cast;
}

std::optional<std::string> ZMRUserDBName(const pf::Value& uid)
{
    if (uid.isNumber()) {
        const pf::Number plain = uid.number()->withoutDecimal();
        const pf::Number* number = &plain;
        if (number->type == pf::NumberType::Bool)
            return std::nullopt;
        if (!number->isReal())
            return number->type == pf::NumberType::UnsignedLongLong
                       ? std::to_string(static_cast<unsigned long long>(number->integer))
                       : std::to_string(number->integer);
        double real = number->real;
        // A whole number sent as a real is still that integer.
        if (!std::isfinite(real) || std::trunc(real) != real || std::fabs(real) > 9.0e15)
            return std::nullopt;
        return std::to_string(static_cast<long long>(real));
    }
    const std::string* text = uid.string();
    if (!text || text->empty() || text->size() > 64)
        return std::nullopt;
    for (char c : *text) {
        bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
        if (!ok)
            return std::nullopt;
    }
    return *text;
}

std::shared_ptr<ZMRShell> ZMRShell::create(pf::DictionaryRef config, std::shared_ptr<pf::Bundle> bundle)
{
    std::shared_ptr<ZMRShell> shell(new ZMRShell);
    shell->initWithConfig(std::move(config), std::move(bundle));
    return shell;
}

// Tracking ends by itself: the provider holds the shell weakly and drops
// fixes once it is gone.
ZMRShell::~ZMRShell() = default;

void ZMRShell::openConfigUrl(const char* key, bool animated)
{
    auto text = config()->string(key);
    auto root = rootViewController();
    if (!text || !root)
        return;
    if (auto url = pf::URL::create(*text))
        root->openUrl(*url, animated);
    else
        pf::log("%s is not a URL: %s", key, text->c_str());
}

void ZMRShell::toRootViewController(bool animated)
{
    openConfigUrl("url-auth", animated);
}

std::shared_ptr<pf::ViewController> ZMRShell::topPresentViewController()
{
    auto top = std::dynamic_pointer_cast<pf::ViewController>(rootViewController());
    while (top && top->modalViewController())
        top = top->modalViewController();
    return top;
}

void ZMRShell::logout(bool animated)
{
    openConfigUrl("url-anonymous", animated);
    setAuth(pf::Value(), std::nullopt);
}


void ZMRShell::sendTask(const pf::Protocol* taskType, pf::ObjectRef task)
{
    std::static_pointer_cast<KRTask>(task)->setSource(shared_from_this());
    handle(taskType, task, 0);
}

void ZMRShell::setAuth(const pf::Value& newUid, const std::optional<std::string>& newToken)
{
    PF_ASSERT_MAIN_THREAD();
    auto self = shared_from_this();
    // Null from an answer means no user, like nil.
    pf::Value userId = newUid.isNull() ? pf::Value() : newUid;
    if (userId.isNil() && !uid().isNil()) {
        cancelHandle(proto::IZMRConcernTask(), nullptr);
        // The ZZ and Voxly tokens not yet answered go, and their "验证中...".
        withdrawTokens(false);
        cancelHandleForSource(this);
        // The logout request takes the user id and token into its form now,
        // while they are still stored.
        sendTask(proto::IZMRLogoutTask(), std::make_shared<ZMRLogoutTask>());
        setIntegral(0);
    }
    pf::Value tokenValue = newToken ? pf::Value(*newToken) : pf::Value();
    // The cached screens (the drawer and all under it) hold what the server
    // gave the previous user: hearts, follow buttons, the ledger. The next
    // user's first URL builds them afresh. A user changes only on the
    // sign-in screen or on the way to it, so none of them stays in sight.
    if (!(uid() == userId))
        forgetCachedViewControllers();
    if (!(defaults().objectForKey("uid") == userId) || !(defaults().objectForKey("token") == tokenValue)) {
        defaults().setObject(userId, "uid");
        defaults().setObject(tokenValue, "token");
        defaults().synchronize();
    }
    m_userDBContext.reset();
    setConcernVersion(0);
    if (!userId.isNil()) {
        sendTask(proto::IZMRConcernTask(), std::make_shared<ZMRConcernTask>());
        sendTask(proto::IZMRCoinTask(), std::make_shared<ZMRCoinTask>());
    }
    pf::NotificationCenter::defaultCenter().post(ZMRUserChangedNotification);
}

void ZMRShell::startLocation()
{
    PF_ASSERT_MAIN_THREAD();
    auto& provider = pf::LocationProvider::shared();
    provider.stop();
    std::weak_ptr<pf::Object> weakSelf = shared_from_this();
    provider.start(weakSelf, [weakSelf](const pf::Location& location) {
        if (auto self = std::static_pointer_cast<ZMRShell>(weakSelf.lock()))
            self->didUpdateUserLocation(location);
    });
}

void ZMRShell::didUpdateUserLocation(const pf::Location& location)
{
    m_location = location;
    pf::NotificationCenter::defaultCenter().post(ZMRLocationChangedNotification);
}

bool ZMRShell::isNeedsUpdateLocation() const
{
    if (!m_location)
        return true;
    return localClock() - m_location->timestamp.seconds > 60.0;
}

double ZMRShell::distance(double latitude, double longitude) const
{
    if (!pf::LocationProvider::locationServicesEnabled())
        return -1.0;
    double ownLatitude = m_location ? m_location->latitude : 0;
    double ownLongitude = m_location ? m_location->longitude : 0;
    if (ownLatitude == 0 && ownLongitude == 0)
        return -2.0;
    constexpr double pi = 3.141592653589793;
    double phi1 = ownLatitude * pi / 180, phi2 = latitude * pi / 180;
    double lambda1 = ownLongitude * pi / 180, lambda2 = longitude * pi / 180;
    double sinPhi = std::sin((phi1 - phi2) / 2);
    double sinLambda = std::sin((lambda1 - lambda2) / 2);
    double a = sinPhi * sinPhi + std::cos(phi1) * std::cos(phi2) * sinLambda * sinLambda;
    // Rounding can push a just past 1 for antipodal points.
    a = std::min(1.0, std::max(0.0, a));
    return 2 * std::asin(std::sqrt(a)) * 6378137.0;
}

pf::Value ZMRShell::uid() const
{
    return defaults().objectForKey("uid");
}

std::optional<std::string> ZMRShell::token() const
{
    return readText("token");
}

void ZMRShell::setToken(const std::optional<std::string>& token)
{
    storeText(token, "token");
}

std::optional<std::string> ZMRShell::deviceToken() const
{
    return readText("device-token");
}

void ZMRShell::setDeviceToken(const std::optional<std::string>& deviceToken)
{
    storeText(deviceToken, "device-token");
}

double ZMRShell::timestamp() const
{
    double server = defaults().doubleForKey("timestamp");
    double now = localClock();
    if (server == 0 || !std::isfinite(server))
        return now;
    return server + (now - defaults().doubleForKey("timestamp-local"));
}

void ZMRShell::setTimestamp(double timestamp)
{
    if (!std::isfinite(timestamp))
        return;
    double now = localClock();
    defaults().setObject(timestamp, "timestamp");
    defaults().setObject(now, "timestamp-local");
    // Measured against what was written, not against the last answer, so that
    // small steps cannot add up to a written clock further off than a second.
    if (m_writtenClock && std::fabs(m_writtenClock->first + (now - m_writtenClock->second) - timestamp) < 1.0)
        return;
    if (defaults().synchronize())
        m_writtenClock = std::make_pair(timestamp, now);
}

std::optional<std::string> ZMRShell::account() const
{
    return readText("account");
}

void ZMRShell::setAccount(const std::optional<std::string>& account)
{
    storeText(account, "account");
}

std::optional<std::string> ZMRShell::nick() const
{
    return readText("nick");
}

void ZMRShell::setNick(const std::optional<std::string>& nick)
{
    storeText(nick, "nick");
}

long long ZMRShell::integral() const
{
    return defaults().integerForKey("integral");
}

void ZMRShell::setIntegral(long long integral)
{
    store(pf::Value(integral), "integral");
}

pf::Value ZMRShell::userInfo() const
{
    return defaults().objectForKey("userInfo");
}

void ZMRShell::setUserInfo(const pf::Value& userInfo)
{
    store(userInfo, "userInfo");
    pf::NotificationCenter::defaultCenter().post(ZMRUserInfoChangedNotification);
}

std::optional<std::string> ZMRShell::voxlyToken() const
{
    return readText("voxlyToken");
}

void ZMRShell::setVoxlyToken(const std::optional<std::string>& token)
{
    storeText(token, "voxlyToken");
}

std::optional<std::string> ZMRShell::zzToken() const
{
    return readText("zzToken");
}

void ZMRShell::setZzToken(const std::optional<std::string>& token)
{
    storeText(token, "zzToken");
}

long long ZMRShell::concernVersion() const
{
    return defaults().integerForKey("concernVersion");
}

void ZMRShell::setConcernVersion(long long version)
{
    store(pf::Value(version), "concernVersion");
    m_hasConcernChanged = false;
}

KRDBContextRef ZMRShell::openDBContext(const std::string& fileName, const char* classesKey)
{
    std::vector<const pf::Class*> classes;
    if (auto names = config()->array(classesKey))
        for (const pf::Value& name : *names)
            if (const std::string* text = name.string())
                classes.push_back(pf::Class::named(*text));
    auto context = KRDBContext::openAtPath(pf::documentsDirectory() + "/" + fileName, classes);
    if (!context.ok()) {
        pf::log("cannot open %s: %s", fileName.c_str(), context.error().description.c_str());
        return nullptr;
    }
    return context.value();
}

KRDBContextRef ZMRShell::appDBContext()
{
    PF_ASSERT_MAIN_THREAD();
    if (!m_appDBContext)
        m_appDBContext = openDBContext("app.db", "app-db");
    return m_appDBContext;
}

KRDBContextRef ZMRShell::userDBContext()
{
    PF_ASSERT_MAIN_THREAD();
    if (!m_userDBContext) {
        auto name = ZMRUserDBName(uid());
        if (!name)
            return nullptr;
        m_userDBContext = openDBContext("u_" + *name + ".db", "user-db");
        if (m_userDBContext)
            ZMRConcernIndexSections(*m_userDBContext);
    }
    return m_userDBContext;
}
