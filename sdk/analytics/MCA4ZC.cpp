#include "sdk/analytics/MCA4ZC.h"

#include "platform/foundation/ApplicationNotifications.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/UserDefaults.h"
#include "sdk/analytics/MCA4ZCClock.h"
#include "sdk/analytics/MCA4ZCConfig.h"
#include "sdk/analytics/MCA4ZCDataConfigHolder.h"
#include "sdk/analytics/MCA4ZCDispatcher.h"
#include "sdk/analytics/MCA4ZCEvent.h"
#include "sdk/analytics/MCA4ZCHelper.h"
#include "sdk/analytics/MCA4ZCReachability.h"
#include "sdk/analytics/MCA4ZCShareDID.h"
#include "sdk/analytics/MCA4ZCStore.h"

#include <atomic>
#include <ctime>
#include <map>
#include <mutex>
#include <random>

namespace {

std::mutex g_instanceMutex; // guards g_instance
std::shared_ptr<MCA4ZC> g_instance;

std::atomic<std::uint32_t> g_sessionId{0};
std::atomic<std::uint32_t> g_lastActivity{0};
std::atomic<std::uint32_t> g_nextMidnight{0};
std::atomic<bool> g_zzEventSent{false};

std::mutex g_timingMutex; // guards g_timings
std::unique_ptr<std::map<std::string, std::uint32_t>> g_timings;

// Session ids come from a generator of their own, seeded once, so that the
// process generator stays untouched and two sessions in one second differ.
std::uint32_t nextSessionId()
{
    static std::mutex mutex;
    static std::mt19937 generator{std::random_device()()};
    std::lock_guard lock(mutex);
    std::uint32_t id = 0;
    while (id == 0)
        id = generator();
    return id;
}

// The next local 00:00 by the calendar, so days of 23 or 25 hours end right.
std::uint32_t nextLocalMidnight(std::uint32_t now)
{
    std::time_t t = now;
    std::tm parts{};
    localtime_r(&t, &parts);
    parts.tm_mday += 1;
    parts.tm_hour = 0;
    parts.tm_min = 0;
    parts.tm_sec = 0;
    parts.tm_isdst = -1;
    std::time_t midnight = std::mktime(&parts);
    return midnight > t ? static_cast<std::uint32_t>(midnight) : now + 86400;
}

bool statEnabled() { return MCA4ZCConfig::getInstance().statEnable.load(); }

std::string lengthPrefixed(const std::string& text) { return std::to_string(text.size()) + ":" + text; }

}

MCA4ZC::MCA4ZC() : m_queue(pf::DispatchQueue::create("ZCCorvanaAnalysis")) {}

MCA4ZC::~MCA4ZC()
{
    for (std::uint64_t token : m_observerTokens)
        pf::NotificationCenter::defaultCenter().removeObserver(token);
}

std::shared_ptr<MCA4ZC> MCA4ZC::getInstance()
{
    std::lock_guard lock(g_instanceMutex);
    return g_instance;
}

std::shared_ptr<MCA4ZC> MCA4ZC::instanceForStart()
{
    std::shared_ptr<MCA4ZC> facade;
    {
        std::lock_guard lock(g_instanceMutex);
        if (g_instance)
            return g_instance;
        facade.reset(new MCA4ZC());
        g_instance = facade;
    }
    facade->init();
    return facade;
}

void MCA4ZC::init()
{
    auto store = MCA4ZCStore::getInstance();
    auto helper = MCA4ZCHelper::getInstance();
    helper->setUserStore(store);
    m_queue->async([store] {
        MCA4ZCDataConfigHolder::initSingleton(store);
        if (MCA4ZCConfig::getInstance().reportStrategy == 3)
            store->sendCachedEvents(-1);
    });
    observeApplication();
}

void MCA4ZC::observeApplication()
{
    pf::NotificationCenter& center = pf::NotificationCenter::defaultCenter();
    std::weak_ptr<const void> owner = std::static_pointer_cast<const void>(shared_from_this());
    auto refresh = [](bool timeoutTest) {
        return [timeoutTest](const pf::Notification&) {
            if (statEnabled())
                refreshSession(timeoutTest);
        };
    };
    m_observerTokens.push_back(center.addObserver(pf::ApplicationWillResignActiveNotification, owner, refresh(false)));
    m_observerTokens.push_back(center.addObserver(pf::ApplicationDidEnterBackgroundNotification, owner, refresh(false)));
    m_observerTokens.push_back(center.addObserver(pf::ApplicationDidBecomeActiveNotification, owner, refresh(true)));
    m_observerTokens.push_back(center.addObserver(pf::ApplicationWillEnterForegroundNotification, owner, refresh(true)));
    m_observerTokens.push_back(center.addObserver(pf::ApplicationWillTerminateNotification, owner,
                                                  [](const pf::Notification&) { MCA4ZCStore::getInstance()->close(); }));
}

std::uint32_t MCA4ZC::currentSessionId() { return g_sessionId.load(); }

