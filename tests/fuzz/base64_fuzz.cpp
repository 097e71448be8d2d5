// Links: kr_util
// Decodes arbitrary text as base64 and checks that whatever decodes
// encodes and decodes back to the same bytes; encodes the raw bytes too.
#include "framework/util/KRBASE64Decode.h"
#include "framework/util/KRBASE64String.h"
#include "framework/util/text_helpers.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    byte_buffer* buffer = byte_buffer_create(0, 256);
    int ok = base64_decode(text.c_str(), buffer);
    pf::Bytes decoded(buffer->data, buffer->data + buffer->length);
    byte_buffer_free(buffer);
    if (ok && krBASE64Decode(krBASE64String(decoded)) != decoded)
        std::abort();

    pf::Bytes raw(data, data + size);
    if (krBASE64Decode(krBASE64String(raw)) != raw)
        std::abort();
    return 0;
}
