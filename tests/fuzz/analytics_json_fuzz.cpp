// Links: mca_analytics
// Decodes arbitrary bytes with the analytics JSON decoder (the first byte
// picks the parse options) and checks that whatever decodes encodes and
// decodes back to the same value.
#include "sdk/analytics/TXJKSerializer.h"
#include "sdk/analytics/TXJSONDecoder.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    TXJSONDecoder decoder(data[0] & 15u);
    TXJKError error;
    pf::Value value = decoder.objectWithUTF8String(reinterpret_cast<const char*>(data + 1), size - 1, &error);
    if (value.isNil())
        return 0;
    for (unsigned options : {0u, 2u, 16u, 18u}) {
        auto text = JSONStringWithOptions(value, options, &error);
        if (!text)
            std::abort();
        TXJSONDecoder strict;
        if (!(strict.objectWithUTF8String(text->data(), text->size()) == value))
            std::abort();
    }
    return 0;
}
