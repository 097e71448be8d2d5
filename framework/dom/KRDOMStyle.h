#pragma once

// One named rule of a style sheet: string keys to string values, parsed when
// read. The class parsers are shared with KRDOMElement, which reads an
// element's attribute first and its style second. Main queue only.
//
// Readings of bad input: floats read the leading decimal number of the text
// (C locale; "nan" and "inf" are not numbers) and are clamped to the finite
// float range; colours fall back to opaque black components; fonts of a
// non-finite or non-positive size take 14 points and huge sizes are capped.
// Font names map to installed families as the platform's fonts do, unknown
// names to the system font.

#include "framework/dom/Forward.h"
#include "framework/dom/KRDOMStringMap.h"
#include "framework/dom/KRImage.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pf {
class Bundle;
}

class KRDOMStyle {
public:
    static constexpr double kDefaultFontSize = 14;
    static constexpr double kMaxFontSize = 1000;

    KRDOMStyle() = default;
    explicit KRDOMStyle(std::string name) : m_name(std::move(name)) {}
    // The sheets holding a style are its own: a copy belongs to none.
    KRDOMStyle(const KRDOMStyle&) = delete;
    KRDOMStyle& operator=(const KRDOMStyle&) = delete;

    // Nothing for the value removes the key. A change to a style that a sheet
    // holds reaches that sheet's merges at once.
    void setStringValue(std::optional<std::string_view> value, std::string_view key);
    std::optional<std::string_view> stringValueForKey(std::string_view key) const { return m_values.get(key); }
    std::vector<std::string> allKeys() const { return m_values.keys(); }
    const KRDOMStringMap& values() const { return m_values; }
    // Copies every value of `other` over this style's.
    void addValuesOf(const KRDOMStyle& other);

    const std::string& name() const { return m_name; }
    void setName(std::string name);

    float floatValueForKey(std::string_view key) const { return floatValue(stringValueForKey(key)); }
    bool booleanValueForKey(std::string_view key) const { return booleanValue(stringValueForKey(key)); }
    std::optional<KRImage> imageValueForKey(std::string_view key, const pf::Bundle* bundle) const
    {
        return imageValue(stringValueForKey(key), bundle);
    }
    std::optional<pf::Color> colorValueForKey(std::string_view key) const { return colorValue(stringValueForKey(key)); }
    std::optional<pf::Font> fontValueForKey(std::string_view key) const { return fontValue(stringValueForKey(key)); }

    // 0 for nothing or text without a leading number.
    static float floatValue(std::optional<std::string_view> text);
    // True for text that reads as a true boolean: "true", or (after blanks, a
    // sign and zeros) a first character among Y y T t 1-9.
    static bool booleanValue(std::optional<std::string_view> text);
    // "name [leftCap [topCap]]": a picture file below the bundle's resource
    // folder (the main bundle's when null). Nothing for "http://" sources,
    // names that climb out of the folder and files that do not exist, either
    // as named or as their double-scale twin ("name@2x.png").
    static std::optional<KRImage> imageValue(std::optional<std::string_view> text, const pf::Bundle* bundle);
    // "clear", or "#rrggbb" with an optional alpha after a blank.
    static std::optional<pf::Color> colorValue(std::optional<std::string_view> text);
    // "size", "size bold", "size italic" or "size Name".
    static std::optional<pf::Font> fontValue(std::optional<std::string_view> text);

private:
    friend class KRDOMStyleSheet;
    void didChange();

    KRDOMStringMap m_values;
    std::string m_name;
    // The sheets that hold this style, not owned: a sheet leaves the list
    // when it lets the style go or ends.
    std::vector<KRDOMStyleSheet*> m_sheets;
};
