#include "sdk/zz/ConfigManager.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/PropertyList.h"
#include "platform/foundation/PropertyListWriter.h"
#include "sdk/zz/APIBase.h"
#include "sdk/zz/APIResponse.h"
#include "sdk/zz/CVDataReport.h"
#include "sdk/zz/CVOSDKServers.h"
#include "sdk/zz/CvApiTool.h"

#include <cmath>

namespace {

constexpr const char* kDataReportEnable = "DataReportEnable";
constexpr const char* kConfigTimeStamp = "ConfigTimeStamp";
constexpr const char* kConfigTimeFrequency = "ConfigTimeFrequency";
constexpr double kDefaultHours = 24.0;

// Answer key, whether it must be a string (else a number), policy key.
struct AnswerKey {
    const char* answer;
    bool isString;
    const char* stored;
};
constexpr AnswerKey kAnswerKeys[] = {
    { "Common_ta_enable", false, kDataReportEnable },
    { "Common_frequency", false, kConfigTimeFrequency },
    { "Common_SSO", false, "CommonSSo" },
    { "Common_SSO_PlazaVersion", true, "CommonSSoPlazaVersion" },
    { "Common_SSO_PlazaSchema", true, "CommonSSOPlazaSchema" },
};

}

ConfigManager& ConfigManager::GetInstance()
{
    static ConfigManager instance;
    return instance;
}

pf::DictionaryRef ConfigManager::defaultConfig()
{
    return pf::Dictionary::create({
        { kDataReportEnable, true },
        { "SafariEnable", true },
        { "WebViewEnable", true },
        { kConfigTimeStamp, 0.0 },
        { kConfigTimeFrequency, kDefaultHours },
        { "CommonSSo", 1 },
        { "CommonSSoPlazaVersion", "3.5.0" },
        { "CommonSSOPlazaSchema", "newplazasdk" },
    });
}

ConfigManager::ConfigManager()
    : m_config(defaultConfig())
    , m_iosver(pf::DeviceProfile::current().systemVersion)
    , m_path(pf::documentsDirectory() + "/" + kFileName)
{
    loadLocalConfig();
}

ConfigManager::~ConfigManager() = default;

void ConfigManager::loadLocalConfig()
{
    if (!pf::fileExists(m_path))
        return;
    auto stored = pf::readPropertyListFile(m_path);
    m_config = stored && stored->isDictionary() ? stored->dictionary() : nullptr;
}

std::optional<pf::Error> ConfigManager::saveLocalConfig()
{
    if (!m_config)
        return pf::Error { "ConfigManager", 1, "no policy to store" };
    m_config->set(kConfigTimeStamp, pf::Date::now().seconds);
    pf::createDirectories(pf::documentsDirectory());
    return pf::writePropertyListFile(m_path, pf::Value(m_config));
}

double ConfigManager::fetchPeriodSeconds() const
{
    double hours = kDefaultHours;
    if (m_config) {
        const pf::Number* n = nullptr;
        pf::Value stored = m_config->get(kConfigTimeFrequency);
        if ((n = stored.number()) && n->type != pf::NumberType::Bool && std::isfinite(n->asDouble()))
            hours = n->asDouble();
    }
    return hours * 3600.0;
}

void ConfigManager::updateConfig()
{
    double stamp = 0;
    if (m_config) {
        pf::Value stored = m_config->get(kConfigTimeStamp);
        if (stored.isNumber() && std::isfinite(stored.doubleValue()))
            stamp = stored.doubleValue();
    }
    double period = fetchPeriodSeconds();
    if (period <= 0 || pf::Date::now().seconds - stamp > period)
        requestConfig();
}

bool ConfigManager::requestConfig()
{
    if (m_requesting)
        return false;
    auto params = std::make_shared<pf::Dictionary>();
    // Built from the app id on: without one no parameter goes out.
    if (m_appid) {
        params->set("client_id", *m_appid);
        auto info = CvApiTool::SDKInfo();
        for (const char* key : { "sdkv", "sdkp", "status_os", "status_version" })
            params->set(key, info->get(key));
    }
    m_requesting = true;
    std::string url = CVOSDKServers::url(CVOSDKServers::Row::Connect, kPolicyPath);
    if (m_requester) {
        m_requester(url, params);
        return true;
    }
    if (!m_apiRequest) {
        m_anchor = std::make_shared<pf::Object>();
        auto answered = [this](pf::Object&, const std::shared_ptr<APIResponse>& response) {
            requestConfigResponse(response->retCode(),
                                  response->jsonResponse() ? pf::Value(response->jsonResponse()) : pf::Value());
        };
        m_apiRequest = std::make_shared<APIBase>(m_anchor, answered, "GET", pf::Value());
    }
    m_apiRequest->openUrl(url, std::nullopt, std::nullopt, m_appid, params);
    return true;
}

void ConfigManager::requestConfigResponse(int retCode, const pf::Value& jsonResponse)
{
    m_requesting = false;
    if (retCode != 0)
        return;
    auto answer = jsonResponse.dictionary();
    if (!answer)
        return;
    pf::Value ret = answer->get("ret");
    if (ret.isNumber() && ret.doubleValue() != 0)
        return;
    bool changed = false;
    if (m_config) {
        for (const auto& key : kAnswerKeys) {
            pf::Value value = answer->get(key.answer);
            if (key.isString ? value.isString() : value.isNumber()) {
                m_config->set(key.stored, value);
                changed = true;
            }
        }
    }
    if (changed)
        saveLocalConfig();
    if (m_reportSwitch)
        m_reportSwitch(isDataReportEnable());
    else
        CVDataReport::mcaSetEnable(isDataReportEnable());
}

bool ConfigManager::isDataReportEnable() const
{
    return m_config && m_config->get(kDataReportEnable).boolValue();
}
