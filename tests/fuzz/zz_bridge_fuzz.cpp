// Links: zz_sdk
// Any text after "corvanajsbridge://" reaches the runtime's dispatcher, both
// directly and through the scripts' own _openURL, with a module that takes
// and answers every type code, and the same text goes through module
// functions as an argument: nothing may crash, what the script gets back is
// always a string or null, and text the engine keeps as it is comes back
// unchanged. The bytes' percent-decoding is held against a plain reading.
#include "platform/controls/WebView.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/script/ScriptContext.h"
#include "sdk/zz/CorvanaJSObject.h"
#include "sdk/zz/CorvanaJSRunEnv.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace {

// Percent escapes read a byte at a time.
std::optional<std::string> plainlyDecoded(std::string_view text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size() || pf::hexDigitValue(text[i + 1]) < 0 || pf::hexDigitValue(text[i + 2]) < 0)
            return std::nullopt;
        out += static_cast<char>(pf::hexDigitValue(text[i + 1]) * 16 + pf::hexDigitValue(text[i + 2]));
        i += 2;
    }
    return out;
}

// Valid UTF-8 without four-byte characters, which the engine keeps apart.
bool keptAsItIs(std::string_view text)
{
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0xF0)
            return false;
    }
    return pf::isValidUtf8(text);
}

struct Setup {
    std::shared_ptr<pf::WebView> web = std::make_shared<pf::WebView>();
    std::shared_ptr<pf::ScriptContext> context = web->scriptContext();
    std::shared_ptr<pf::Object> target = std::make_shared<pf::Object>();
    std::shared_ptr<CorvanaJSRunEnv> runEnv;
    Setup()
    {
        context->setConsoleSink([](const std::string&) {});
        context->setAlertSink([](const std::string&) {});
        runEnv = CorvanaJSRunEnv::initWithWebView(web, "", {});
        context->evaluate(CorvanaJSRunEnv::sendCmdScript);
        auto module = std::make_shared<CorvanaJSObject>();
        module->transformNativeObj(target, std::string("m"));
        auto echo = [](const std::vector<pf::Value>& arguments) -> std::optional<pf::Value> {
            return arguments.empty() ? pf::Value() : arguments[0];
        };
        for (int code = 0; code <= 10; code++)
            module->transformNativeMethod("f:", "f" + std::to_string(code), code, {code}, echo);
        module->transformNativeMethod("g:a:b:c:d:e:f:h:i:", "g", 1, {1, 2, 3, 4, 5, 6, 7, 8, 9},
                                      [](const std::vector<pf::Value>& arguments) -> std::optional<pf::Value> {
                                          std::string all;
                                          for (const pf::Value& value : arguments)
                                              all += value.description();
                                          return pf::Value(all);
                                      });
        module->transformNativeMethod("none", "none", 9, {}, echo);
        if (!runEnv->registNativeObj(module))
            std::abort();
    }
};

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Setup setup;
    std::string url = "corvanajsbridge://" + std::string(reinterpret_cast<const char*>(data), size);
    setup.runEnv->webViewShouldStartLoadWithRequest(*setup.web, url);
    pf::Value answer = setup.context->callFunction("SendCmd._openURL", {url});
    if (!answer.isNull() && !answer.isString())
        std::abort();
    // The same bytes as an argument of module functions: encoded by the
    // script side, decoded by the dispatcher.
    std::string text(reinterpret_cast<const char*>(data), size);
    if (pf::percentDecode(text) != plainlyDecoded(text))
        std::abort();
    for (const char* function : {"m.f1", "m.g"}) {
        // Nil when the engine refuses to encode bytes that are not UTF-8.
        pf::Value echoed = setup.context->callFunction(function, {text, text});
        if (!echoed.isNilOrNull() && !echoed.isString())
            std::abort();
        if (function == std::string_view("m.f1") && keptAsItIs(text) && echoed != pf::Value(text))
            std::abort();
    }
    return 0;
}
