#include "platform/graphics/Bitmap.h"

#include <cairo.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace pf {

namespace {

Error cairoError(cairo_status_t status, const char* what)
{
    return Error{"pf::Bitmap", status, std::string(what) + ": " + cairo_status_to_string(status)};
}

// The first of pixels [from, to) that is not fully transparent (a
// premultiplied pixel with all bits clear), or `to`. Sixteen at a time, which
// the compiler turns into a few vector loads: most pixels looked at are clear.
int firstInk(const std::uint32_t* pixels, int from, int to)
{
    int x = from;
    for (; x + 16 <= to; x += 16) {
        std::uint32_t any = 0;
        for (int k = 0; k < 16; ++k)
            any |= pixels[x + k];
        if (any)
            break;
    }
    for (; x < to; ++x) {
        if (pixels[x])
            return x;
    }
    return to;
}

// One past the last of pixels [from, to) that is not fully transparent, or
// `from`; sixteen at a time from the end.
int lastInk(const std::uint32_t* pixels, int from, int to)
{
    int x = to;
    for (; x - 16 >= from; x -= 16) {
        std::uint32_t any = 0;
        for (int k = 1; k <= 16; ++k)
            any |= pixels[x - k];
        if (any)
            break;
    }
    for (; x > from; --x) {
        if (pixels[x - 1])
            return x;
    }
    return from;
}

}

ErrorOr<BitmapRef> Bitmap::create(int pixelWidth, int pixelHeight, double scale)
{
    if (pixelWidth <= 0 || pixelHeight <= 0 || !(scale > 0) || !std::isfinite(scale))
        return Error{"pf::Bitmap", CAIRO_STATUS_INVALID_SIZE, "bitmap sizes and scale must be positive"};
    return adopt(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixelWidth, pixelHeight), scale);
}

ErrorOr<BitmapRef> Bitmap::fromRgba(int pixelWidth, int pixelHeight, const std::uint8_t* rgba, std::size_t stride,
                                    double scale)
{
    if (!rgba || stride < std::size_t(pixelWidth) * 4)
        return Error{"pf::Bitmap", CAIRO_STATUS_INVALID_STRIDE, "pixel rows shorter than the width"};
    auto created = create(pixelWidth, pixelHeight, scale);
    if (!created)
        return created;
    cairo_surface_t* surface = created.value()->surface();
    cairo_surface_flush(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    int dstStride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < pixelHeight; ++y) {
        const std::uint8_t* src = rgba + std::size_t(y) * stride;
        auto* dst = reinterpret_cast<std::uint32_t*>(data + std::size_t(y) * dstStride);
        for (int x = 0; x < pixelWidth; ++x, src += 4) {
            std::uint32_t a = src[3];
            auto premultiply = [a](std::uint32_t v) { return (v * a + 127) / 255; };
            dst[x] = a << 24 | premultiply(src[0]) << 16 | premultiply(src[1]) << 8 | premultiply(src[2]);
        }
    }
    cairo_surface_mark_dirty(surface);
    return created;
}

ErrorOr<BitmapRef> Bitmap::adopt(cairo_surface_t* surface, double scale)
{
    if (!surface)
        return Error{"pf::Bitmap", CAIRO_STATUS_NULL_POINTER, "no surface"};
    if (auto status = cairo_surface_status(surface); status != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return cairoError(status, "creating an image surface");
    }
    if (cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE
        || cairo_image_surface_get_format(surface) != CAIRO_FORMAT_ARGB32) {
        cairo_surface_destroy(surface);
        return Error{"pf::Bitmap", CAIRO_STATUS_INVALID_FORMAT, "not an ARGB32 image surface"};
    }
    return BitmapRef(new Bitmap(surface, scale > 0 ? scale : 1));
}

Bitmap::Bitmap(cairo_surface_t* surface, double scale)
    : m_surface(surface)
    , m_width(cairo_image_surface_get_width(surface))
    , m_height(cairo_image_surface_get_height(surface))
    , m_scale(scale)
{
}

