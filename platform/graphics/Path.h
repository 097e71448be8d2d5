#pragma once

// A vector path in points: lines, cubic curves and closed subpaths, built
// up and then filled or stroked by a drawing context.

#include "platform/graphics/Geometry.h"

#include <vector>

namespace pf {

class Path {
public:
    enum class Op : std::uint8_t { Move, Line, Curve, Close };
    struct Element {
        Op op;
        Point points[3];
    };

    static Path rect(const Rect& r);
    // The radius is clamped to half the shorter side.
    static Path roundedRect(const Rect& r, double radius);
    static Path ellipse(const Rect& r);

    void moveTo(Point p);
    void lineTo(Point p);
    void curveTo(Point control1, Point control2, Point end);
    void close();
    void addRect(const Rect& r);
    void addRoundedRect(const Rect& r, double radius);
    void addEllipse(const Rect& r);

    bool isEmpty() const { return m_elements.empty(); }
    const std::vector<Element>& elements() const { return m_elements; }
    // The box of all points, control points included.
    Rect bounds() const;

private:
    std::vector<Element> m_elements;
};

// The largest radius a rounded rect of this size can take.
double clampedCornerRadius(const Rect& r, double radius);

}
