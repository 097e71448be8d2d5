#pragma once

// Plain geometry values of the markup engine. Extents are doubles so that
// sums and percentages of the layout's "auto" marker stay finite; whatever
// is stored in a frame is clamped to the finite single-precision range.

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

struct KRPoint {
    double x = 0;
    double y = 0;
    bool operator==(const KRPoint&) const = default;
};

struct KRSize {
    double width = 0;
    double height = 0;
    bool operator==(const KRSize&) const = default;
};

struct KRRect {
    KRPoint origin;
    KRSize size;
    double x() const { return origin.x; }
    double y() const { return origin.y; }
    double width() const { return size.width; }
    double height() const { return size.height; }
    bool operator==(const KRRect&) const = default;
};

inline KRRect krRect(double x, double y, double width, double height) { return {{x, y}, {width, height}}; }

struct KREdgeInsets {
    double top = 0;
    double left = 0;
    double bottom = 0;
    double right = 0;
    bool operator==(const KREdgeInsets&) const = default;
};
