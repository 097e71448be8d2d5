#include "framework/data/KRPageContainerLayout.h"

void KRPageContainerLayout::reloadData()
{
    auto items = collectItems(false);
    pf::Size area = sanitizedSize();
    std::vector<pf::Rect> rects = takeItemRects();
    rects.reserve(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        const auto& m = items[i].margin;
        rects.emplace_back(static_cast<double>(i) * area.width + m.left, m.top, area.width - m.left - m.right,
                           area.height - m.top - m.bottom);
    }
    setItemRects(std::move(rects));
    recycleItems(std::move(items));
}
