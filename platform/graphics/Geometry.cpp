#include "platform/graphics/Geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace pf {

double Rect::minX() const { return size.width < 0 ? origin.x + size.width : origin.x; }
double Rect::minY() const { return size.height < 0 ? origin.y + size.height : origin.y; }
double Rect::maxX() const { return size.width < 0 ? origin.x : origin.x + size.width; }
double Rect::maxY() const { return size.height < 0 ? origin.y : origin.y + size.height; }

bool Rect::isEmpty() const
{
    return !(std::isfinite(origin.x) && std::isfinite(origin.y) && std::isfinite(size.width)
             && std::isfinite(size.height))
        || size.width == 0 || size.height == 0;
}

Rect Rect::standardized() const
{
    // Recomputing a size as max - min loses its low bits far from the
    // origin, so a scrolled view's bounds would drift; a standard rect stays as it is.
    if (size.width >= 0 && size.height >= 0)
        return *this;
    return {minX(), minY(), maxX() - minX(), maxY() - minY()};
}

bool Rect::contains(Point p) const
{
    return !isEmpty() && p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
}

bool Rect::intersects(const Rect& other) const { return !intersection(other).isEmpty(); }

Rect Rect::intersection(const Rect& other) const
{
    if (isEmpty() || other.isEmpty())
        return {};
    double x0 = std::max(minX(), other.minX());
    double y0 = std::max(minY(), other.minY());
    double x1 = std::min(maxX(), other.maxX());
    double y1 = std::min(maxY(), other.maxY());
    if (x1 <= x0 || y1 <= y0)
        return {};
    return {x0, y0, x1 - x0, y1 - y0};
}

Rect Rect::united(const Rect& other) const
{
    if (isEmpty())
        return other.isEmpty() ? Rect{} : other.standardized();
    if (other.isEmpty())
        return standardized();
    double x0 = std::min(minX(), other.minX());
    double y0 = std::min(minY(), other.minY());
    double x1 = std::max(maxX(), other.maxX());
    double y1 = std::max(maxY(), other.maxY());
    return {x0, y0, x1 - x0, y1 - y0};
}

Rect Rect::offsetBy(double dx, double dy) const { return {origin.x + dx, origin.y + dy, size.width, size.height}; }

Rect Rect::insetBy(double dx, double dy) const
{
    Rect r = standardized();
    return {r.origin.x + dx, r.origin.y + dy, r.size.width - 2 * dx, r.size.height - 2 * dy};
}

Rect Rect::inset(const EdgeInsets& i) const
{
    Rect r = standardized();
    return {r.origin.x + i.left, r.origin.y + i.top, r.size.width - i.left - i.right,
            r.size.height - i.top - i.bottom};
}

Rect Rect::integral() const
{
    if (isEmpty())
        return {};
    double x0 = std::floor(minX()), y0 = std::floor(minY());
    return {x0, y0, std::ceil(maxX()) - x0, std::ceil(maxY()) - y0};
}

std::string Rect::description() const
{
    char buffer[128];
    std::snprintf(buffer, sizeof buffer, "{{%g, %g}, {%g, %g}}", origin.x, origin.y, size.width, size.height);
    return buffer;
}

AffineTransform AffineTransform::translation(double tx, double ty) { return {1, 0, 0, 1, tx, ty}; }
AffineTransform AffineTransform::scaling(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
AffineTransform AffineTransform::rotation(double radians)
{
    double c = std::cos(radians), s = std::sin(radians);
    return {c, s, -s, c, 0, 0};
}

AffineTransform AffineTransform::concatenated(const AffineTransform& t) const
{
    return {a * t.a + b * t.c,         a * t.b + b * t.d,         c * t.a + d * t.c,
            c * t.b + d * t.d,         tx * t.a + ty * t.c + t.tx, tx * t.b + ty * t.d + t.ty};
}

// The new operation applies first, as the drawing context's translate does.
AffineTransform AffineTransform::translated(double x, double y) const { return translation(x, y).concatenated(*this); }
AffineTransform AffineTransform::scaled(double sx, double sy) const { return scaling(sx, sy).concatenated(*this); }
AffineTransform AffineTransform::rotated(double r) const { return rotation(r).concatenated(*this); }

bool AffineTransform::isInvertible() const
{
    double det = a * d - b * c;
    return std::isfinite(det) && std::fabs(det) > 1e-12;
}

AffineTransform AffineTransform::inverted() const
{
    if (!isInvertible())
        return {};
    double det = a * d - b * c;
    double ia = d / det, ib = -b / det, ic = -c / det, id = a / det;
    return {ia, ib, ic, id, -(tx * ia + ty * ic), -(tx * ib + ty * id)};
}

Point AffineTransform::apply(Point p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }

Size AffineTransform::applyToSize(Size s) const
{
    return {a * s.width + c * s.height, b * s.width + d * s.height};
}

Rect AffineTransform::applyToRect(const Rect& r) const
{
    if (r.isEmpty())
        return {};
    Point p[4] = {apply({r.minX(), r.minY()}), apply({r.maxX(), r.minY()}), apply({r.minX(), r.maxY()}),
                  apply({r.maxX(), r.maxY()})};
    double x0 = p[0].x, x1 = p[0].x, y0 = p[0].y, y1 = p[0].y;
    for (auto& q : p) {
        x0 = std::min(x0, q.x);
        x1 = std::max(x1, q.x);
        y0 = std::min(y0, q.y);
        y1 = std::max(y1, q.y);
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

double sanitizedCoordinate(double v)
{
    if (!std::isfinite(v))
        return 0;
    return std::clamp(v, -kMaxCoordinate, kMaxCoordinate);
}

Rect sanitizedRect(const Rect& r)
{
    Rect s = r.standardized();
    double x0 = sanitizedCoordinate(s.minX()), y0 = sanitizedCoordinate(s.minY());
    double x1 = sanitizedCoordinate(s.maxX()), y1 = sanitizedCoordinate(s.maxY());
    return {x0, y0, x1 - x0, y1 - y0};
}

}