std::uint32_t MCA4ZC::refreshSession(bool timeoutTest)
{
    std::uint32_t now = MCA4ZCClock::now();
    if (timeoutTest && now - g_lastActivity.load() >= MCA4ZCConfig::getInstance().sessionTimeoutSecs.load())
        startSession();
    if (now >= g_nextMidnight.load())
        startSession();
    g_lastActivity = now;
    if (g_sessionId.load() == 0)
        startSession();
    return g_sessionId.load();
}

void MCA4ZC::startSession()
{
    std::uint32_t now = MCA4ZCClock::now();
    g_sessionId = nextSessionId();
    g_nextMidnight = nextLocalMidnight(now);
    auto event = std::make_shared<MCA4ZCSessionEnv>();
    event->sid = g_sessionId.load();
    queueEvent(event);
    checkZZEvent(true);
}

void MCA4ZC::checkZZEvent(bool force)
{
    if (!statEnabled())
        return;
    if (!force && g_zzEventSent.load())
        return;
    if (MCA4ZCConfig::getInstance().zz()) {
        auto event = std::make_shared<MCA4ZCAdditionEvent>();
        event->sid = g_sessionId.load();
        queueEvent(event);
    }
    g_zzEventSent = true;
}

void MCA4ZC::queueEvent(std::shared_ptr<MCA4ZCEvent> event)
{
    if (!event)
        return;
    auto facade = instanceForStart();
    std::weak_ptr<MCA4ZC> weak = facade;
    facade->m_queue->async([weak, event] {
        if (auto self = weak.lock())
            self->handleEvent(event);
    });
}

// Facade queue.
void MCA4ZC::handleEvent(const std::shared_ptr<MCA4ZCEvent>& event)
{
    MCA4ZCConfig& config = MCA4ZCConfig::getInstance();
    if (!config.statEnable)
        return;
    // The text is made here, before the store queue, so that the user record
    // it reads never waits on that queue from inside it.
    std::string json = event->toJsonString();
    std::uint32_t ts = event->ts;
    auto store = MCA4ZCStore::getInstance();
    int strategy = config.reportStrategy;
    auto reachability = MCA4ZCReachability::reachabilityForInternetConnection();
    if (!reachability->isReachable()) {
        store->storeEvent(json, ts);
        return;
    }
    bool wifi = reachability->isReachableViaWiFi();
    if (config.smartReporting && wifi)
        strategy = 1;
    auto sendNow = [&] {
        MCA4ZCDispatcher::getInstance()->send({json}, [store, json, ts](MCA4ZCDispatcher::Outcome outcome) {
            if (outcome == MCA4ZCDispatcher::Outcome::Sent)
                store->sendCachedEvents(-1);
            else
                store->storeEvent(json, ts);
        });
    };
    switch (strategy) {
    case 1: sendNow(); break;
    case 2:
        store->storeEvent(json, ts, [store] {
            std::uint32_t batch = MCA4ZCConfig::getInstance().minBatchReportCount;
            if (store->storedEventCount() >= batch)
                store->sendCachedEvents(static_cast<int>(batch));
        });
        break;
    // The store gets copies sized to the text, not the writer's buffer that
    // grew by doubling: queued by the thousand, those buffers made the
    // process fault in five times the pages.
    case 3:
    case 6: store->storeEvent(json, ts); break;
    case 4:
        if (wifi)
            sendNow();
        else
            store->storeEvent(json, ts);
        break;
    case 5: {
        store->storeEvent(json, ts);
        pf::UserDefaults& defaults = pf::UserDefaults::standard();
        long long sent = defaults.integerForKey("MCA4ZC_SDK_DATA_SENT_TS");
        std::uint32_t now = MCA4ZCClock::now();
        long long period = static_cast<long long>(config.sendPeriodMinutes.load()) * 60;
        if (sent != 0 && now - sent < period)
            break;
        if (sent != 0)
            store->sendCachedEvents(-1);
        defaults.setObject(pf::Value(static_cast<long long>(now)), "MCA4ZC_SDK_DATA_SENT_TS");
        defaults.synchronize();
        break;
    }
    default: break; // unknown strategies drop the event
    }
}

void MCA4ZC::start4ZZConnect(const std::string& appId)
{
    MCA4ZCConfig& config = MCA4ZCConfig::getInstance();
    config.sendPeriodMinutes = 1440;
    config.reportStrategy = 5;
    config.setChannel("ZZConnect");
    startWithAppkey(std::string(kAppKeyPrefix) + appId);
}

void MCA4ZC::startWithAppkey(const std::string& appkey)
{
    if (!statEnabled() || appkey.empty())
        return;
    MCA4ZCConfig::getInstance().setAppkey(appkey);
    instanceForStart();
    refreshSession(false);
}

void MCA4ZC::trackCustomEvent(const std::string& eventId, pf::ArrayRef args)
{
    if (!statEnabled())
        return;
    checkZZEvent(false);
    auto event = std::make_shared<MCA4ZCCustomEvent>();
    event->eventID = eventId;
    event->args = std::move(args);
    event->sid = refreshSession(false);
    queueEvent(event);
}

