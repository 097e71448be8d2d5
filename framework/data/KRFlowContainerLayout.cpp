#include "framework/data/KRFlowContainerLayout.h"

#include <algorithm>

void KRFlowContainerLayout::reloadData()
{
    auto items = collectItems(true);
    double width = sanitizedSize().width;
    std::vector<pf::Rect> rects = takeItemRects();
    rects.reserve(items.size());
    double x = 0, y = 0, rowHeight = 0;
    for (const auto& item : items) {
        const auto& m = item.margin;
        double w = item.size.width, h = item.size.height;
        if (x + w + m.left + m.right > width) {
            x = 0;
            y += rowHeight;
            rowHeight = 0;
        }
        rects.emplace_back(x + m.left, y + m.top, w, h);
        rowHeight = std::max(rowHeight, h + m.top + m.bottom);
        x += w + m.left + m.right;
    }
    setItemRects(std::move(rects));
    recycleItems(std::move(items));
}
