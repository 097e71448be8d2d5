#pragma once

// The installed script package's state in the standard user defaults and the
// list of its scripts. Keys: "latest_js_version" (version text),
// "is_js_updated" (a package is installed), "update_frequency" (minutes),
// "last_update_time" (when a downloaded package was last installed).
//
// Any thread: the defaults are locked; each write ends with a synchronise.

#include "platform/foundation/Value.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class JsUpdateVersionInfo;

class JsUpdateVersionController {
public:
    static constexpr long long maxFrequency = 10080; // a week, in minutes

    explicit JsUpdateVersionController(std::string localJsFolderPath) : m_localJsFolderPath(std::move(localJsFolderPath)) {}

    const std::string& localJsFolderPath() const { return m_localJsFolderPath; }
    pf::Value latestVersion() const;
    bool isUpdated() const;
    // The stored version text; "" when none.
    static std::string getVersion();

    void setVersionInfo(const std::string& version, long long frequency, bool updateTime);
    // Keeps "last_update_time".
    void clearVersionInfo();
    // Stored minutes, 0 when absent or out of [0, maxFrequency].
    long long getFrequency() const;
    std::optional<pf::Date> getLastUpdateTime() const;
    // getFrequency(), or 30 when it is 0.
    long long getFinalFrequency() const;
    // Minutes until the first check: 0 without a last update or once the
    // frequency has passed since it, else the rest of it, in [0, frequency].
    std::uint32_t getTimerDelay() const;

    // Nothing unless a package is installed and lists scripts.
    std::shared_ptr<JsUpdateVersionInfo> getJsInfo() const;
    // The installed scripts in "verify.json" order, "init.js" first; empty
    // when the list is missing, not an object, or names a path.
    std::vector<std::string> getFinalJsPaths() const;
    static std::optional<std::string> formatFileNameInJson(const std::string& key);

private:
    std::string m_localJsFolderPath;
};
