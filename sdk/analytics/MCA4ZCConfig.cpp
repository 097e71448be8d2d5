#include "sdk/analytics/MCA4ZCConfig.h"

#include "platform/foundation/Value.h"
#include "sdk/analytics/MCA4ZCDataConfigHolder.h"

MCA4ZCConfig& MCA4ZCConfig::getInstance()
{
    static auto* config = new MCA4ZCConfig(); // lives for the process
    return *config;
}

void MCA4ZCConfig::reset()
{
    {
        std::lock_guard lock(m_mutex);
        m_channel = "appstore";
        m_appkey.reset();
        m_zz.reset();
    }
    reportStrategy = 3;
    sessionTimeoutSecs = 30;
    statEnable = true;
    debugEnable = false;
    autoExceptionCaught = true;
    maxSendRetryCount = 3;
    smartReporting = true;
    minBatchReportCount = 30;
    maxParallelTimingEvents = 1024;
    maxLoadEventCount = 30;
    sendPeriodMinutes = 1440;
    maxStoreEventCount = 1024;
}

std::string MCA4ZCConfig::channel() const
{
    std::lock_guard lock(m_mutex);
    return m_channel;
}

void MCA4ZCConfig::setChannel(std::string channel)
{
    std::lock_guard lock(m_mutex);
    m_channel = std::move(channel);
}

std::optional<std::string> MCA4ZCConfig::appkey() const
{
    std::lock_guard lock(m_mutex);
    return m_appkey;
}

void MCA4ZCConfig::setAppkey(std::optional<std::string> appkey)
{
    std::lock_guard lock(m_mutex);
    m_appkey = std::move(appkey);
}

std::optional<std::string> MCA4ZCConfig::zz() const
{
    std::lock_guard lock(m_mutex);
    return m_zz;
}

void MCA4ZCConfig::setZz(std::optional<std::string> zz)
{
    std::lock_guard lock(m_mutex);
    m_zz = std::move(zz);
}

pf::Value MCA4ZCConfig::getCustomProperty(const std::string& key, const pf::Value& fallback) const
{
    auto holder = MCA4ZCDataConfigHolder::getInstance();
    pf::Value value = holder ? holder->getAppProperty(key) : pf::Value();
    return value.isNil() ? fallback : value;
}
