#include "sdk/zz/JSZZApi.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Object.h"
#include "sdk/zz/CVOSDKEZJSONWriter.h"
#include "sdk/zz/CorvanaJSObject.h"
#include "sdk/zz/CvApiTool.h"

std::string JSZZApi::js_getAPPName()
{
    pf::DictionaryRef info = pf::Bundle::main()->infoDictionary();
    std::optional<std::string> name = info ? info->string("CFBundleDisplayName") : std::nullopt;
    return name && !name->empty() ? *name : std::string("返回");
}

std::string JSZZApi::js_getSDKInfo()
{
    CVOSDKEZJSONWriter writer;
    return writer.stringWithFragment(pf::Value(CvApiTool::SDKInfo())).value_or("");
}

bool JSZZApi::isPureInt(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n'))
        i++;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        i++;
    std::size_t digits = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        i++;
    return i > digits && i == text.size();
}

std::shared_ptr<CorvanaJSObject> JSZZApi::nativeApiModule()
{
    constexpr int S = static_cast<int>(CorvanaType::String);
    return CorvanaJSObject::classModule("nativeApi", {
        {"js_getAPPName", "getAppName", S, {}, [](const std::vector<pf::Value>&) { return pf::Value(js_getAPPName()); }},
        {"js_getSDKInfo", "getSDKInfo", S, {}, [](const std::vector<pf::Value>&) { return pf::Value(js_getSDKInfo()); }},
    });
}
