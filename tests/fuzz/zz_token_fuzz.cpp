// Links: zz_sdk pf_foundation
// Enciphers arbitrary text with an arbitrary key (the first byte splits the
// input); text and key below U+0100 must decipher back, and deciphering any
// text must not fail unsafely.
#include "platform/foundation/Text.h"
#include "sdk/zz/CvApiTool.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool belowU0100(const std::string& text)
{
    for (char16_t unit : pf::toUtf16(text)) {
        if (unit >= 0x100)
            return false;
    }
    return true;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    std::size_t split = data[0] % size;
    std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    std::string text = bytes.substr(0, split);
    std::string key = bytes.substr(split);
    CvApiTool::decodeAccessToken(text, key);
    if (!pf::isValidUtf8(text) || !pf::isValidUtf8(key))
        return 0;
    auto enciphered = CvApiTool::encryAccessToken(text, key);
    if (key.empty() != !enciphered)
        std::abort();
    if (enciphered && belowU0100(text) && belowU0100(key) && CvApiTool::decodeAccessToken(enciphered, key) != text)
        std::abort();
    return 0;
}