Bitmap::~Bitmap() { cairo_surface_destroy(m_surface); }

Rgba8 Bitmap::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return {};
    cairo_surface_flush(m_surface);
    const unsigned char* row = cairo_image_surface_get_data(m_surface) + y * cairo_image_surface_get_stride(m_surface);
    std::uint32_t argb = reinterpret_cast<const std::uint32_t*>(row)[x];
    std::uint8_t a = argb >> 24;
    if (a == 0)
        return {};
    auto unpremultiply = [a](std::uint32_t v) { return std::uint8_t(((v & 0xff) * 255 + a / 2) / a); };
    return {unpremultiply(argb >> 16), unpremultiply(argb >> 8), unpremultiply(argb), a};
}

Rgba8 Bitmap::pixelAtPoint(Point p) const
{
    return pixel(int(std::floor(p.x * m_scale)), int(std::floor(p.y * m_scale)));
}

std::optional<Rect> Bitmap::inkBounds() const
{
    cairo_surface_flush(m_surface);
    const unsigned char* data = cairo_image_surface_get_data(m_surface);
    const std::size_t stride = std::size_t(cairo_image_surface_get_stride(m_surface));
    auto row = [&](int y) { return reinterpret_cast<const std::uint32_t*>(data + std::size_t(y) * stride); };
    int top = 0, bottom = m_height;
    while (top < bottom && firstInk(row(top), 0, m_width) == m_width)
        ++top;
    if (top == bottom)
        return std::nullopt;
    while (firstInk(row(bottom - 1), 0, m_width) == m_width)
        --bottom;
    // Each row is looked at only outside the columns already known to hold ink.
    int left = m_width, right = 0;
    for (int y = top; y < bottom; ++y) {
        const std::uint32_t* pixels = row(y);
        left = firstInk(pixels, 0, left);
        right = std::max(right, lastInk(pixels, std::max(right, left), m_width));
    }
    return Rect{double(left), double(top), double(right - left), double(bottom - top)};
}

void Bitmap::fill(const Color& color)
{
    cairo_t* cr = cairo_create(m_surface);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cr, color.red, color.green, color.blue, color.alpha);
    cairo_paint(cr);
    cairo_destroy(cr);
}

ErrorOr<Bytes> Bitmap::pngData() const
{
    cairo_surface_flush(m_surface);
    Bytes bytes;
    auto append = [](void* closure, const unsigned char* data, unsigned int length) {
        auto* out = static_cast<Bytes*>(closure);
        out->insert(out->end(), data, data + length);
        return CAIRO_STATUS_SUCCESS;
    };
    if (auto status = cairo_surface_write_to_png_stream(m_surface, append, &bytes); status != CAIRO_STATUS_SUCCESS)
        return cairoError(status, "encoding PNG");
    return bytes;
}

std::optional<Error> Bitmap::writePng(const std::string& path) const
{
    cairo_surface_flush(m_surface);
    // Our own file, so a failure names the system's reason rather than
    // cairo's "error while writing to output stream".
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return Error{"pf::Bitmap", errno, path + ": " + std::strerror(errno)};
    struct Sink {
        std::FILE* file;
        int error = 0;
    } sink{file};
    auto write = [](void* closure, const unsigned char* data, unsigned int length) {
        auto* into = static_cast<Sink*>(closure);
        if (std::fwrite(data, 1, length, into->file) == length)
            return CAIRO_STATUS_SUCCESS;
        into->error = errno;
        return CAIRO_STATUS_WRITE_ERROR;
    };
    auto status = cairo_surface_write_to_png_stream(m_surface, write, &sink);
    if (std::fclose(file) != 0 && !sink.error)
        sink.error = errno;
    if (status == CAIRO_STATUS_SUCCESS && !sink.error)
        return std::nullopt;
    std::remove(path.c_str()); // no half picture left behind
    if (sink.error)
        return Error{"pf::Bitmap", sink.error, path + ": " + std::strerror(sink.error)};
    return cairoError(status, ("writing " + path).c_str());
}

}
