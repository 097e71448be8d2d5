// Links: zz_sdk
// Unwraps arbitrary bytes as a "callback( … );" or "_Callback( … );" answer:
// the result is the input or a piece of it, never reaching past its ends,
// and parsing it never fails loudly.
#include "sdk/zz/CommonSDK.h"
#include "sdk/zz/CorvanaOAuth.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const std::string& inner : { CorvanaOAuth::unwrapCallback(text), CorvanaOAuth::unwrapStatisCallback(text) }) {
        if (inner.size() > size || text.find(inner) == std::string_view::npos)
            std::abort();
        if (inner.size() != size && inner.size() + 3 > size)
            std::abort();
        CommonSDK::JSONValue(std::string_view(inner));
    }
    CorvanaOAuth::parseURLParams(text);
    return 0;
}
