#pragma once

// A data row of the grid: one cell per column of the grid when it was made.

#include "framework/ui/IGridDraw.h"
#include "platform/graphics/Color.h"
#include "platform/ui/Forward.h"

#include <memory>
#include <optional>
#include <vector>

class GridCell;

class IGridRow : public virtual IGridDraw {
public:
    // Frames each cell's view over its box in the row `rect` and adds it to `host`.
    virtual void applyCellViewTo(pf::View& host, const pf::Rect& rect) = 0;
    // Sets `height` to what the tallest cell text needs.
    virtual void heightToFit() = 0;
    virtual double height() const = 0;
    virtual void setHeight(double height) = 0;
    virtual const std::vector<std::shared_ptr<GridCell>>& cells() const = 0;
    virtual const std::optional<pf::Color>& backgroundColor() const = 0;
    virtual void setBackgroundColor(std::optional<pf::Color> color) = 0;
    // The colour of the split line below this row.
    virtual const std::optional<pf::Color>& nextSplitColor() const = 0;
    virtual void setNextSplitColor(std::optional<pf::Color> color) = 0;
};
