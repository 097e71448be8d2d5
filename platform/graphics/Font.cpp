#include "platform/graphics/Font.h"

#include <pango/pango.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cctype>
#include <cmath>

namespace pf {

namespace {

bool endsWithNoCase(std::string_view text, std::string_view suffix)
{
    if (text.size() < suffix.size())
        return false;
    return std::equal(suffix.begin(), suffix.end(), text.end() - suffix.size(),
                      [](char a, char b) { return std::tolower((unsigned char)a) == std::tolower((unsigned char)b); });
}

// Families the application names that have an installed counterpart; all
// others take the default family.
std::string installedFamily(std::string_view family)
{
    std::string lower;
    for (char ch : family)
        lower += char(std::tolower((unsigned char)ch));
    if (lower.find("courier") != std::string::npos || lower.find("menlo") != std::string::npos)
        return "Noto Sans Mono CJK SC";
    if (lower.find("song") != std::string::npos || lower.find("times") != std::string::npos
        || lower.find("georgia") != std::string::npos)
        return "Noto Serif CJK SC";
    return Font::defaultFamily();
}

}

Font::Font(std::string family, double size, FontWeight weight, bool italic)
    : m_family(std::move(family))
    , m_size(size)
    , m_weight(weight)
    , m_italic(italic)
{
}

const char* Font::defaultFamily() { return "Noto Sans CJK SC"; }

Font Font::system(double size) { return {defaultFamily(), size}; }
Font Font::boldSystem(double size) { return {defaultFamily(), size, FontWeight::Bold}; }

namespace {

std::string lowered(std::string_view text)
{
    std::string lower;
    for (char ch : text)
        lower += char(std::tolower((unsigned char)ch));
    return lower;
}

bool knownCounterpart(const std::string& lower)
{
    for (const char* known : {"helvetica", "arial", "heiti", "pingfang", "courier", "menlo", "song", "times",
                              "georgia", "noto sans cjk", "noto serif cjk"}) {
        if (lower.find(known) != std::string::npos)
            return true;
    }
    return false;
}

bool familyInstalled(const std::string& lower)
{
    PangoFontFamily** families = nullptr;
    int count = 0;
    pango_font_map_list_families(pango_cairo_font_map_get_default(), &families, &count);
    bool found = false;
    for (int i = 0; i < count && !found; ++i)
        found = lowered(pango_font_family_get_name(families[i])) == lower;
    g_free(families);
    return found;
}

}

std::optional<Font> Font::installed(std::string_view name, double size)
{
    auto dash = name.rfind('-');
    std::string_view family = dash == std::string_view::npos ? name : name.substr(0, dash);
    std::string lower = lowered(family);
    if (lower.empty())
        return std::nullopt;
    Font font = named(name, size);
    if (knownCounterpart(lower))
        return font;
    if (!familyInstalled(lower))
        return std::nullopt;
    return Font(std::string(family), size, font.weight(), font.italic());
}

Font Font::named(std::string_view name, double size)
{
    std::string_view family = name;
    FontWeight weight = FontWeight::Regular;
    bool italic = false;
    auto dash = name.rfind('-');
    if (dash != std::string_view::npos) {
        std::string_view style = name.substr(dash + 1);
        family = name.substr(0, dash);
        if (endsWithNoCase(style, "italic") || endsWithNoCase(style, "oblique")) {
            italic = true;
            style.remove_suffix(endsWithNoCase(style, "italic") ? 6 : 7);
        }
        if (endsWithNoCase(style, "bold"))
            weight = FontWeight::Bold;
        else if (endsWithNoCase(style, "medium"))
            weight = FontWeight::Medium;
        else if (endsWithNoCase(style, "light"))
            weight = FontWeight::Light;
    } else if (endsWithNoCase(name, "bold")) {
        weight = FontWeight::Bold;
    }
    return {installedFamily(family), size, weight, italic};
}

PangoFontDescription* Font::newPangoDescription() const
{
    PangoFontDescription* description = pango_font_description_new();
    pango_font_description_set_family(description, m_family.c_str());
    // Points of the screen are cairo user units, so sizes are absolute. A size
    // read from a text may be 0, negative or not a number: such text is drawn
    // and measured at 1 pt rather than vanishing or overflowing.
    double size = std::isfinite(m_size) && m_size > 0 ? std::min(m_size, 1e4) : 1.0;
    pango_font_description_set_absolute_size(description, size * PANGO_SCALE);
    PangoWeight weight = PANGO_WEIGHT_NORMAL;
    switch (m_weight) {
    case FontWeight::Light: weight = PANGO_WEIGHT_LIGHT; break;
    case FontWeight::Regular: weight = PANGO_WEIGHT_NORMAL; break;
    case FontWeight::Medium: weight = PANGO_WEIGHT_MEDIUM; break;
    case FontWeight::Bold: weight = PANGO_WEIGHT_BOLD; break;
    }
    pango_font_description_set_weight(description, weight);
    pango_font_description_set_style(description, m_italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    return description;
}

}
