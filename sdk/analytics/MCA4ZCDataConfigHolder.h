#pragma once

// The online configuration in force: the collector's own (type 1: "rs" sets
// the report strategy, "__HIBERNATE__" at or past the collector's version
// switches statistics off) and the application's (type 2: its keys are
// offered as custom properties). Replies hand new configurations here; a
// newer version is applied and stored, anything else changes nothing.
//
// Replies arrive on the upload queue while the facade queue reads the
// versions: one mutex guards the configurations and properties.

#include "platform/foundation/Value.h"
#include "sdk/analytics/MCA4ZCDataConfig.h"

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

class MCA4ZCConfig;

class MCA4ZCDataConfigHolder {
public:
    // Loads and applies every stored configuration into `config`.
    MCA4ZCDataConfigHolder(std::shared_ptr<MCA4ZCConfigStore> store, MCA4ZCConfig& config);

    // The process holder: made once (loading from `store`, then calling
    // `block`); later calls answer the same holder without calling `block`.
    static std::shared_ptr<MCA4ZCDataConfigHolder> initSingleton(std::shared_ptr<MCA4ZCConfigStore> store,
                                                                 const std::function<void()>& block = {});
    // Null before initSingleton.
    static std::shared_ptr<MCA4ZCDataConfigHolder> getInstance();
    // Forgets the process holder (tests simulate a restart).
    static void resetSingleton();

    void setConfig(const MCA4ZCDataConfig& config);
    std::optional<MCA4ZCDataConfig> getConfig(std::uint32_t type) const;
    void updateConfig(const pf::Dictionary& entry, std::uint32_t type);
    // Reads "cfg" of a decoded reply.
    void updateOnlineConfig(const pf::Value& reply);
    // Writes "cfg": {"1": {"v": …}, "2": {"v": …}} into a session event.
    void encode(pf::Dictionary& event) const;
    pf::Value getAppProperty(const std::string& key) const;

private:
    std::weak_ptr<MCA4ZCConfigStore> m_store;
    MCA4ZCConfig& m_config;
    mutable std::mutex m_mutex; // guards the members below
    std::optional<MCA4ZCDataConfig> m_sdkCfg;
    std::optional<MCA4ZCDataConfig> m_appCfg;
    pf::DictionaryRef m_appProperties;
};
