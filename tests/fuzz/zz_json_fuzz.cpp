// Links: zz_sdk
// Parses arbitrary bytes as a JSON fragment; whatever parses must write and
// parse back to an equal value, and a number must read as the double nearest
// its text.
#include "sdk/zz/CVOSDKEZJSONParser.h"
#include "sdk/zz/CVOSDKEZJSONWriter.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    CVOSDKEZJSONParser parser;
    pf::Value value = parser.fragmentWithString(text);
    if (value.isNil()) {
        if (parser.errorTrace().empty())
            std::abort();
        return 0;
    }
    if (const pf::Number* number = value.number(); number && number->type != pf::NumberType::Bool) {
        const double nearest = std::strtod(std::string(text).c_str(), nullptr);
        const double read = value.doubleValue();
        if (std::memcmp(&nearest, &read, sizeof read) != 0)
            std::abort();
    }
    CVOSDKEZJSONWriter writer;
    writer.setHumanReadable(size % 2 == 1);
    auto written = writer.stringWithFragment(value);
    if (!written)
        std::abort();
    pf::Value again = parser.fragmentWithString(*written);
    if (!(again == value))
        std::abort();
    return 0;
}
