#include "platform/ui/ViewShadow.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GaussianBlur.h"
#include "platform/graphics/GraphicsContext.h"

#include <cmath>

namespace pf {

namespace {

// A shadow picture larger than this on a side is not made.
constexpr int kMaxShadowPixels = 8192;

}

double ViewShadow::outset(double radius)
{
    // The blur's standard deviation is half the radius; three deviations
    // hold all but a trace of it.
    return std::ceil(1.5 * std::max(radius, 0.0)) + 1;
}

BitmapRef ViewShadow::picture(Size size, double cornerRadius, const Color& color, double radius, double scale)
{
    if (m_picture && m_size == size && m_cornerRadius == cornerRadius && m_color == color && m_radius == radius &&
        m_scale == scale)
        return m_picture;
    m_picture = nullptr;
    if (!(size.width > 0 && size.height > 0 && scale > 0))
        return nullptr;
    double pad = outset(radius);
    double pw = std::ceil((size.width + 2 * pad) * scale), ph = std::ceil((size.height + 2 * pad) * scale);
    if (pw > kMaxShadowPixels || ph > kMaxShadowPixels)
        return nullptr;
    auto shape = Bitmap::create(int(pw), int(ph), scale);
    if (!shape)
        return nullptr;
    {
        auto context = GraphicsContext::create(*shape.value());
        if (!context)
            return nullptr;
        context.value()->fillRoundedRect({pad, pad, size.width, size.height}, cornerRadius, color);
    }
    auto blurred = gaussianBlur(*shape.value(), radius / 2 * scale);
    if (!blurred)
        return nullptr;
    m_picture = blurred.value();
    m_size = size;
    m_cornerRadius = cornerRadius;
    m_color = color;
    m_radius = radius;
    m_scale = scale;
    return m_picture;
}

}
