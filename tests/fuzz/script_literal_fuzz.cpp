// Links: pf_script
// Any text written as a script string literal must parse back to exactly that
// text (nothing in it can end the literal or inject code), and the same text
// passed as a call argument must come back unchanged.
#include "platform/foundation/Log.h"
#include "platform/script/ScriptContext.h"
#include "platform/script/ScriptLiteral.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Well-formed UTF-8 without surrogates and below U+10000: the text the engine
// keeps byte for byte.
bool isPlainUtf8(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = c >= 0xc2 && c <= 0xdf ? 2 : c >= 0xe0 && c <= 0xef ? 3 : 0;
        if (!length || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xc0) != 0x80)
                return false;
        if (length == 3) {
            auto second = static_cast<unsigned char>(text[i + 1]);
            if ((c == 0xe0 && second < 0xa0) || (c == 0xed && second >= 0xa0))
                return false;
        }
        i += length;
    }
    return true;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static auto context = [] {
        pf::setLogLevel(pf::LogLevel::Error);
        auto made = pf::ScriptContext::create(16u << 20);
        made->setConsoleSink([](const std::string&) {});
        made->setAlertSink([](const std::string&) {});
        return made;
    }();
    std::string text(reinterpret_cast<const char*>(data), size);
    std::string parsed = context->evaluate("(" + pf::scriptStringLiteral(text) + ")");
    pf::Value echoed = context->callFunction("String", {pf::Value(text)});
    if (isPlainUtf8(text) && (parsed != text || echoed != pf::Value(text)))
        std::abort();
    return 0;
}
