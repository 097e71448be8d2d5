#include "framework/dom/KRDOMStyle.h"

#include "framework/dom/KRDOMImageCache.h"
#include "framework/dom/KRDOMStyleSheet.h"
#include "framework/dom/KRGeometry.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Text.h"

#include <algorithm>
#include <cfloat>
#include <charconv>
#include <climits>

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the decimal number that starts at `pos` after blanks, the way the
// platform's string readings do, independent of the locale. Advances `pos`
// past it; nothing (and `pos` unchanged) when there is no number.
std::optional<double> scanNumber(std::string_view text, std::size_t& pos)
{
    std::size_t i = pos;
    while (i < text.size() && isSpace(text[i]))
        i++;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::size_t start = i;
    std::size_t digits = 0;
    while (i < text.size() && isDigit(text[i]))
        i++, digits++;
    if (i < text.size() && text[i] == '.') {
        i++;
        while (i < text.size() && isDigit(text[i]))
            i++, digits++;
    }
    if (digits == 0)
        return std::nullopt;
    bool positiveExponent = true;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t e = i + 1;
        if (e < text.size() && (text[e] == '+' || text[e] == '-'))
            positiveExponent = text[e++] == '+';
        if (e < text.size() && isDigit(text[e])) {
            while (e < text.size() && isDigit(text[e]))
                e++;
            i = e;
        }
    }
    double value = 0;
    auto [end, ec] = std::from_chars(text.data() + start, text.data() + i, value, std::chars_format::general);
    if (ec == std::errc::result_out_of_range)
        value = positiveExponent ? DBL_MAX : 0;
    else if (ec != std::errc())
        return std::nullopt;
    (void)end;
    pos = i;
    return negative ? -value : value;
}

// The integer reading of a word (0 without a leading number), clamped to int.
int intValue(std::string_view text)
{
    std::size_t pos = 0;
    std::optional<double> v = scanNumber(text, pos);
    if (!v)
        return 0;
    double truncated = std::trunc(*v);
    return truncated >= INT_MAX ? INT_MAX : truncated <= INT_MIN ? INT_MIN : int(truncated);
}

// Splits at single spaces, as the platform's component split does: "a  b"
// has an empty middle word, "" one empty word.
std::vector<std::string_view> splitAtSpaces(std::string_view text)
{
    std::vector<std::string_view> words;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find(' ', start);
        if (end == std::string_view::npos) {
            words.push_back(text.substr(start));
            return words;
        }
        words.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}


// A name that stays inside the bundle folder: relative, without "..".
bool isContainedPath(std::string_view name)
{
    if (name.empty() || name.front() == '/')
        return false;
    for (std::size_t start = 0; start <= name.size();) {
        std::size_t end = std::min(name.find('/', start), name.size());
        if (name.substr(start, end - start) == "..")
            return false;
        start = end + 1;
    }
    return true;
}

}

void KRDOMStyle::setStringValue(std::optional<std::string_view> value, std::string_view key)
{
    m_values.set(key, value);
    didChange();
}

void KRDOMStyle::setName(std::string name)
{
    m_name = std::move(name);
    didChange();
}

void KRDOMStyle::addValuesOf(const KRDOMStyle& other)
{
    for (const auto& [key, value] : other.m_values.entries())
        m_values.set(key, value);
    didChange();
}

void KRDOMStyle::didChange()
{
    for (KRDOMStyleSheet* sheet : m_sheets)
        sheet->invalidate();
}

float KRDOMStyle::floatValue(std::optional<std::string_view> text)
{
    if (!text)
        return 0;
    std::size_t pos = 0;
    std::optional<double> v = scanNumber(*text, pos);
    return v ? float(krClampFinite(*v)) : 0.0f;
}

bool KRDOMStyle::booleanValue(std::optional<std::string_view> text)
{
    if (!text)
        return false;
    if (*text == "true")
        return true;
    std::size_t i = 0;
    while (i < text->size() && isSpace((*text)[i]))
        i++;
    if (i < text->size() && ((*text)[i] == '+' || (*text)[i] == '-'))
        i++;
    while (i < text->size() && (*text)[i] == '0')
        i++;
    if (i == text->size())
        return false;
    char c = (*text)[i];
    return c == 'Y' || c == 'y' || c == 'T' || c == 't' || (c >= '1' && c <= '9');
}

std::optional<KRImage> KRDOMStyle::imageValue(std::optional<std::string_view> text, const pf::Bundle* bundle)
{
    if (!text || text->starts_with("http://"))
        return std::nullopt;
    std::vector<std::string_view> words = splitAtSpaces(*text);
    std::string_view name = words[0];
    if (!isContainedPath(name))
        return std::nullopt;
    std::string folder = bundle ? bundle->resourcePath() : pf::Bundle::main()->resourcePath();
    KRImage image;
    image.path = folder + "/" + std::string(name);
    if (!KRDOMImageCache::hasPicture(image.path))
        return std::nullopt;
    if (words.size() > 1)
        image.leftCapWidth = std::max(0, intValue(words[1]));
    if (words.size() > 2)
        image.topCapHeight = std::max(0, intValue(words[2]));
    return image;
}

std::optional<pf::Color> KRDOMStyle::colorValue(std::optional<std::string_view> text)
{
    if (!text)
        return std::nullopt;
    if (*text == "clear")
        return pf::Color::clear();
    // The reading of "#%02x%02x%02x %f": each component is up to two hex
    // digits after optional blanks; the first one missing ends the reading
    // and leaves the rest at their defaults (0, 0, 0, alpha 1).
    int components[3] = {0, 0, 0};
    double alpha = 1;
    std::string_view s = *text;
    std::size_t i = 0;
    bool complete = false;
    if (i < s.size() && s[i] == '#') {
        i++;
        complete = true;
        for (int& component : components) {
            while (i < s.size() && isSpace(s[i]))
                i++;
            int digits = 0;
            int value = 0;
            while (digits < 2 && i < s.size() && pf::hexDigitValue(s[i]) >= 0)
                value = value * 16 + pf::hexDigitValue(s[i++]), digits++;
            if (digits == 0) {
                complete = false;
                break;
            }
            component = value;
        }
    }
    if (complete) {
        if (std::optional<double> a = scanNumber(s, i))
            alpha = std::clamp(*a, 0.0, 1.0);
    }
    return pf::Color::rgb(components[0] / 255.0, components[1] / 255.0, components[2] / 255.0, alpha);
}

std::optional<pf::Font> KRDOMStyle::fontValue(std::optional<std::string_view> text)
{
    if (!text)
        return std::nullopt;
    std::vector<std::string_view> words = splitAtSpaces(*text);
    double size = floatValue(words[0]);
    if (!(size > 0))
        size = kDefaultFontSize;
    size = std::min(size, kMaxFontSize);
    if (words.size() < 2)
        return pf::Font::system(size);
    std::string_view second = words[1];
    if (second == "bold")
        return pf::Font::boldSystem(size);
    if (second == "italic")
        return pf::Font(pf::Font::defaultFamily(), size, pf::FontWeight::Regular, true);
    if (second.empty())
        return pf::Font::system(size);
    return pf::Font::named(second, size);
}
