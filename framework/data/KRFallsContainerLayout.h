#pragma once

// A waterfall of equal-width columns: each item goes to the shortest column
// (the leftmost on a tie) and keeps its own height; the item size's width is
// not used. `columnSplitWidth` is the gap left of the first column, between
// columns and right of the last; `columnTopHeight` the gap above every item.
// Column heights are whole numbers (truncated toward zero).
//
// Any column count works: below 1 means 3, above kMaxColumns is clamped to it
// with a log line. Gaps wider than the area give columns (and items without
// margins) width 0.

#include "framework/data/KRContainerLayout.h"

class KRFallsContainerLayout : public KRContainerLayout {
public:
    static constexpr int kMaxColumns = 1024;

    void reloadData() override;

    int numberOfColumn() const { return m_numberOfColumn; }
    void setNumberOfColumn(int n) { m_numberOfColumn = n; }
    double columnSplitWidth() const { return m_columnSplitWidth; }
    void setColumnSplitWidth(double width) { m_columnSplitWidth = width; }
    double columnTopHeight() const { return m_columnTopHeight; }
    void setColumnTopHeight(double height) { m_columnTopHeight = height; }

private:
    int m_numberOfColumn = 0;
    double m_columnSplitWidth = 0;
    double m_columnTopHeight = 0;
};
