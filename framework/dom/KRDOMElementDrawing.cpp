// Drawing and touches of the base element, and the conversion of rects up
// the tree that hosts use to place layers and views.

#include "framework/dom/KRDOMElement.h"

#include "framework/dom/KRDOMImageCache.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRImage.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"

#include <algorithm>
#include <cassert>
#include <cmath>

namespace {

bool hasArea(const pf::Rect& r) { return r.width() > 0 && r.height() > 0; }

// Children are drawn in their own coordinates; an origin farther away than
// this cannot be reached through the drawing library's fixed-point numbers
// (each level adds to the offset), so such a child is not drawn.
constexpr double kMaxChildOrigin = 1 << 20;

}

void KRDOMElement::render(const pf::Rect& rect, pf::GraphicsContext& context)
{
    PF_ASSERT_MAIN_THREAD();
    if (isHidden())
        return;
    draw(rect, context);
    // Indexes and a held child: an element kind's drawing may change the tree.
    for (std::size_t i = 0; i < m_childs.size(); i++) {
        KRDOMElementRef child = m_childs[i];
        pf::Rect frame = child->frame();
        pf::Rect visible = frame.intersection(rect);
        if (!hasArea(visible) || std::abs(frame.x()) > kMaxChildOrigin || std::abs(frame.y()) > kMaxChildOrigin)
            continue;
        // The child keeps its own origin: a child partly outside this
        // element's rect is cut at the edge, not moved inside it.
        pf::Rect own{0, 0, frame.width(), frame.height()};
        pf::Rect visibleInChild = visible.offsetBy(-frame.x(), -frame.y());
        double radius = pf::clampedCornerRadius(own, child->floatValueForKey("corner-radius"));
        context.save();
        context.translate(frame.x(), frame.y());
        context.clipToRect(visibleInChild);
        if (radius > 0)
            context.clipToRoundedRect(own, radius);
        context.save();
        child->render(visibleInChild, context);
        context.restore();
        // On the clip's edge, so only the inner half of the line shows.
        // The inner half of a line as wide as the shorter side already fills
        // the element; wider lines only upset the drawing library's stroker.
        double borderWidth = std::min<double>(child->floatValueForKey("border-width"),
                                              std::min(own.width(), own.height()));
        if (auto borderColor = child->colorValueForKey("border-color"); borderColor && borderWidth > 0)
            context.strokeRoundedRect(own, radius, *borderColor, borderWidth);
        context.restore();
    }
}

void KRDOMElement::draw(const pf::Rect&, pf::GraphicsContext& context)
{
    pf::Rect area{0, 0, m_frame.width(), m_frame.height()};
    if (!hasArea(area))
        return;
    if (auto color = colorValueForKey("background-color"))
        context.fillRect(area, *color);
    KRDOMDocumentRef document = this->document();
    auto image = imageValueForKey("background-image", document ? document->bundle().get() : nullptr);
    if (!image)
        return;
    pf::BitmapRef bitmap = KRDOMImageCache::bitmapForImage(*image);
    if (!bitmap)
        return;
    // A stretchable image keeps its left and top caps and the rest of the
    // picture but one point beyond each, which is the part that stretches.
    // Caps are kept inside the picture, leaving at least that point.
    pf::Size size = bitmap->size();
    double left = std::clamp<double>(image->leftCapWidth, 0, std::max(0.0, size.width - 1));
    double top = std::clamp<double>(image->topCapHeight, 0, std::max(0.0, size.height - 1));
    pf::ImageDrawOptions options;
    options.caps.left = left;
    options.caps.top = top;
    options.caps.right = left > 0 ? std::max(0.0, size.width - left - 1) : 0;
    options.caps.bottom = top > 0 ? std::max(0.0, size.height - top - 1) : 0;
    context.drawImage(*bitmap, area, options);
}

pf::Rect KRDOMElement::convertRect(const pf::Rect& rect, const KRDOMElement* superElement) const
{
    pf::Rect r = rect;
    KRDOMElementRef holder;
    for (const KRDOMElement* e = this; e && e != superElement;) {
        pf::Rect frame = e->frame();
        r = r.offsetBy(frame.x(), frame.y()).intersection(frame);
        holder = e->parentElement();
        e = holder.get();
    }
    return r;
}

namespace {

bool insideFrame(pf::Point p, const pf::Rect& frame)
{
    return p.x >= 0 && p.y >= 0 && p.x < frame.width() && p.y < frame.height();
}

}

bool KRDOMElement::touchesBegan(pf::Point p)
{
    if (insideFrame(p, m_frame))
        setHighlighted(true);
    return false;
}

void KRDOMElement::touchesMoved(pf::Point p)
{
    if (!insideFrame(p, m_frame))
        setHighlighted(false);
}

void KRDOMElement::touchesEnded(pf::Point) { setHighlighted(false); }

void KRDOMElement::touchesCancelled(pf::Point) { setHighlighted(false); }
