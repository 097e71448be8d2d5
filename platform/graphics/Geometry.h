#pragma once

// Plain geometry values in points. Rects follow the screen's convention:
// the origin is the top-left corner and y grows downwards. A rect with a
// negative size is standardized by the functions that read its edges.

#include "platform/graphics/Forward.h"

#include <string>

namespace pf {

struct Point {
    double x = 0;
    double y = 0;

    bool operator==(const Point&) const = default;
    Point operator+(const Point& o) const { return {x + o.x, y + o.y}; }
    Point operator-(const Point& o) const { return {x - o.x, y - o.y}; }
};

struct Size {
    double width = 0;
    double height = 0;

    bool operator==(const Size&) const = default;
    bool isEmpty() const { return !(width > 0 && height > 0); }
};

struct EdgeInsets {
    double top = 0;
    double left = 0;
    double bottom = 0;
    double right = 0;

    bool operator==(const EdgeInsets&) const = default;
};

struct Rect {
    Point origin;
    Size size;

    Rect() = default;
    Rect(Point o, Size s) : origin(o), size(s) {}
    Rect(double x, double y, double w, double h) : origin{x, y}, size{w, h} {}

    bool operator==(const Rect&) const = default;

    double x() const { return origin.x; }
    double y() const { return origin.y; }
    double width() const { return size.width; }
    double height() const { return size.height; }
    double minX() const;
    double minY() const;
    double maxX() const;
    double maxY() const;
    double midX() const { return (minX() + maxX()) / 2; }
    double midY() const { return (minY() + maxY()) / 2; }
    Point center() const { return {midX(), midY()}; }

    // No area, or not a finite rect.
    bool isEmpty() const;
    Rect standardized() const;
    // Edges include the minimum and exclude the maximum.
    bool contains(Point p) const;
    bool intersects(const Rect& other) const;
    // An empty rect of zero size when the two do not overlap.
    Rect intersection(const Rect& other) const;
    // Empty rects are ignored, so the union of nothing is the empty rect.
    Rect united(const Rect& other) const;
    Rect offsetBy(double dx, double dy) const;
    Rect insetBy(double dx, double dy) const;
    Rect inset(const EdgeInsets& insets) const;
    // The smallest rect with whole-number edges that contains this one.
    Rect integral() const;

    std::string description() const;
};

// A 2D affine transform, applied to a point as
//   x' = a*x + c*y + tx,  y' = b*x + d*y + ty.
struct AffineTransform {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static AffineTransform identity() { return {}; }
    static AffineTransform translation(double tx, double ty);
    static AffineTransform scaling(double sx, double sy);
    static AffineTransform rotation(double radians);

    bool operator==(const AffineTransform&) const = default;
    bool isIdentity() const { return *this == AffineTransform{}; }

    // `this` first, then `then`.
    AffineTransform concatenated(const AffineTransform& then) const;
    AffineTransform translated(double tx, double ty) const;
    AffineTransform scaled(double sx, double sy) const;
    AffineTransform rotated(double radians) const;
    // The identity when the transform cannot be inverted.
    AffineTransform inverted() const;
    bool isInvertible() const;

    Point apply(Point p) const;
    Size applyToSize(Size s) const; // the linear part only, signs kept
    // The bounding box of the transformed rect.
    Rect applyToRect(const Rect& r) const;
};

// The largest coordinate handed to the drawing library, whose fixed-point
// numbers overflow far beyond any screen.
constexpr double kMaxCoordinate = 1 << 22;
// Non-finite values become 0; the rest is clamped to ±kMaxCoordinate.
double sanitizedCoordinate(double v);
Rect sanitizedRect(const Rect& r);

}
