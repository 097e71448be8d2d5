#pragma once

// A font by family, size in points and weight. Names the application uses
// ("Helvetica-Bold", "STHeitiSC-Light", the system font) map to installed
// families; whatever is not installed falls back to the CJK sans family so
// that Chinese text always renders.

#include <optional>
#include <string>
#include <string_view>

typedef struct _PangoFontDescription PangoFontDescription;

namespace pf {

enum class FontWeight { Light, Regular, Medium, Bold };

class Font {
public:
    Font() = default;
    Font(std::string family, double size, FontWeight weight = FontWeight::Regular, bool italic = false);

    static Font system(double size);
    static Font boldSystem(double size);
    // A font by the application's name for it; the suffix after '-' picks the
    // weight ("-Bold", "-Medium", "-Light") and italics ("-Italic", "-Oblique").
    static Font named(std::string_view name, double size);
    // As named(), but nothing when neither the family nor a counterpart of
    // it is installed, so callers can keep their own default instead.
    static std::optional<Font> installed(std::string_view name, double size);
    static const char* defaultFamily();

    const std::string& family() const { return m_family; }
    double size() const { return m_size; }
    FontWeight weight() const { return m_weight; }
    bool italic() const { return m_italic; }
    Font withSize(double size) const { return {m_family, size, m_weight, m_italic}; }

    bool operator==(const Font&) const = default;

    // A new description owned by the caller (pango_font_description_free).
    PangoFontDescription* newPangoDescription() const;

private:
    std::string m_family = defaultFamily();
    double m_size = 17;
    FontWeight m_weight = FontWeight::Regular;
    bool m_italic = false;
};

}
