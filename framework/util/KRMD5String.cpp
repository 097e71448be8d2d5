#include "framework/util/KRMD5String.h"

#include "framework/util/md5.h"

#include <cctype>

namespace {

std::string upper(const void* bytes, std::size_t length)
{
    char hex[33];
    md5_hex(bytes, length, hex);
    std::string text(hex, 32);
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}

std::string krMD5String(const pf::Bytes& data)
{
    return upper(data.data(), data.size());
}

std::string krMD5String(std::string_view text)
{
    return upper(text.data(), text.size());
}
