#pragma once

// Gaussian blur of a whole bitmap, as three box blurs (close to a true
// Gaussian, linear in the radius). Edges extend their own pixels, so the
// result keeps the size and the borders do not darken. Any thread.

#include "platform/foundation/Error.h"
#include "platform/graphics/Forward.h"

namespace pf {

// The largest radius taken, in pixels; larger ones clamp to it.
constexpr double kMaxBlurRadius = 100;

// A new bitmap of the same size and scale, blurred with a standard deviation
// of `radius` pixels; a radius of 0 or less (or not a number) copies.
ErrorOr<BitmapRef> gaussianBlur(const Bitmap& bitmap, double radius);

}
