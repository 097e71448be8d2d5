#include "sdk/zz/CorvanaModuleTable.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Object.h"
#include "sdk/zz/CVDataReport.h"
#include "sdk/zz/CVOSDKJSBridgeTools.h"
#include "sdk/zz/CorvanaDataMgr.h"
#include "sdk/zz/CorvanaJSObject.h"
#include "sdk/zz/CorvanaJSRunEnv.h"
#include "sdk/zz/CvApiTool.h"
#include "sdk/zz/JSZZApi.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>

namespace {

constexpr int S = static_cast<int>(CorvanaType::String);
constexpr int D = static_cast<int>(CorvanaType::Dictionary);
constexpr int B = static_cast<int>(CorvanaType::Bool);
constexpr int I = static_cast<int>(CorvanaType::Int);
constexpr int V = static_cast<int>(CorvanaType::Void);

using Arguments = std::vector<pf::Value>;

// The body of an operation without a result: the script receives null.
template <class Body>
std::function<pf::Value(const Arguments&)> voidBody(Body body)
{
    return [body](const Arguments& arguments) {
        body(arguments);
        return pf::Value();
    };
}

std::shared_ptr<CorvanaJSObject> openUiModule()
{
    auto schemeInfo = [](const Arguments& arguments) {
        std::optional<std::string> answer = CvApiTool::jsIsRegistSchemeInfoPlistFile(arguments[0]);
        return answer ? pf::Value(*answer) : pf::Value();
    };
    return CorvanaJSObject::classModule("openUi", {
        {"jsIsRegistSchemeInfoPlistFile:", "getZZInfo", S, {D}, schemeInfo},
        {"jsIsRegistSchemeInfoPlistFile:", "getPlazaInfo", S, {D}, schemeInfo},
    });
}

std::shared_ptr<CorvanaJSObject> reportUtilsModule()
{
    return CorvanaJSObject::classModule("sdk_reportUtils", {
        {"js_mtaStart:", "startZZ4Connect", V, {S},
         voidBody([](const Arguments& a) { CVDataReport::js_mtaStart(a[0].stringOr()); })},
        {"js_mtaSetEnable:", "mcaSetEnable", V, {B},
         voidBody([](const Arguments& a) { CVDataReport::js_mtaSetEnable(a[0].boolValue()); })},
        {"js_mtaReportApi:arrayStr:", "trackCustomEvent", V, {S, S},
         voidBody([](const Arguments& a) { CVDataReport::js_mtaReportApi(a[0].stringOr(), a[1]); })},
        {"js_mtaSetAccount:", "reportZZ", V, {S},
         voidBody([](const Arguments& a) { CVDataReport::js_mtaSetAccount(a[0].stringOr()); })},
        {"js_reportData", "reportData", B, {}, [](const Arguments&) { return pf::Value(CVDataReport::js_reportData()); }},
        {"js_reportDataWithTime", "reportDataWithTime", B, {},
         [](const Arguments&) { return pf::Value(CVDataReport::js_reportDataWithTime()); }},
        {"js_trackCustomKVEvent:props:", "trackCustomKVEvent", V, {S, D},
         voidBody([](const Arguments& a) {
             CVDataReport::js_trackCustomKVEvent(a[0].stringOr(), a[1].dictionary());
         })},
        // The script name's doubled "t" is what the scripts call.
        {"js_trackCustomBeginKVEvent:props:", "trackCustomBeginKVEventt", V, {S, D},
         voidBody([](const Arguments& a) {
             CVDataReport::js_trackCustomBeginKVEvent(a[0].stringOr(), a[1].dictionary());
         })},
    });
}

std::shared_ptr<CorvanaJSObject> dataMgrModule()
{
    auto store = []() -> CorvanaDataMgr& { return CorvanaDataMgr::getInstance(); };
    return CorvanaJSObject::classModule("CorvanaDataMgr", {
        {"removeKeyFromDataMgr:", "removeKeyFromDataMgr", B, {S},
         [store](const Arguments& a) { return pf::Value(store().removeKeyFromDataMgr(a[0].stringValue())); }},
        {"removeObjectFromDataMgr:", "removeObjectFromDataMgr", B, {S},
         [store](const Arguments& a) { return pf::Value(store().removeObjectFromDataMgr(a[0].stringValue())); }},
        {"removeAllObject", "removeAllObject", B, {}, [store](const Arguments&) { return pf::Value(store().removeAllObject()); }},
        {"objSize:", "objSize", I, {S},
         [store](const Arguments& a) {
             // Answered as a signed int: sizes past its range are clamped, not wrapped.
             return pf::Value(static_cast<int>(std::min<std::uint32_t>(store().objSize(a[0].stringValue()), INT_MAX)));
         }},
        {"addObjectInPastboard:", "addObjectInPastboard", S, {S},
         [store](const Arguments& a) {
             std::optional<std::string> type = store().addObjectInPastboard(a[0].stringValue());
             return type ? pf::Value(*type) : pf::Value();
         }},
    });
}

}

bool registerCorvanaSharedModules(CorvanaJSRunEnv& runEnv)
{
    bool registered = true;
    for (const auto& module : {openUiModule(), CVOSDKJSBridgeTools::logModule(), JSZZApi::nativeApiModule(),
                               reportUtilsModule(), dataMgrModule()})
        registered = runEnv.registNativeObj(module) && registered;
    return registered;
}
