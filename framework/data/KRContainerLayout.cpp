#include "framework/data/KRContainerLayout.h"

#include <algorithm>
#include <cmath>

namespace {

// pf::sanitizedCoordinate, inlined: it runs six times per item on every
// relayout, so the common in-range value takes one comparison (which NaN fails).
inline double clean(double v)
{
    if (std::fabs(v) <= pf::kMaxCoordinate)
        return v;
    return std::isfinite(v) ? std::clamp(v, -pf::kMaxCoordinate, pf::kMaxCoordinate) : 0;
}

pf::Size sanitized(pf::Size s)
{
    return {clean(s.width), clean(s.height)};
}

pf::EdgeInsets sanitized(pf::EdgeInsets m)
{
    return {clean(m.top), clean(m.left), clean(m.bottom), clean(m.right)};
}

}

pf::Size KRContainerLayoutDelegate::krContainerLayoutItemSizeAtIndex(KRContainerLayout& layout, int)
{
    return layout.itemSize();
}

pf::EdgeInsets KRContainerLayoutDelegate::krContainerLayoutItemMarginAtIndex(KRContainerLayout&, int)
{
    return {};
}

pf::Rect KRContainerLayout::itemRectAtIndex(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_itemRects.size())
        return {};
    return m_itemRects[static_cast<size_t>(index)];
}

std::vector<pf::Rect> KRContainerLayout::takeItemRects()
{
    std::vector<pf::Rect> rects = std::move(m_itemRects);
    m_itemRects.clear();
    rects.clear();
    return rects;
}

pf::Size KRContainerLayout::sanitizedSize() const
{
    return sanitized(m_size);
}

std::vector<KRContainerLayout::Item> KRContainerLayout::collectItems(bool withSizes)
{
    // Taken out of the layout, so a reload the delegate starts while it
    // answers fills a buffer of its own.
    std::vector<Item> items = std::move(m_itemScratch);
    items.clear();
    // The delegate may release this layout's last owner while it answers.
    auto self = weak_from_this().lock();
    auto delegate = m_delegate.lock();
    if (!delegate)
        return items;
    int count = delegate->numberOfKRContainerLayout(*this);
    if (count <= 0)
        return items;
    items.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        Item& item = items[static_cast<size_t>(i)];
        if (withSizes)
            item.size = sanitized(delegate->krContainerLayoutItemSizeAtIndex(*this, i));
        item.margin = sanitized(delegate->krContainerLayoutItemMarginAtIndex(*this, i));
    }
    return items;
}
