#pragma once

// Layout extents. Geometry is the platform's (points, doubles); layout keeps
// its arithmetic in double so that sums and percentages of the "auto" marker
// stay finite, and frames clamp what they store to the finite float range.

#include "platform/graphics/Geometry.h"

#include <cfloat>
#include <cmath>

// The size that an "auto" dimension holds during layout: the largest finite
// single-precision float (bit pattern 0x7F7FFFFF).
inline constexpr double kKRLayoutAuto = FLT_MAX;

// NaN becomes 0; everything else is clamped to [-FLT_MAX, FLT_MAX].
inline double krClampFinite(double value)
{
    if (std::isnan(value))
        return 0;
    return value > FLT_MAX ? FLT_MAX : value < -FLT_MAX ? -FLT_MAX : value;
}

inline bool krIsLayoutAuto(double extent) { return extent >= kKRLayoutAuto; }
