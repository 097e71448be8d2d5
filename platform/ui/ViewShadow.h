#pragma once

// The blurred picture of a view's shadow, kept between renders and made
// again only when the view's size, corner radius, shadow colour or radius,
// or the scale changes. Owned by its view; main thread only.

#include "platform/foundation/Error.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Forward.h"
#include "platform/graphics/Geometry.h"

namespace pf {

class ViewShadow {
public:
    // How far the blur reaches past the casting shape, in points.
    static double outset(double radius);

    // The shadow of a rounded rect of `size` with its outset on every side,
    // in `color`; null for a shape without area or a picture
    // too large to make.
    BitmapRef picture(Size size, double cornerRadius, const Color& color, double radius, double scale);

private:
    BitmapRef m_picture;
    Size m_size;
    double m_cornerRadius = 0;
    Color m_color;
    double m_radius = 0;
    double m_scale = 0;
};

}
