#pragma once

// An ARGB32 image in memory (premultiplied alpha, as the drawing library
// keeps it) with the scale of its pixels per point. What the compositor
// renders into, what image decoding produces and what a drawing context
// draws from.
//
// A bitmap may be made on any thread and handed to another; it is drawn into
// or read by one thread at a time.

#include "platform/foundation/Error.h"
#include "platform/foundation/Forward.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

typedef struct _cairo_surface cairo_surface_t;

namespace pf {

class Bitmap {
public:
    // A transparent bitmap; an error for sizes the drawing library refuses.
    static ErrorOr<BitmapRef> create(int pixelWidth, int pixelHeight, double scale = 1);
    // From rows of straight-alpha RGBA bytes, as image decoders give them;
    // `stride` is the byte distance between rows (at least 4 * width).
    static ErrorOr<BitmapRef> fromRgba(int pixelWidth, int pixelHeight, const std::uint8_t* rgba, std::size_t stride,
                                       double scale = 1);
    // Takes over one reference to an image surface of the ARGB32 format.
    static ErrorOr<BitmapRef> adopt(cairo_surface_t* surface, double scale = 1);
    ~Bitmap();

    int pixelWidth() const { return m_width; }
    int pixelHeight() const { return m_height; }
    double scale() const { return m_scale; }
    // The size in points.
    Size size() const { return {m_width / m_scale, m_height / m_scale}; }
    cairo_surface_t* surface() const { return m_surface; }

    // Straight-alpha components of one pixel; transparent outside the bitmap.
    Rgba8 pixel(int x, int y) const;
    // The pixel under a point, in points.
    Rgba8 pixelAtPoint(Point p) const;
    void fill(const Color& color);
    // The smallest rectangle of whole pixels that holds every pixel that is
    // not fully transparent; nothing when all of them are.
    std::optional<Rect> inkBounds() const;
    std::optional<Error> writePng(const std::string& path) const;
    // The same PNG file as bytes.
    ErrorOr<Bytes> pngData() const;

    Bitmap(const Bitmap&) = delete;
    Bitmap& operator=(const Bitmap&) = delete;

private:
    Bitmap(cairo_surface_t* surface, double scale);
    cairo_surface_t* m_surface = nullptr;
    int m_width = 0;
    int m_height = 0;
    double m_scale = 1;
};

}
