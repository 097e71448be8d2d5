// Links: pf_graphics
// Decodes arbitrary bytes as a PNG picture.
#include "ImageDecodeFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::uint8_t signature[] = {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a};
    return fuzzImageDecode(data, size, signature, sizeof signature);
}
