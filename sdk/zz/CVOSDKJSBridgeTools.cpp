#include "sdk/zz/CVOSDKJSBridgeTools.h"

#include "platform/foundation/Value.h"
#include "sdk/zz/CorvanaJSObject.h"

std::string CVOSDKJSBridgeTools::jsLog(const pf::Value&, const pf::Value&)
{
    return "js debuger";
}

std::shared_ptr<CorvanaJSObject> CVOSDKJSBridgeTools::logModule()
{
    constexpr int S = static_cast<int>(CorvanaType::String);
    std::vector<CorvanaModuleFunction> functions;
    for (const char* name : {"d", "e", "v", "w", "i"})
        functions.push_back({"jsLog:with:", name, S, {S, S}, [](const std::vector<pf::Value>& arguments) {
                                 return pf::Value(jsLog(arguments.at(0), arguments.at(1)));
                             }});
    return CorvanaJSObject::classModule("log", functions);
}
