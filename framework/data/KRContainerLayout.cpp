#include "framework/data/KRContainerLayout.h"

#include <algorithm>
#include <cmath>

namespace {

// pf::sanitizedCoordinate, inlined: it runs six times per item on every relayout.
inline double clean(double v)
{
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

pf::Size KRContainerLayout::sanitizedSize() const
{
    return sanitized(m_size);
}

std::vector<KRContainerLayout::Item> KRContainerLayout::collectItems(bool withSizes)
{
    std::vector<Item> items;
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
