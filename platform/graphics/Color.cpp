#include "platform/graphics/Color.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

namespace pf {

Color Color::fromRgbHex(std::uint32_t rgb, double alpha)
{
    return {((rgb >> 16) & 0xff) / 255.0, ((rgb >> 8) & 0xff) / 255.0, (rgb & 0xff) / 255.0, alpha};
}

std::optional<Color> Color::parse(std::string_view text)
{
    if (!text.empty() && text.front() == '#')
        text.remove_prefix(1);
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char ch) { return std::isxdigit((unsigned char)ch); }))
        return std::nullopt;
    auto value = std::strtoul(std::string(text).c_str(), nullptr, 16);
    switch (text.size()) {
    case 3: {
        auto nibble = [&](int shift) { return ((value >> shift) & 0xf) * 17 / 255.0; };
        return Color{nibble(8), nibble(4), nibble(0), 1};
    }
    case 6:
        return fromRgbHex(std::uint32_t(value));
    case 8:
        return fromRgbHex(std::uint32_t(value >> 8), (value & 0xff) / 255.0);
    default:
        return std::nullopt;
    }
}

Color Color::interpolated(const Color& to, double t) const
{
    auto mix = [t](double a, double b) { return a + (b - a) * t; };
    return {mix(red, to.red), mix(green, to.green), mix(blue, to.blue), mix(alpha, to.alpha)};
}

bool Rgba8::near(const Rgba8& o, int tolerance) const
{
    return std::abs(r - o.r) <= tolerance && std::abs(g - o.g) <= tolerance && std::abs(b - o.b) <= tolerance
        && std::abs(a - o.a) <= tolerance;
}

Rgba8 toRgba8(const Color& c)
{
    auto byte = [](double v) { return std::uint8_t(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    return {byte(c.red), byte(c.green), byte(c.blue), byte(c.alpha)};
}

}
