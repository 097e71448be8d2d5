#include "platform/graphics/GaussianBlur.h"

#include "platform/graphics/Bitmap.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace pf {

namespace {

// Box widths whose three passes give a Gaussian of deviation `sigma`.
void boxesForGauss(double sigma, int boxes[3])
{
    double ideal = std::sqrt(12 * sigma * sigma / 3 + 1);
    int lower = int(std::floor(ideal));
    if (lower % 2 == 0)
        --lower;
    int upper = lower + 2;
    double m = std::round((12 * sigma * sigma - 3.0 * lower * lower - 12.0 * lower - 9) / (-4.0 * lower - 4));
    for (int i = 0; i < 3; ++i)
        boxes[i] = i < m ? lower : upper;
}

// One box pass over a contiguous line of `count` pixels, written `step`
// words apart; the pixels past either end repeat the end ones.
void boxLine(const std::uint32_t* in, std::uint32_t* out, int count, std::ptrdiff_t step, int radius)
{
    int window = 2 * radius + 1;
    std::uint32_t sum[4] = {0, 0, 0, 0};
    auto at = [&](int i) { return in[std::clamp(i, 0, count - 1)]; };
    auto add = [&](std::uint32_t px, int sign) {
        for (int c = 0; c < 4; ++c)
            sum[c] += std::uint32_t(sign) * ((px >> (8 * c)) & 0xFF);
    };
    for (int i = -radius - 1; i < radius; ++i)
        add(at(i), 1);
    for (int i = 0; i < count; ++i) {
        add(at(i + radius), 1);
        add(at(i - radius - 1), -1);
        std::uint32_t px = 0;
        for (int c = 0; c < 4; ++c)
            px |= ((sum[c] + std::uint32_t(window / 2)) / std::uint32_t(window)) << (8 * c);
        out[i * step] = px;
    }
}

}

ErrorOr<BitmapRef> gaussianBlur(const Bitmap& bitmap, double radius)
{
    int w = bitmap.pixelWidth(), h = bitmap.pixelHeight();
    auto made = Bitmap::create(w, h, bitmap.scale());
    if (!made)
        return made.error();
    BitmapRef result = made.value();
    cairo_surface_t* source = bitmap.surface();
    cairo_surface_t* target = result->surface();
    cairo_surface_flush(source);
    cairo_surface_flush(target);
    auto* in = cairo_image_surface_get_data(source);
    auto* out = cairo_image_surface_get_data(target);
    int inStride = cairo_image_surface_get_stride(source), outStride = cairo_image_surface_get_stride(target);
    if (!in || !out || w <= 0 || h <= 0)
        return result;
    for (int y = 0; y < h; ++y)
        std::memcpy(out + std::ptrdiff_t(y) * outStride, in + std::ptrdiff_t(y) * inStride, std::size_t(w) * 4);
    if (std::isnan(radius) || radius <= 0) {
        cairo_surface_mark_dirty(target);
        return result;
    }
    double sigma = std::min(radius, kMaxBlurRadius);
    int boxes[3];
    boxesForGauss(sigma, boxes);

    // Premultiplied pixels blur channel by channel without fringes.
    std::ptrdiff_t rowWords = outStride / 4;
    auto* pixels = reinterpret_cast<std::uint32_t*>(out);
    std::vector<std::uint32_t> line(std::size_t(std::max(w, h)));
    for (int box : boxes) {
        int r = (box - 1) / 2;
        if (r <= 0)
            continue;
        for (int y = 0; y < h; ++y) {
            std::uint32_t* row = pixels + y * rowWords;
            std::copy(row, row + w, line.begin());
            boxLine(line.data(), row, w, 1, r);
        }
        for (int x = 0; x < w; ++x) {
            for (int y = 0; y < h; ++y)
                line[std::size_t(y)] = pixels[y * rowWords + x];
            boxLine(line.data(), pixels + x, h, rowWords, r);
        }
    }
    cairo_surface_mark_dirty(target);
    return result;
}

}
