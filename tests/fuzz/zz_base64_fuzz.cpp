// Links: zz_sdk
// Decodes arbitrary text with the share model's lenient base64: whatever
// decodes encodes to text that decodes back to the same bytes, text read as
// UTF-8 is given only when it is UTF-8, and the raw bytes round-trip.
#include "platform/foundation/Text.h"
#include "sdk/zz/ZZOpenApiUtility.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    auto decoded = ZZOpenApiUtility::dataWithBase64EncodedString(text);
    if (decoded) {
        auto again = ZZOpenApiUtility::dataWithBase64EncodedString(ZZOpenApiUtility::base64EncodedStringWithData(decoded));
        if (!decoded->empty() && again != decoded)
            std::abort();
    }
    auto utf8 = ZZOpenApiUtility::UTF8StringWithBase64String(text);
    if (utf8 && (!decoded || !pf::isValidUtf8(*utf8) || std::string(decoded->begin(), decoded->end()) != *utf8))
        std::abort();
    pf::Bytes raw(data, data + size);
    auto encoded = ZZOpenApiUtility::base64EncodedStringWithData(raw);
    if (!encoded || encoded->size() != (size + 2) / 3 * 4)
        std::abort();
    if (size && ZZOpenApiUtility::dataWithBase64EncodedString(encoded) != raw)
        std::abort();
    return 0;
}
