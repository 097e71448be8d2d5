#include "sdk/zz/CorvanaModuleTable.h"

#include "platform/foundation/Object.h"
#include "sdk/zz/CVOSDKJSBridgeTools.h"
#include "sdk/zz/JSZZApi.h"
#include "sdk/zz/CorvanaJSObject.h"
#include "sdk/zz/CorvanaJSRunEnv.h"
#include "sdk/zz/CvApiTool.h"

bool registerCorvanaSharedModules(CorvanaJSRunEnv& runEnv)
{
    // Stands for the class CvApiTool, whose methods are static.
    static const auto apiTool = std::make_shared<pf::Object>();
    auto openUi = std::make_shared<CorvanaJSObject>();
    openUi->transformNativeObj(apiTool, std::string("openUi"));
    for (const char* name : {"getZZInfo", "getPlazaInfo"}) {
        openUi->transformNativeMethod("jsIsRegistSchemeInfoPlistFile:", name, static_cast<int>(CorvanaType::String),
                                      {static_cast<int>(CorvanaType::Dictionary)},
                                      [](const std::vector<pf::Value>& arguments) -> std::optional<pf::Value> {
                                          std::optional<std::string> answer =
                                              CvApiTool::jsIsRegistSchemeInfoPlistFile(arguments.at(0));
                                          return answer ? pf::Value(*answer) : pf::Value();
                                      });
    }
    bool registered = runEnv.registNativeObj(openUi);
    registered = runEnv.registNativeObj(CVOSDKJSBridgeTools::logModule()) && registered;
    return runEnv.registNativeObj(JSZZApi::nativeApiModule()) && registered;
}
