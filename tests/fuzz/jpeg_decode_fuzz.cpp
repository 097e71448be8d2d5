// Links: pf_graphics
// Decodes arbitrary bytes as a JPEG picture.
#include "ImageDecodeFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::uint8_t signature[] = {0xff, 0xd8, 0xff};
    return fuzzImageDecode(data, size, signature, sizeof signature);
}
