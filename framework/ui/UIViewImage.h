#pragma once

// Snapshots and blurred copies of pictures.
//
// Main queue only (the snapshot draws the view tree).

#include "platform/graphics/Forward.h"
#include "platform/ui/Forward.h"

// The view and its subviews drawn into a new picture of the bounds size at
// scale 1; null for a view without area or when drawing fails.
pf::ImageRef toImage(pf::View& view);

// A blurred copy of the picture's first frame, of the same pixel size and
// scale: a radius of 0 or less (or not a number) gives a plain copy, one
// above 100 pixels blurs as 100. Null only when no bitmap can be made.
pf::ImageRef imageByGaussianBlurRadius(const pf::Image& image, double radius);
