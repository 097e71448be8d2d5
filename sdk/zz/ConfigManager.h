#pragma once

// The SDK's policy switches: whether usage may be reported, how often the
// policy is fetched again, and the login values that only travel with the
// policy file. Starts from built-in defaults, replaced by the copy stored in
// Documents ("CVSdkConfig.plist"), refreshed from the ZZ Connect policy
// service when that copy is older than the fetch period.
//
// A stored file that is not a dictionary leaves the policy nil: reporting
// then counts as off and answers change nothing. A fetch period that is
// missing or not a finite number counts as 24 hours; 0 or below fetches at
// every update. One policy request is out at a time.
//
// The exchange belongs to the call layer: requestConfig sends one GET call
// (its APIBase made once and reused) unless a test has set a policy
// requester, which must then answer through requestConfigResponse exactly
// once, on the main queue. After every applied answer the analytics
// collector is switched on or off (or the report switch a test set is told).
// Main queue only.

#include "platform/foundation/Error.h"
#include "platform/foundation/Forward.h"
#include "platform/foundation/Value.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class APIBase;

class ConfigManager {
public:
    static constexpr const char* kFileName = "CVSdkConfig.plist";
    static constexpr const char* kPolicyPath = "/zzconnectopen/openapi/policy_conf";

    using PolicyRequester = std::function<void(const std::string& url, const pf::DictionaryRef& params)>;
    using ReportSwitch = std::function<void(bool enabled)>;

    static ConfigManager& GetInstance();
    // Defaults, the file in the current Documents folder, the system version.
    ConfigManager();
    ~ConfigManager();
    ConfigManager(const ConfigManager&) = delete;
    ConfigManager& operator=(const ConfigManager&) = delete;

    void loadLocalConfig();
    // Stamps the policy with now and replaces the file in one step.
    std::optional<pf::Error> saveLocalConfig();
    void updateConfig();
    // True when a request went out (false while one is still out).
    bool requestConfig();
    // The answer of the policy call: retCode 0 for a completed exchange, the
    // answer's JSON (nil when there is none).
    void requestConfigResponse(int retCode, const pf::Value& jsonResponse);
    bool isDataReportEnable() const;

    pf::DictionaryRef config() const { return m_config; }
    void setConfig(pf::DictionaryRef config) { m_config = std::move(config); }
    const std::optional<std::string>& appid() const { return m_appid; }
    void setAppid(std::optional<std::string> appid) { m_appid = std::move(appid); }
    const std::string& iosver() const { return m_iosver; }
    const std::string& path() const { return m_path; }
    bool isRequesting() const { return m_requesting; }

    void setPolicyRequester(PolicyRequester requester) { m_requester = std::move(requester); }
    // Told after every applied answer whether reporting is allowed.
    void setReportSwitch(ReportSwitch reportSwitch) { m_reportSwitch = std::move(reportSwitch); }

    static pf::DictionaryRef defaultConfig();

private:
    double fetchPeriodSeconds() const;

    pf::DictionaryRef m_config;
    std::optional<std::string> m_appid;
    std::string m_iosver;
    std::string m_path;
    bool m_requesting = false;
    PolicyRequester m_requester;
    ReportSwitch m_reportSwitch;
    std::shared_ptr<APIBase> m_apiRequest;
    // The target of the policy call: it dies with the manager, so a late
    // answer finds no target.
    std::shared_ptr<pf::Object> m_anchor;
};
