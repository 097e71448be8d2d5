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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static auto context = [] {
        pf::setLogLevel(pf::LogLevel::Error);
        return pf::ScriptContext::create(16u << 20);
    }();
    // Bytes above 0x7f pick well-formed characters, line separators included,
    // so every input is text the engine keeps byte for byte.
    static const char* const wide[] = {"\xE2\x80\xA8", "\xE2\x80\xA9", "\xE4\xB8\xAD", "\xC3\xA9"};
    std::string text;
    for (size_t i = 0; i < size; ++i)
        text += data[i] < 0x80 ? std::string(1, static_cast<char>(data[i])) : wide[data[i] & 3];
    std::string parsed = context->evaluate("(" + pf::scriptStringLiteral(text) + ")");
    if (parsed != text || context->callFunction("String", {pf::Value(text)}) != pf::Value(text))
        std::abort();
    return 0;
}
