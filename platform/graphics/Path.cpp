#include "platform/graphics/Path.h"

#include <algorithm>
#include <cmath>

namespace pf {

namespace {
// Control-point distance for a quarter circle drawn with one cubic curve.
constexpr double kKappa = 0.5522847498;
}

double clampedCornerRadius(const Rect& r, double radius)
{
    if (!std::isfinite(radius) || radius <= 0 || r.isEmpty())
        return 0;
    Rect s = r.standardized();
    return std::min(radius, std::min(s.width(), s.height()) / 2);
}

Path Path::rect(const Rect& r)
{
    Path p;
    p.addRect(r);
    return p;
}

Path Path::roundedRect(const Rect& r, double radius)
{
    Path p;
    p.addRoundedRect(r, radius);
    return p;
}

Path Path::ellipse(const Rect& r)
{
    Path p;
    p.addEllipse(r);
    return p;
}

void Path::moveTo(Point p) { m_elements.push_back({Op::Move, {p}}); }
void Path::lineTo(Point p) { m_elements.push_back({Op::Line, {p}}); }
void Path::curveTo(Point c1, Point c2, Point e) { m_elements.push_back({Op::Curve, {c1, c2, e}}); }
void Path::close() { m_elements.push_back({Op::Close, {}}); }

void Path::addRect(const Rect& r)
{
    Rect s = r.standardized();
    moveTo({s.minX(), s.minY()});
    lineTo({s.maxX(), s.minY()});
    lineTo({s.maxX(), s.maxY()});
    lineTo({s.minX(), s.maxY()});
    close();
}

void Path::addRoundedRect(const Rect& r, double radius)
{
    double rad = clampedCornerRadius(r, radius);
    if (rad <= 0) {
        addRect(r);
        return;
    }
    Rect s = r.standardized();
    double x0 = s.minX(), y0 = s.minY(), x1 = s.maxX(), y1 = s.maxY(), k = rad * (1 - kKappa);
    moveTo({x0 + rad, y0});
    lineTo({x1 - rad, y0});
    curveTo({x1 - k, y0}, {x1, y0 + k}, {x1, y0 + rad});
    lineTo({x1, y1 - rad});
    curveTo({x1, y1 - k}, {x1 - k, y1}, {x1 - rad, y1});
    lineTo({x0 + rad, y1});
    curveTo({x0 + k, y1}, {x0, y1 - k}, {x0, y1 - rad});
    lineTo({x0, y0 + rad});
    curveTo({x0, y0 + k}, {x0 + k, y0}, {x0 + rad, y0});
    close();
}

void Path::addEllipse(const Rect& r)
{
    Rect s = r.standardized();
    double cx = s.midX(), cy = s.midY(), rx = s.width() / 2, ry = s.height() / 2;
    double kx = rx * kKappa, ky = ry * kKappa;
    moveTo({cx + rx, cy});
    curveTo({cx + rx, cy + ky}, {cx + kx, cy + ry}, {cx, cy + ry});
    curveTo({cx - kx, cy + ry}, {cx - rx, cy + ky}, {cx - rx, cy});
    curveTo({cx - rx, cy - ky}, {cx - kx, cy - ry}, {cx, cy - ry});
    curveTo({cx + kx, cy - ry}, {cx + rx, cy - ky}, {cx + rx, cy});
    close();
}

Rect Path::bounds() const
{
    bool any = false;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    for (auto& e : m_elements) {
        int count = e.op == Op::Curve ? 3 : e.op == Op::Close ? 0 : 1;
        for (int i = 0; i < count; ++i) {
            Point p = e.points[i];
            if (!any) {
                x0 = x1 = p.x;
                y0 = y1 = p.y;
                any = true;
            }
            x0 = std::min(x0, p.x);
            y0 = std::min(y0, p.y);
            x1 = std::max(x1, p.x);
            y1 = std::max(y1, p.y);
        }
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

}
