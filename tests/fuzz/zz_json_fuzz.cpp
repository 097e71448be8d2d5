// Links: zz_sdk
// Parses arbitrary bytes as a JSON fragment; whatever parses must write and
// parse back to an equal value.
#include "sdk/zz/CVOSDKEZJSONParser.h"
#include "sdk/zz/CVOSDKEZJSONWriter.h"

#include <cstdint>
#include <cstdlib>
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
