#pragma once

// The collector's settings with their defaults, one per process. Read and
// written from several queues (the caller's, the facade's, the upload's):
// numbers and switches are atomics, texts sit under a mutex.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

namespace pf {
class Value;
}

class MCA4ZCConfig {
public:
    static MCA4ZCConfig& getInstance();
    // Back to the defaults, as a new process starts (tests simulate restarts).
    void reset();

    std::string channel() const;
    void setChannel(std::string channel);
    std::optional<std::string> appkey() const;
    void setAppkey(std::optional<std::string> appkey);
    std::optional<std::string> zz() const;
    void setZz(std::optional<std::string> zz);

    std::atomic<std::int32_t> reportStrategy{3};
    std::atomic<std::uint32_t> sessionTimeoutSecs{30};
    std::atomic<bool> statEnable{true};
    std::atomic<bool> debugEnable{false};
    std::atomic<bool> autoExceptionCaught{true};
    std::atomic<std::uint32_t> maxSendRetryCount{3};
    std::atomic<bool> smartReporting{true};
    std::atomic<std::uint32_t> minBatchReportCount{30};
    std::atomic<std::uint32_t> maxParallelTimingEvents{1024};
    std::atomic<std::uint32_t> maxLoadEventCount{30};
    std::atomic<std::uint32_t> sendPeriodMinutes{1440};
    std::atomic<std::uint32_t> maxStoreEventCount{1024};

    // The value of `key` in the application configuration, or `fallback`.
    pf::Value getCustomProperty(const std::string& key, const pf::Value& fallback) const;

private:
    mutable std::mutex m_mutex; // guards the texts below
    std::string m_channel = "appstore";
    std::optional<std::string> m_appkey;
    std::optional<std::string> m_zz;
};
