#include "sdk/zz/CVOSDKJSBridgeTools.h"

#include "platform/foundation/Object.h"
#include "sdk/zz/CorvanaJSObject.h"

std::string CVOSDKJSBridgeTools::jsLog(const pf::Value&, const pf::Value&)
{
    return "js debuger";
}

std::shared_ptr<CorvanaJSObject> CVOSDKJSBridgeTools::logModule()
{
    // The module's target stands for the class; it lives for the process.
    static const auto target = std::make_shared<pf::Object>();
    auto module = std::make_shared<CorvanaJSObject>();
    module->transformNativeObj(target, std::string("log"));
    for (const char* name : {"d", "e", "v", "w", "i"}) {
        module->transformNativeMethod("jsLog:with:", name, static_cast<int>(CorvanaType::String),
                                      {static_cast<int>(CorvanaType::String), static_cast<int>(CorvanaType::String)},
                                      [](const std::vector<pf::Value>& arguments) -> std::optional<pf::Value> {
                                          return pf::Value(jsLog(arguments.at(0), arguments.at(1)));
                                      });
    }
    return module;
}
