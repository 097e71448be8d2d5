#include "tools/appserver/AppPictures.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageCodec.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace zmr {

namespace {

thread_local std::size_t renderedPictures = 0;

struct Recipe {
    bool portrait = false;
    int seed = 0;
    int width = 0;
    int height = 0;
    bool jpeg = false;
};

std::optional<Recipe> parseRecipe(const std::string& text)
{
    Recipe recipe;
    char format[8] = {};
    int consumed = 0;
    if (std::sscanf(text.c_str(), "portrait:%d%n", &recipe.seed, &consumed) == 1 && consumed == static_cast<int>(text.size())) {
        recipe.portrait = true;
        recipe.width = recipe.height = 200;
        return recipe;
    }
    if (std::sscanf(text.c_str(), "photo:%d:%d:%d:%4[a-z]%n", &recipe.seed, &recipe.width, &recipe.height, format, &consumed) == 4 &&
        consumed == static_cast<int>(text.size()) && recipe.width > 0 && recipe.width <= 1280 && recipe.height > 0 &&
        recipe.height <= 1280 && (std::string(format) == "png" || std::string(format) == "jpeg")) {
        recipe.jpeg = std::string(format) == "jpeg";
        return recipe;
    }
    return std::nullopt;
}

struct Rgb {
    std::uint8_t r, g, b;
};

// Hue in degrees, saturation and value from 0 to 1.
Rgb hsv(double hue, double saturation, double value)
{
    hue = std::fmod(hue, 360.0);
    double c = value * saturation;
    double x = c * (1 - std::fabs(std::fmod(hue / 60.0, 2.0) - 1));
    double m = value - c;
    double r = 0, g = 0, b = 0;
    switch (static_cast<int>(hue / 60.0)) {
    case 0: r = c, g = x; break;
    case 1: r = x, g = c; break;
    case 2: g = c, b = x; break;
    case 3: g = x, b = c; break;
    case 4: r = x, b = c; break;
    default: r = c, b = x; break;
    }
    auto byte = [m](double v) { return static_cast<std::uint8_t>(std::lround((v + m) * 255)); };
    return {byte(r), byte(g), byte(b)};
}

class Canvas {
public:
    Canvas(int width, int height) : m_width(width), m_height(height), m_rgba(static_cast<std::size_t>(width) * height * 4, 255) {}
    int width() const { return m_width; }
    int height() const { return m_height; }
    const std::uint8_t* data() const { return m_rgba.data(); }

