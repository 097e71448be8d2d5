#pragma once

// The SDK's reporting front: single usage reports (an action number with the
// app id) sent to the report service, and the analytics collector started
// and fed for ZZ Connect, as the policy allows. The script operations
// ("js_…") skip the policy. Reports are fire-and-forget: nobody waits for
// the answer and failures are ignored.
//
// Main queue only. The collector is reached through a table of callables
// (the collector's own class operations unless a test replaces them); the
// default start hands the collector the analytics row of CVOSDKServers as
// its upload address (none while that row is the placeholder).

#include "platform/foundation/Forward.h"
#include "platform/foundation/Value.h"

#include <functional>
#include <optional>
#include <string>

class CVDataReport {
public:
    static constexpr const char* kReportPath = "/report/report";

    struct Collector {
        std::function<void(const std::string& appId)> start4ZZConnect;
        std::function<void(bool enabled)> setEnable;
        std::function<void(const std::string& eventId, const pf::ArrayRef& args)> trackCustomEvent;
        std::function<void(const std::string& eventId, const pf::DictionaryRef& props)> trackCustomKVEvent;
        std::function<void(const std::string& eventId, const pf::DictionaryRef& props)> trackCustomBeginKVEvent;
        std::function<void(const std::string& eventId, const pf::DictionaryRef& props)> trackCustomEndKVEvent;
        std::function<void(const std::string& zz)> reportZZ;
    };
    static Collector defaultCollector();
    // Empty members keep doing nothing; the default is defaultCollector().
    static void setCollector(Collector collector);

    // "ios.SDK.1.8" unless changed.
    static std::string& defaultVersion();

    // A non-zero number sends nothing and answers true.
    static bool reportData(int number, const pf::Value& action, const std::optional<std::string>& appid,
                           const std::optional<std::string>& ver);
    static bool reportDataWithTime(int number, const pf::Value& action, const std::optional<std::string>& appid,
                                   double timeInterval, const std::optional<std::string>& ver);
    // False for an action that is not a string; else sends and answers true.
    static bool reportBonuliData(const pf::Value& action, const std::optional<std::string>& appid,
                                 const std::optional<std::string>& ver);
    // "elt" is the interval truncated to 32 bits: NaN sends 0, values beyond
    // the range send its ends.
    static bool reportBonuliDataWithTime(const pf::Value& action, const std::optional<std::string>& appid,
                                         double timeInterval, const std::optional<std::string>& ver);
    static void http(const pf::DictionaryRef& params);

    static void start4ZZConnect(const std::string& appid);
    static void mcaStart(const std::string& appid);
    static void mcaSetEnable(bool enabled);
    static void mcaReportApi(const std::string& apiName);
    static void mcaSetAccount(const std::string& zz);

    static void js_mtaStart(const std::string& appid) { start4ZZConnect(appid); }
    static void js_mtaSetEnable(bool enabled) { mcaSetEnable(enabled); }
    static void js_mtaReportApi(const std::string& eventId, const pf::Value& argument);
    static void js_mtaSetAccount(const std::string& zz);
    static bool js_reportData() { return true; }
    static bool js_reportDataWithTime() { return true; }
    static void js_trackCustomKVEvent(const std::string& eventId, const pf::DictionaryRef& props);
    static void js_trackCustomBeginKVEvent(const std::string& eventId, const pf::DictionaryRef& props);
    static void js_trackCustomEndKVEvent(const std::string& eventId, const pf::DictionaryRef& props);
    static void js_reportError(const pf::Value&) {}

    // The "elt" value of an interval.
    static int elapsedSeconds(double timeInterval);

private:
    static bool send(const pf::Value& action, const std::optional<std::string>& appid,
                     std::optional<double> timeInterval, const std::optional<std::string>& ver);
};
