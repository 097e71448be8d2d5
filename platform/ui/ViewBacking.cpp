// Drawn content: marking it for redrawing, and keeping it whole or, for
// views that back only their visible part, that part plus a margin.

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/View.h"

#include <algorithm>
#include <cmath>

namespace pf {

namespace {

constexpr int kMaxContentPixels = 8192;
// Backed beyond what shows on each side, so a scroll of up to this many
// points redraws nothing.
constexpr double kBackingMargin = 256;
// The height of one band, in points: small enough that a row or document
// that only begins to show draws little more than what shows, large enough
// that few elements straddle two bands.
constexpr double kBandHeight = 128;

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
    if (backsVisibleAreaOnly() || backsInBands())
        return renderedVisibleContent(scale);
    int w = int(std::ceil(m_bounds.width() * scale)), h = int(std::ceil(m_bounds.height() * scale));
    if (w <= 0 || h <= 0 || w > kMaxContentPixels || h > kMaxContentPixels) {
        m_content.reset();
        m_contentInk = Rect{};
        m_drawnScale = 0;
        return BitmapRef();
    }
    if (!m_needsDisplay && m_drawnScale == scale)
        return m_content;
    auto bitmap = drawnBitmap(w, h, scale, m_bounds, false);
    if (!bitmap)
        return bitmap.error();
    // Where it drew: the compositor paints only that part on each frame,
    // and many views draw little over large bounds (a label's text) or
    // nothing of their own at all.
    std::optional<Rect> ink = bitmap.value()->inkBounds();
    keepContent(ink ? bitmap.value() : nullptr, m_bounds);
    m_contentInk = ink.value_or(Rect{});
    m_drawnScale = scale;
    return m_content;
}

ErrorOr<BitmapRef> View::drawnBitmap(int w, int h, double scale, const Rect& rect, bool clip)
{
    auto bitmap = Bitmap::create(w, h, scale);
    if (!bitmap)
        return bitmap.error();
    auto context = GraphicsContext::create(*bitmap.value());
    if (!context)
        return context.error();
    context.value()->translate(-rect.x(), -rect.y());
    if (clip)
        context.value()->clipToRect(rect);
    draw(*context.value(), rect);
    if (auto error = context.value()->status())
        return *error;
    return bitmap.value();
}

void View::keepContent(BitmapRef content, const Rect& rect)
{
    m_needsDisplay = false;
    m_content = std::move(content);
    m_contentRect = rect;
    m_contentInk = m_content ? Rect{0, 0, double(m_content->pixelWidth()), double(m_content->pixelHeight())} : Rect{};
    m_drawnScale = 0;
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
    backed.size = {w / scale, h / scale};
    auto bitmap = drawnBitmap(w, h, scale, backed, true);
    if (!bitmap)
        return bitmap.error();
    keepContent(bitmap.value(), backed);
    return m_content;
}

Rect View::contentPlacement(const Rect& drawnBounds) const
{
    if (!backsVisibleAreaOnly() && !backsInBands())
        return drawnBounds;
    return keptPlacement(drawnBounds, m_contentRect);
}

void View::drawKeptInk(GraphicsContext& context, const Bitmap& content, const Rect& drawnBounds) const
{
    Rect whole = contentPlacement(drawnBounds);
    double sx = whole.width() / content.pixelWidth(), sy = whole.height() / content.pixelHeight();
    const Rect& ink = m_contentInk;
    context.drawImagePixels(content, ink,
                            {whole.x() + ink.x() * sx, whole.y() + ink.y() * sy, ink.width() * sx, ink.height() * sy});
}

Rect View::keptPlacement(const Rect& drawnBounds, const Rect& kept) const
{
    if (m_bounds.isEmpty())
        return drawnBounds;
    // During a bounds animation the kept part stretches with the bounds.
    double sx = drawnBounds.width() / m_bounds.width(), sy = drawnBounds.height() / m_bounds.height();
    return {drawnBounds.x() + (kept.x() - m_bounds.x()) * sx, drawnBounds.y() + (kept.y() - m_bounds.y()) * sy,
            kept.width() * sx, kept.height() * sy};
}

bool View::takeDrawThrough(const Rect& drawnBounds)
{
    // During a bounds animation the content keeps stretching from its bands.
    if (!m_needsDisplay || !drawsContent() || !backsInBands() || drawnBounds != m_bounds)
        return false;
    m_bands.clear();
    keepContent(nullptr, Rect{});
    return true;
}

ErrorOr<const std::vector<View::ContentBand>*> View::renderedBands(double scale)
{
    int w = int(std::ceil(m_bounds.width() * scale - 1e-6));
    if (!drawsContent() || !backsInBands() || !(scale > 0) || w > kMaxContentPixels) {
        m_bands.clear();
        return nullptr;
    }
    bool stale = m_needsDisplay || (!m_bands.empty()
                                    && (m_bands.front().bitmap->scale() != scale || m_bands.front().bitmap->pixelWidth() != w));
    if (stale)
        m_bands.clear();
    m_needsDisplay = false;
    Rect visible = w > 0 ? visibleRect() : Rect{};
    // Bands well out of view are let go; a short scroll back finds them kept.
    Rect kept = visible.insetBy(0, -kBackingMargin);
    std::erase_if(m_bands, [&](const ContentBand& band) { return visible.isEmpty() || !band.rect.intersects(kept); });
    if (visible.isEmpty())
        return &m_bands;
    long first = long(std::floor((visible.y() - m_bounds.y()) / kBandHeight));
    long last = long(std::ceil((visible.maxY() - m_bounds.y()) / kBandHeight)) - 1;
    for (long index = std::max(0L, first); index <= last; ++index) {
        auto at = std::lower_bound(m_bands.begin(), m_bands.end(), index,
                                   [](const ContentBand& band, long i) { return band.index < i; });
        if (at != m_bands.end() && at->index == index)
            continue;
        double top = m_bounds.y() + double(index) * kBandHeight;
        double bottom = std::min(m_bounds.maxY(), top + kBandHeight);
        int h = int(std::ceil((bottom - top) * scale - 1e-6));
        if (h <= 0)
            break;
        Rect rect{m_bounds.x(), top, w / scale, h / scale};
        auto bitmap = drawnBitmap(w, h, scale, rect, true);
        if (!bitmap)
            return bitmap.error();
        m_bands.insert(at, ContentBand{index, rect, bitmap.value()});
    }
    return &m_bands;
}

}