    // Paints every pixel whose centre satisfies `inside(x, y)`.
    template <class Inside> void paint(Rgb colour, Inside inside)
    {
        for (int y = 0; y < m_height; ++y) {
            std::uint8_t* row = m_rgba.data() + static_cast<std::size_t>(y) * m_width * 4;
            for (int x = 0; x < m_width; ++x) {
                if (inside(x + 0.5, y + 0.5)) {
                    row[x * 4] = colour.r;
                    row[x * 4 + 1] = colour.g;
                    row[x * 4 + 2] = colour.b;
                }
            }
        }
    }

private:
    int m_width, m_height;
    std::vector<std::uint8_t> m_rgba;
};

void drawPhoto(Canvas& canvas, int seed)
{
    double hue = std::fmod(seed * 137.508, 360.0);
    double w = canvas.width(), h = canvas.height();
    double cx = w / 2, cy = h / 2, size = std::min(w, h) * 0.3;
    canvas.paint(hsv(hue, 0.45, 0.95), [](double, double) { return true; });
    // A darker band across the lower third gives each photo a horizon.
    canvas.paint(hsv(hue, 0.55, 0.75), [h](double, double y) { return y > h * 0.68; });
    Rgb shape = hsv(hue + 180, 0.8, 0.8);
    switch (seed % 5) {
    case 0: canvas.paint(shape, [=](double x, double y) { return std::hypot(x - cx, y - cy) < size; }); break;
    case 1: canvas.paint(shape, [=](double x, double y) { return std::fabs(x - cx) < size && std::fabs(y - cy) < size; }); break;
    case 2: canvas.paint(shape, [=](double x, double y) {
        return y < cy + size && y > cy - size && std::fabs(x - cx) < (y - (cy - size)) / 2;
    }); break;
    case 3: canvas.paint(shape, [=](double x, double y) {
        double d = std::hypot(x - cx, y - cy);
        return d < size && d > size * 0.6;
    }); break;
    default: canvas.paint(shape, [=](double x, double y) { return std::fabs(x - cx) + std::fabs(y - cy) < size; }); break;
    }
    // A small mark in a corner chosen by the seed tells photos of one shape apart.
    double mx = (seed / 5) % 2 ? w * 0.85 : w * 0.15, my = (seed / 10) % 2 ? h * 0.85 : h * 0.15;
    canvas.paint(hsv(hue + 90, 0.9, 0.6), [=](double x, double y) { return std::hypot(x - mx, y - my) < size * 0.25; });
}

void drawPortrait(Canvas& canvas, int seed)
{
    double hue = std::fmod(seed * 97.3, 360.0);
    canvas.paint(hsv(hue, 0.35, 0.95), [](double, double) { return true; });
    canvas.paint(hsv(hue + 150, 0.7, 0.7), [](double x, double y) { return std::hypot(x - 100, y - 215) < 85; });
    canvas.paint(hsv(25 + seed % 20, 0.35 + (seed % 3) * 0.1, 0.95), [](double x, double y) { return std::hypot(x - 100, y - 85) < 45; });
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

std::optional<Picture> draw(const Recipe& recipe)
{
    Canvas canvas(recipe.width, recipe.height);
    if (recipe.portrait)
        drawPortrait(canvas, recipe.seed);
    else
        drawPhoto(canvas, recipe.seed);
    auto bitmap = pf::Bitmap::fromRgba(canvas.width(), canvas.height(), canvas.data(), static_cast<std::size_t>(canvas.width()) * 4);
    if (!bitmap)
        return std::nullopt;
    Picture picture;
    if (recipe.jpeg) {
        auto bytes = pf::encodeJpeg(**bitmap, 0.85);
        if (!bytes)
            return std::nullopt;
        picture.bytes.assign(bytes->begin(), bytes->end());
        picture.contentType = "image/jpeg";
    } else {
        cairo_surface_flush((*bitmap)->surface());
        if (cairo_surface_write_to_png_stream((*bitmap)->surface(), appendBytes, &picture.bytes) != CAIRO_STATUS_SUCCESS)
            return std::nullopt;
        picture.contentType = "image/png";
    }
    return picture;
}

bool isLoopbackOrigin(const std::string& url, std::size_t& pathStart)
{
    for (const char* prefix : {"http://127.0.0.1", "http://localhost", "http://[::1]"}) {
        std::string p = prefix;
        if (url.compare(0, p.size(), p) != 0)
            continue;
        std::size_t at = p.size();
        if (at < url.size() && url[at] == ':') {
            ++at;
            while (at < url.size() && url[at] >= '0' && url[at] <= '9')
                ++at;
        }
        pathStart = at;
        return true;
    }
    return false;
}

}

std::size_t renderedPicturesForTesting() { return renderedPictures; }

std::optional<Picture> renderPicture(const std::string& text)
{
    ++renderedPictures;
    // Drawings are small next to a test program's memory; a cap keeps a
    // long-running server from growing without bound.
    constexpr std::size_t cacheCap = 96 << 20;
    static std::mutex mutex; // guards the two below
    static std::map<std::string, std::shared_ptr<const Picture>> cache;
    static std::size_t cached = 0;
    {
        std::lock_guard lock(mutex);
        if (auto found = cache.find(text); found != cache.end())
            return *found->second;
    }
    auto recipe = parseRecipe(text);
    if (!recipe)
        return std::nullopt;
    auto picture = draw(*recipe);
    if (!picture)
        return std::nullopt;
    std::lock_guard lock(mutex);
    if (cached + picture->bytes.size() <= cacheCap && cache.emplace(text, std::make_shared<const Picture>(*picture)).second)
        cached += picture->bytes.size();
    return picture;
}

std::string pictureContentType(const std::string& recipe)
{
    auto parsed = parseRecipe(recipe);
    return parsed && parsed->jpeg ? "image/jpeg" : "image/png";
}

std::string localPicturePath(const std::string& source)
{
    std::size_t pathStart = 0;
    if (isLoopbackOrigin(source, pathStart) && source.compare(pathStart, 8, "/images/") == 0)
        return source.substr(pathStart);
    return source;
}

std::string pictureURL(const std::string& origin, const std::string& source)
{
    return !source.empty() && source.front() == '/' ? origin + source : source;
}

}
