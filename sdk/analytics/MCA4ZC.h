#pragma once

// The analytics collector's entry point. The ZZ SDK's data reports start it
// and track events; tests drive it directly. It keeps the current session
// (renewed after sessionTimeoutSecs in the background, at local midnight and
// after stopSession), turns calls into events and hands each to its serial
// queue "ZCCorvanaAnalysis", which stores, sends or batches it by the report
// strategy. It follows the application life-cycle notifications.
//
// The class operations run on the caller's thread (main thread or the SDK's
// script bridge); session state is atomic and the timing table is locked.

#include "platform/foundation/Forward.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pf {
class DispatchQueue;
}
class MCA4ZCEvent;

class MCA4ZC : public std::enable_shared_from_this<MCA4ZC> {
public:
    static constexpr const char* kAppKeyPrefix = "ZZC";

    static void start4ZZConnect(const std::string& appId);
    static void startWithAppkey(const std::string& appkey);
    static void trackCustomEvent(const std::string& eventId, pf::ArrayRef args);
    static void trackCustomKeyValueEvent(const std::string& eventId, pf::DictionaryRef props);
    static void trackCustomEventBegin(const std::string& eventId, pf::ArrayRef args);
    static void trackCustomEventEnd(const std::string& eventId, pf::ArrayRef args);
    static void trackCustomKeyValueEventBegin(const std::string& eventId, pf::DictionaryRef props);
    static void trackCustomKeyValueEventEnd(const std::string& eventId, pf::DictionaryRef props);
    static void reportZZ(const std::string& zz);
    static void startNewSession();
    static void stopSession();

    // Null before the first start.
    static std::shared_ptr<MCA4ZC> getInstance();
    const std::shared_ptr<pf::DispatchQueue>& getTaskQueue() const { return m_queue; }
    std::string currentPage;

    // The current session id (0 before the first).
    static std::uint32_t currentSessionId();
    // Timing keys of the two forms.
    static std::string timingKey(const std::string& eventId, const pf::ArrayRef& args);
    static std::string timingKey(const std::string& eventId, const pf::DictionaryRef& props);
    // Forgets the facade, its session state and the process singletons it
    // made, after their queued work, as a new process starts (tests).
    static void resetProcessState();

    ~MCA4ZC();

private:
    MCA4ZC();
    void init();
    static std::shared_ptr<MCA4ZC> instanceForStart();
    static std::uint32_t refreshSession(bool timeoutTest);
    static void startSession();
    static void checkZZEvent(bool force);
    static void queueEvent(std::shared_ptr<MCA4ZCEvent> event);
    static void beginTiming(const std::string& key);
    static void endTiming(const std::string& key, std::shared_ptr<MCA4ZCEvent> event);
    void handleEvent(const std::shared_ptr<MCA4ZCEvent>& event);
    void observeApplication();

    std::shared_ptr<pf::DispatchQueue> m_queue;
    std::vector<std::uint64_t> m_observerTokens;
};
