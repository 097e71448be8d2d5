// Links: pf_graphics
// Decodes arbitrary bytes as a GIF (all frames) picture.
#include "ImageDecodeFuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::uint8_t signature[] = {'G', 'I', 'F', '8', '9', 'a'};
    return fuzzImageDecode(data, size, signature, sizeof signature);
}
