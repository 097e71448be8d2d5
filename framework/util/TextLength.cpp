#include "framework/util/Pinyin.h"
#include "framework/util/TextLength.h"

#include "framework/util/pinyin.h"

#include "platform/foundation/Text.h"

#include <climits>
#include <vector>

namespace {

int weight(char16_t unit)
{
    return unit < 128 ? 1 : 2;
}

// Code point of the UTF-8 character at `at`, and its byte length. Invalid
// bytes read as U+FFFD of length 1.
char32_t decode(std::string_view text, std::size_t at, std::size_t& length)
{
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char c = byte(at);
    length = 1;
    if (c < 0x80)
        return c;
    int extra = c >= 0xF0 && c <= 0xF4 ? 3 : c >= 0xE0 ? 2 : c >= 0xC2 && c < 0xE0 ? 1 : -1;
    if (extra < 0 || at + static_cast<std::size_t>(extra) >= text.size())
        return 0xFFFD;
    char32_t code = c & (0x3F >> extra);
    for (int i = 1; i <= extra; i++) {
        unsigned char next = byte(at + i);
        if ((next & 0xC0) != 0x80)
            return 0xFFFD;
        code = code << 6 | (next & 0x3F);
    }
    bool overlong = (extra == 2 && code < 0x800) || (extra == 3 && code < 0x10000);
    if (overlong || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
        return 0xFFFD;
    length = static_cast<std::size_t>(extra) + 1;
    return code;
}

bool isCombining(char32_t c)
{
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x0483 && c <= 0x0489) || (c >= 0x0591 && c <= 0x05BD) ||
           (c >= 0x064B && c <= 0x065F) || (c >= 0x1AB0 && c <= 0x1AFF) || (c >= 0x1DC0 && c <= 0x1DFF) ||
           (c >= 0x20D0 && c <= 0x20FF) || (c >= 0x3099 && c <= 0x309A) || (c >= 0xFE00 && c <= 0xFE0F) ||
           (c >= 0xFE20 && c <= 0xFE2F) || (c >= 0xE0100 && c <= 0xE01EF) || c == 0x200D;
}

}

int textLength(std::string_view text)
{
    long long total = 0;
    for (char16_t unit : pf::toUtf16(text))
        total += weight(unit);
    return total > INT_MAX ? INT_MAX : static_cast<int>(total);
}

int textIndexOfLength(std::string_view text, int limit)
{
    std::u16string units = pf::toUtf16(text);
    long long total = 0;
    for (std::size_t i = 0; i < units.size(); i++) {
        total += weight(units[i]);
        if (total > limit) {
            bool low = units[i] >= 0xDC00 && units[i] <= 0xDFFF;
            if (low && i > 0 && units[i - 1] >= 0xD800 && units[i - 1] <= 0xDBFF)
                i--;
            return static_cast<int>(i);
        }
    }
    return units.size() > INT_MAX ? INT_MAX : static_cast<int>(units.size());
}

std::string reverseString(std::string_view text)
{
    // Byte ranges of the composed sequences, in order.
    std::vector<std::pair<std::size_t, std::size_t>> sequences;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length;
        char32_t code = decode(text, at, length);
        if (isCombining(code) && !sequences.empty())
            sequences.back().second += length;
        else
            sequences.emplace_back(at, length);
        at += length;
    }
    std::string out;
    out.reserve(text.size());
    for (auto it = sequences.rbegin(); it != sequences.rend(); ++it)
        out.append(text.substr(it->first, it->second));
    return out;
}

std::optional<std::string> pinyinInitials(std::string_view name)
{
    if (name.empty())
        return std::nullopt;
    std::size_t length;
    char32_t code = decode(name, 0, length);
    if (code < 0x100)
        return std::string(name.substr(0, length));
    if (code > 0xFFFF)
        return std::nullopt; // its first unit is a surrogate
    const uint16_t* record = pinyin_record(static_cast<uint16_t>(code));
    if (pinyin_count(record) < 1)
        return std::nullopt;
    return std::string(1, pinyin_string(record, 0)[0]);
}
