#include "sdk/zz/CVDataReport.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/RunLoop.h"
#include "sdk/analytics/MCA4ZC.h"
#include "sdk/analytics/MCA4ZCConfig.h"
#include "sdk/analytics/MCA4ZCDispatcher.h"
#include "sdk/zz/CVOSDKServers.h"
#include "sdk/zz/ConfigManager.h"
#include "sdk/zz/CorvanaRequest.h"

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace {

CVDataReport::Collector& collector()
{
    static CVDataReport::Collector current = CVDataReport::defaultCollector();
    return current;
}

// Reports in flight: nobody else holds them, and dropping one would stop it.
// Never destroyed, so a report still out at exit is not cancelled after the
// connection queue is gone.
std::vector<std::shared_ptr<CorvanaRequest>>& inFlight()
{
    static auto* requests = new std::vector<std::shared_ptr<CorvanaRequest>>();
    return *requests;
}

}

CVDataReport::Collector CVDataReport::defaultCollector()
{
    Collector c;
    c.start4ZZConnect = [](const std::string& appId) {
        // The collector sits below the SDK and knows no server table: it is
        // handed the analytics origin here, or none while the row is still
        // the placeholder, so that its uploads wait instead of failing.
        using Row = CVOSDKServers::Row;
        MCA4ZCDispatcher::getInstance()->setBaseURL(
            CVOSDKServers::isPlaceholder(Row::Analytics) ? std::string() : CVOSDKServers::origin(Row::Analytics));
        MCA4ZC::start4ZZConnect(appId);
    };
    c.setEnable = [](bool enabled) { MCA4ZCConfig::getInstance().statEnable = enabled; };
    c.trackCustomEvent = [](const std::string& id, const pf::ArrayRef& args) { MCA4ZC::trackCustomEvent(id, args); };
    c.trackCustomKVEvent = [](const std::string& id, const pf::DictionaryRef& props) {
        MCA4ZC::trackCustomKeyValueEvent(id, props);
    };
    c.trackCustomBeginKVEvent = [](const std::string& id, const pf::DictionaryRef& props) {
        MCA4ZC::trackCustomKeyValueEventBegin(id, props);
    };
    c.trackCustomEndKVEvent = [](const std::string& id, const pf::DictionaryRef& props) {
        MCA4ZC::trackCustomKeyValueEventEnd(id, props);
    };
    c.reportZZ = [](const std::string& zz) { MCA4ZC::reportZZ(zz); };
    return c;
}

void CVDataReport::setCollector(Collector replacement) { collector() = std::move(replacement); }

std::string& CVDataReport::defaultVersion()
{
    static std::string version = "ios.SDK.1.8";
    return version;
}

int CVDataReport::elapsedSeconds(double timeInterval)
{
    if (std::isnan(timeInterval))
        return 0;
    if (timeInterval >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (timeInterval <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(timeInterval);
}

bool CVDataReport::reportData(int number, const pf::Value& action, const std::optional<std::string>& appid,
                              const std::optional<std::string>& ver)
{
    return number != 0 || reportBonuliData(action, appid, ver);
}

bool CVDataReport::reportDataWithTime(int number, const pf::Value& action, const std::optional<std::string>& appid,
                                      double timeInterval, const std::optional<std::string>& ver)
{
    return number != 0 || reportBonuliDataWithTime(action, appid, timeInterval, ver);
}

bool CVDataReport::reportBonuliData(const pf::Value& action, const std::optional<std::string>& appid,
                                    const std::optional<std::string>& ver)
{
    return send(action, appid, std::nullopt, ver);
}

bool CVDataReport::reportBonuliDataWithTime(const pf::Value& action, const std::optional<std::string>& appid,
                                            double timeInterval, const std::optional<std::string>& ver)
{
    return send(action, appid, timeInterval, ver);
}

bool CVDataReport::send(const pf::Value& action, const std::optional<std::string>& appid,
                        std::optional<double> timeInterval, const std::optional<std::string>& ver)
{
    if (!action.isString())
        return false;
    auto params = std::make_shared<pf::Dictionary>();
    // The list ends at the first missing value: without an app id nothing
    // but the bare request goes out.
    if (appid) {
        params->set("strValue", *appid);
        params->set("nValue", action);
        params->set("qver", ver ? *ver : defaultVersion());
        if (timeInterval)
            params->set("elt", std::to_string(elapsedSeconds(*timeInterval)));
        params->set("tag", "0");
    }
    http(params);
    return true;
}

void CVDataReport::http(const pf::DictionaryRef& params)
{
    PF_ASSERT_MAIN_THREAD();
    auto& requests = inFlight();
    std::erase_if(requests, [](const auto& request) { return !request->loading(); });
    auto request = CorvanaRequest::getRequestWithParams(
        params, "GET", {}, CVOSDKServers::url(CVOSDKServers::Row::Report, kReportPath));
    request->connect();
    requests.push_back(std::move(request));
}

void CVDataReport::start4ZZConnect(const std::string& appid)
{
    if (collector().start4ZZConnect)
        collector().start4ZZConnect(appid);
}

void CVDataReport::mcaStart(const std::string& appid)
{
    if (ConfigManager::GetInstance().isDataReportEnable())
        start4ZZConnect(appid);
}

void CVDataReport::mcaSetEnable(bool enabled)
{
    if (collector().setEnable)
        collector().setEnable(enabled);
}

void CVDataReport::mcaReportApi(const std::string& apiName)
{
    ConfigManager::GetInstance().updateConfig();
    if (ConfigManager::GetInstance().isDataReportEnable() && collector().trackCustomEvent)
        collector().trackCustomEvent("requireApi", pf::Array::create({ apiName }));
}

void CVDataReport::mcaSetAccount(const std::string& zz)
{
    if (ConfigManager::GetInstance().isDataReportEnable())
        js_mtaSetAccount(zz);
}

void CVDataReport::js_mtaReportApi(const std::string& eventId, const pf::Value& argument)
{
    ConfigManager::GetInstance().updateConfig();
    if (collector().trackCustomEvent)
        collector().trackCustomEvent(eventId, pf::Array::create({ argument }));
}

void CVDataReport::js_mtaSetAccount(const std::string& zz)
{
    if (collector().reportZZ)
        collector().reportZZ(zz);
}

void CVDataReport::js_trackCustomKVEvent(const std::string& eventId, const pf::DictionaryRef& props)
{
    if (collector().trackCustomKVEvent)
        collector().trackCustomKVEvent(eventId, props);
}

void CVDataReport::js_trackCustomBeginKVEvent(const std::string& eventId, const pf::DictionaryRef& props)
{
    if (collector().trackCustomBeginKVEvent)
        collector().trackCustomBeginKVEvent(eventId, props);
}

void CVDataReport::js_trackCustomEndKVEvent(const std::string& eventId, const pf::DictionaryRef& props)
{
    if (collector().trackCustomEndKVEvent)
        collector().trackCustomEndKVEvent(eventId, props);
}
