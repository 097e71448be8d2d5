// Drawn content: marking it for redrawing, and keeping it whole or, for
// views that back only their visible part, that part plus a margin.

#include "platform/graphics/Bitmap.h"
#include "platform/ui/View.h"

#include <algorithm>
#include <cmath>

namespace pf {

namespace {

constexpr int kMaxContentPixels = 8192;
// Backed beyond what shows on each side, so a scroll of up to this many
// points redraws nothing.
constexpr double kBackingMargin = 256;

// `r` grown to whole pixels of `scale`, counted from `origin`, so the
// backing lands on the screen's pixel grid as a full backing would.
Rect pixelAligned(const Rect& r, Point origin, double scale)
{
    double x0 = std::floor((r.x() - origin.x) * scale) / scale, y0 = std::floor((r.y() - origin.y) * scale) / scale;
    double x1 = std::ceil((r.maxX() - origin.x) * scale) / scale, y1 = std::ceil((r.maxY() - origin.y) * scale) / scale;
    return {origin.x + x0, origin.y + y0, x1 - x0, y1 - y0};
}

// One axis of the backing: the visible span [v0, v1) grown by the margin,
// kept within [b0, b1) and at most `limit` long, the visible span first.
void backAxis(double v0, double v1, double b0, double b1, double limit, double& lo, double& hi)
{
    lo = std::max(b0, v0 - kBackingMargin);
    hi = std::min(b1, v1 + kBackingMargin);
    if (hi - lo <= limit)
        return;
    double spare = std::max(0.0, limit - (v1 - v0));
    lo = std::max(lo, v0 - spare / 2);
    hi = std::min(hi, lo + limit);
}

bool holds(const Rect& outer, const Rect& inner)
{
    return inner.x() >= outer.x() && inner.y() >= outer.y() && inner.maxX() <= outer.maxX()
        && inner.maxY() <= outer.maxY();
}

}

void View::draw(GraphicsContext&, const Rect&) {}

void View::setNeedsDisplay()
{
    m_needsDisplay = true;
    invalidateVisual();
}

ErrorOr<BitmapRef> View::renderedContent(double scale)
{
    if (!drawsContent())
        return BitmapRef();
    if (backsVisibleAreaOnly())
        return renderedVisibleContent(scale);
    int w = int(std::ceil(m_bounds.width() * scale)), h = int(std::ceil(m_bounds.height() * scale));
    if (w <= 0 || h <= 0 || w > kMaxContentPixels || h > kMaxContentPixels) {
        m_content.reset();
        return BitmapRef();
    }
    if (!m_needsDisplay && m_content && m_content->pixelWidth() == w && m_content->pixelHeight() == h
        && m_content->scale() == scale)
        return m_content;
    auto bitmap = Bitmap::create(w, h, scale);
    if (!bitmap)
        return bitmap.error();
    auto context = GraphicsContext::create(*bitmap.value());
    if (!context)
        return context.error();
    context.value()->translate(-m_bounds.x(), -m_bounds.y());
    draw(*context.value(), m_bounds);
    if (auto error = context.value()->status())
        return *error;
    m_needsDisplay = false;
    m_content = bitmap.value();
    m_contentRect = m_bounds;
    return m_content;
}

Rect View::visibleRect() const
{
    Rect visible = m_bounds;
    ViewRef holder;
    for (const View* ancestor = superview().get(); ancestor && !visible.isEmpty();) {
        auto parent = ancestor->superview();
        // The root clips whatever it holds: it is the window (or stands for one).
        if (ancestor->clipsToBounds() || !parent)
            visible = visible.intersection(convertRectFromView(ancestor->bounds(), ancestor));
        holder = parent;
        ancestor = holder.get();
    }
    return visible.isEmpty() ? Rect{} : visible;
}

ErrorOr<BitmapRef> View::renderedVisibleContent(double scale)
{
    Rect visible = visibleRect();
    if (visible.isEmpty() || !(scale > 0))
        return BitmapRef();
    if (!m_needsDisplay && m_content && m_content->scale() == scale && holds(m_contentRect, visible))
        return m_content;
    double limit = kMaxContentPixels / scale;
    double x0, x1, y0, y1;
    backAxis(visible.x(), visible.maxX(), m_bounds.x(), m_bounds.maxX(), limit, x0, x1);
    backAxis(visible.y(), visible.maxY(), m_bounds.y(), m_bounds.maxY(), limit, y0, y1);
    Rect backed = pixelAligned({x0, y0, x1 - x0, y1 - y0}, m_bounds.origin, scale).intersection(m_bounds);
    int w = std::min(kMaxContentPixels, int(std::ceil(backed.width() * scale - 1e-6)));
    int h = std::min(kMaxContentPixels, int(std::ceil(backed.height() * scale - 1e-6)));
    if (w <= 0 || h <= 0)
        return BitmapRef();
    auto bitmap = Bitmap::create(w, h, scale);
    if (!bitmap)
        return bitmap.error();
    auto context = GraphicsContext::create(*bitmap.value());
    if (!context)
        return context.error();
    backed.size = {w / scale, h / scale};
    context.value()->translate(-backed.x(), -backed.y());
    context.value()->clipToRect(backed);
    draw(*context.value(), backed);
    if (auto error = context.value()->status())
        return *error;
    m_needsDisplay = false;
    m_content = bitmap.value();
    m_contentRect = backed;
    return m_content;
}

Rect View::contentPlacement(const Rect& drawnBounds) const
{
    if (!backsVisibleAreaOnly() || m_bounds.isEmpty())
        return drawnBounds;
    // During a bounds animation the kept part stretches with the bounds.
    double sx = drawnBounds.width() / m_bounds.width(), sy = drawnBounds.height() / m_bounds.height();
    return {drawnBounds.x() + (m_contentRect.x() - m_bounds.x()) * sx,
            drawnBounds.y() + (m_contentRect.y() - m_bounds.y()) * sy, m_contentRect.width() * sx,
            m_contentRect.height() * sy};
}

}