void MCA4ZC::trackCustomKeyValueEvent(const std::string& eventId, pf::DictionaryRef props)
{
    if (!statEnabled() || eventId.empty())
        return;
    checkZZEvent(false);
    auto event = std::make_shared<MCA4ZCCustomEvent>();
    event->eventID = eventId;
    event->kvs = std::move(props);
    event->sid = refreshSession(false);
    queueEvent(event);
}

std::string MCA4ZC::timingKey(const std::string& eventId, const pf::ArrayRef& args)
{
    // Each part carries its length, so ["ab"] and ["a", "b"] keep apart.
    std::string key = eventId + "[";
    if (args)
        for (const pf::Value& arg : *args)
            key += lengthPrefixed(arg.description());
    return key;
}

std::string MCA4ZC::timingKey(const std::string& eventId, const pf::DictionaryRef& props)
{
    std::string key = eventId + "{";
    if (props)
        for (const auto& [name, value] : *props)
            key += lengthPrefixed(name) + lengthPrefixed(value.description());
    return key;
}

void MCA4ZC::beginTiming(const std::string& key)
{
    std::lock_guard lock(g_timingMutex);
    if (!g_timings)
        g_timings = std::make_unique<std::map<std::string, std::uint32_t>>();
    if (!g_timings->count(key) && g_timings->size() < MCA4ZCConfig::getInstance().maxParallelTimingEvents.load())
        g_timings->emplace(key, MCA4ZCClock::now());
}

void MCA4ZC::endTiming(const std::string& key, std::shared_ptr<MCA4ZCEvent> event)
{
    std::uint32_t start = 0;
    {
        std::lock_guard lock(g_timingMutex);
        if (!g_timings)
            return;
        auto found = g_timings->find(key);
        if (found == g_timings->end())
            return;
        start = found->second;
        g_timings->erase(found);
    }
    auto* custom = static_cast<MCA4ZCCustomEvent*>(event.get());
    std::uint32_t now = MCA4ZCClock::now();
    custom->duration = now > start ? now - start : 1;
    custom->sid = refreshSession(false);
    queueEvent(std::move(event));
}

void MCA4ZC::trackCustomEventBegin(const std::string& eventId, pf::ArrayRef args)
{
    if (!statEnabled() || eventId.empty())
        return;
    checkZZEvent(false);
    beginTiming(timingKey(eventId, args));
}

void MCA4ZC::trackCustomEventEnd(const std::string& eventId, pf::ArrayRef args)
{
    if (!statEnabled() || eventId.empty())
        return;
    auto event = std::make_shared<MCA4ZCCustomEvent>();
    event->eventID = eventId;
    event->args = args;
    endTiming(timingKey(eventId, args), event);
}

void MCA4ZC::trackCustomKeyValueEventBegin(const std::string& eventId, pf::DictionaryRef props)
{
    if (!statEnabled() || eventId.empty())
        return;
    checkZZEvent(false);
    beginTiming(timingKey(eventId, props));
}

void MCA4ZC::trackCustomKeyValueEventEnd(const std::string& eventId, pf::DictionaryRef props)
{
    if (!statEnabled() || eventId.empty())
        return;
    auto event = std::make_shared<MCA4ZCCustomEvent>();
    event->eventID = eventId;
    event->kvs = props;
    endTiming(timingKey(eventId, props), event);
}

void MCA4ZC::reportZZ(const std::string& zz)
{
    if (!statEnabled())
        return;
    MCA4ZCConfig::getInstance().setZz(zz);
    refreshSession(false);
    auto event = std::make_shared<MCA4ZCAdditionEvent>();
    event->sid = g_sessionId.load();
    queueEvent(event);
}

void MCA4ZC::startNewSession()
{
    if (statEnabled())
        refreshSession(true);
}

void MCA4ZC::stopSession() { g_lastActivity = 0; }

void MCA4ZC::resetProcessState()
{
    std::shared_ptr<MCA4ZC> facade;
    {
        std::lock_guard lock(g_instanceMutex);
        facade = std::move(g_instance);
    }
    // Work flows facade -> store -> upload -> store: drain the chain a few
    // times so nothing of this "process" runs into the next.
    for (int round = 0; round < 4; ++round) {
        if (facade)
            facade->m_queue->sync([] {});
        if (auto store = MCA4ZCStore::peekInstance())
            store->getTaskQueue()->sync([] {});
        MCA4ZCDispatcher::getInstance()->getTaskQueue()->sync([] {});
    }
    facade.reset();
    MCA4ZCStore::resetInstance();
    MCA4ZCHelper::resetInstance();
    MCA4ZCDataConfigHolder::resetSingleton();
    MCA4ZCShareDID::clearCache();
    MCA4ZCConfig::getInstance().reset();
    g_sessionId = 0;
    g_lastActivity = 0;
    g_nextMidnight = 0;
    g_zzEventSent = false;
    std::lock_guard lock(g_timingMutex);
    g_timings.reset();
}
