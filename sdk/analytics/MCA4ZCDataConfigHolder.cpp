#include "sdk/analytics/MCA4ZCDataConfigHolder.h"

#include "platform/foundation/Collections.h"
#include "sdk/analytics/MCA4ZCConfig.h"
#include "sdk/analytics/MCA4ZCVersion.h"
#include "sdk/analytics/TXJSONDecoder.h"

#include <cstdlib>
#include <sstream>
#include <vector>

namespace {

std::mutex g_singletonMutex; // guards g_holder
std::shared_ptr<MCA4ZCDataConfigHolder> g_holder;

// Numeric comparison of dotted versions: "0.10.0" is later than "0.5.5".
int compareVersions(const std::string& a, const std::string& b)
{
    auto parts = [](const std::string& text) {
        std::vector<unsigned long> out;
        std::stringstream stream(text);
        std::string part;
        while (std::getline(stream, part, '.'))
            out.push_back(std::strtoul(part.c_str(), nullptr, 10));
        return out;
    };
    std::vector<unsigned long> left = parts(a), right = parts(b);
    for (std::size_t i = 0; i < std::max(left.size(), right.size()); ++i) {
        unsigned long l = i < left.size() ? left[i] : 0, r = i < right.size() ? right[i] : 0;
        if (l != r)
            return l < r ? -1 : 1;
    }
    return 0;
}

}

MCA4ZCDataConfigHolder::MCA4ZCDataConfigHolder(std::shared_ptr<MCA4ZCConfigStore> store, MCA4ZCConfig& config)
    : m_store(store), m_config(config)
{
    if (store)
        store->loadConfig([this](const MCA4ZCDataConfig& row) { setConfig(row); });
}

std::shared_ptr<MCA4ZCDataConfigHolder> MCA4ZCDataConfigHolder::initSingleton(std::shared_ptr<MCA4ZCConfigStore> store,
                                                                              const std::function<void()>& block)
{
    {
        std::lock_guard lock(g_singletonMutex);
        if (g_holder)
            return g_holder;
    }
    auto holder = std::make_shared<MCA4ZCDataConfigHolder>(std::move(store), MCA4ZCConfig::getInstance());
    {
        std::lock_guard lock(g_singletonMutex);
        if (g_holder)
            return g_holder;
        g_holder = holder;
    }
    if (block)
        block();
    return holder;
}

std::shared_ptr<MCA4ZCDataConfigHolder> MCA4ZCDataConfigHolder::getInstance()
{
    std::lock_guard lock(g_singletonMutex);
    return g_holder;
}

void MCA4ZCDataConfigHolder::resetSingleton()
{
    std::lock_guard lock(g_singletonMutex);
    g_holder.reset();
}

void MCA4ZCDataConfigHolder::setConfig(const MCA4ZCDataConfig& config)
{
    // Stored rows and replies are untrusted: anything but an object changes nothing.
    pf::Value decoded = objectFromJSONString(config.content);
    auto dictionary = decoded.dictionary();
    if (!dictionary)
        return;
    if (config.type == 1) {
        {
            std::lock_guard lock(m_mutex);
            m_sdkCfg = config;
        }
        pf::Value rs = dictionary->get("rs");
        if (const pf::Number* number = rs.number()) {
            double value = number->asDouble();
            if (number->type != pf::NumberType::Bool && value >= 1 && value <= 2147483647.0)
                m_config.reportStrategy = static_cast<std::int32_t>(value);
        }
        pf::Value hibernate = dictionary->get("__HIBERNATE__");
        if (!hibernate.isNilOrNull() && compareVersions(hibernate.description(), kMCA4ZCSDKVersion) >= 0)
            m_config.statEnable = false;
    } else if (config.type == 2) {
        std::lock_guard lock(m_mutex);
        m_appCfg = config;
        m_appProperties = dictionary;
    }
}

std::optional<MCA4ZCDataConfig> MCA4ZCDataConfigHolder::getConfig(std::uint32_t type) const
{
    std::lock_guard lock(m_mutex);
    return type == 1 ? m_sdkCfg : type == 2 ? m_appCfg : std::nullopt;
}

void MCA4ZCDataConfigHolder::updateConfig(const pf::Dictionary& entry, std::uint32_t type)
{
    MCA4ZCDataConfig config;
    if (!config.decode(entry))
        return;
    config.type = type;
    auto held = getConfig(type);
    if ((held ? held->version : 0) >= config.version)
        return;
    setConfig(config);
    if (auto store = m_store.lock())
        store->storeConfig(config);
}

void MCA4ZCDataConfigHolder::updateOnlineConfig(const pf::Value& reply)
{
    auto dictionary = reply.dictionary();
    auto cfg = dictionary ? dictionary->dictionary("cfg") : nullptr;
    if (!cfg)
        return;
    if (auto sdk = cfg->dictionary("1"))
        updateConfig(*sdk, 1);
    if (auto app = cfg->dictionary("2"))
        updateConfig(*app, 2);
}

void MCA4ZCDataConfigHolder::encode(pf::Dictionary& event) const
{
    auto one = pf::Dictionary::create();
    auto two = pf::Dictionary::create();
    {
        std::lock_guard lock(m_mutex);
        if (m_sdkCfg)
            m_sdkCfg->encodeWithNoContent(*one);
        if (m_appCfg)
            m_appCfg->encodeWithNoContent(*two);
    }
    event.set("cfg", pf::Value(pf::Dictionary::create({{"1", pf::Value(one)}, {"2", pf::Value(two)}})));
}

pf::Value MCA4ZCDataConfigHolder::getAppProperty(const std::string& key) const
{
    std::lock_guard lock(m_mutex);
    return m_appProperties ? m_appProperties->get(key) : pf::Value();
}
