#include "framework/data/KRFallsContainerLayout.h"

#include "platform/foundation/Log.h"

#include <algorithm>
#include <cmath>

void KRFallsContainerLayout::reloadData()
{
    int columns = m_numberOfColumn < 1 ? 3 : m_numberOfColumn;
    if (columns > kMaxColumns) {
        pf::log("KRFallsContainerLayout: %d columns clamped to %d", columns, kMaxColumns);
        columns = kMaxColumns;
    }
    auto items = collectItems(true);
    double split = pf::sanitizedCoordinate(m_columnSplitWidth);
    double top = pf::sanitizedCoordinate(m_columnTopHeight);
    double columnWidth = (sanitizedSize().width - (columns + 1) * split) / columns;
    bool squeezed = columnWidth < 0;
    if (squeezed)
        columnWidth = 0;

    std::vector<double> heights(static_cast<size_t>(columns), 0.0);
    std::vector<pf::Rect> rects = takeItemRects();
    rects.reserve(items.size());
    for (const auto& item : items) {
        const auto& m = item.margin;
        // min_element keeps the first of equal heights: the leftmost column.
        auto shortest = std::min_element(heights.begin(), heights.end());
        auto column = static_cast<double>(shortest - heights.begin());
        double width = squeezed ? 0 : columnWidth - m.left - m.right;
        rects.emplace_back(split + column * (split + columnWidth) + m.left, *shortest + top + m.top, width,
                           item.size.height);
        *shortest = std::trunc(*shortest + item.size.height + top + m.top + m.bottom);
    }
    setItemRects(std::move(rects));
    recycleItems(std::move(items));
}
