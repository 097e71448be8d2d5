#pragma once

// An sRGB colour with straight (not premultiplied) alpha, components 0 to 1.

#include <cstdint>
#include <optional>
#include <string_view>

namespace pf {

struct Color {
    double red = 0;
    double green = 0;
    double blue = 0;
    double alpha = 0;

    static Color rgb(double r, double g, double b, double a = 1) { return {r, g, b, a}; }
    // 0xRRGGBB, opaque.
    static Color fromRgbHex(std::uint32_t rgb, double alpha = 1);
    static Color white(double w, double alpha = 1) { return {w, w, w, alpha}; }
    // "#RGB", "#RRGGBB" or "#RRGGBBAA", with or without '#'; nothing for other text.
    static std::optional<Color> parse(std::string_view text);

    static Color clear() { return {}; }
    static Color black() { return {0, 0, 0, 1}; }
    static Color whiteColor() { return {1, 1, 1, 1}; }

    bool operator==(const Color&) const = default;
    Color withAlpha(double a) const { return {red, green, blue, a}; }
    bool isClear() const { return alpha <= 0; }
    // Component-wise; t = 0 answers this colour, 1 answers `to`.
    Color interpolated(const Color& to, double t) const;
};

// One pixel as 8-bit straight-alpha components, as tests probe them.
struct Rgba8 {
    std::uint8_t r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba8&) const = default;
    // Each component within `tolerance` of the other's.
    bool near(const Rgba8& other, int tolerance = 2) const;
};
Rgba8 toRgba8(const Color& c);

}
