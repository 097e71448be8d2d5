#pragma once

// A data row of the grid: one data cell per column the grid had when the row
// was made. Drawing walks the cells left to right with a split line before
// each box and one after the last; a cell with `colSpan` k takes in at most
// the k − 1 cells after it, which are then not drawn on their own.
//
// Main queue only. `grid` is weak: the grid owns its rows.

#include "framework/ui/GridDraw.h"
#include "framework/ui/IGridRow.h"
#include "platform/foundation/Forward.h"

#include <cstddef>

class Grid;

class GridRow : public GridDraw, public virtual IGridRow {
public:
    GridRow(Grid& grid, const pf::Value& data);

    // One drawn box: the cell at `index` and the cells it takes in, from `x`
    // (after the split line before it) for `width` points.
    struct CellBox {
        std::size_t index;
        double x;
        double width;
        bool operator==(const CellBox&) const = default;
    };
    // The boxes of the cells [first, end) (cut to the cells the row has), laid
    // out from 0 with split width `split`; spans stay inside the range.
    // `endX` is where the closing split line goes.
    std::vector<CellBox> cellBoxes(std::size_t first, std::size_t end, double split, double& endX) const;

    void drawToContext(pf::GraphicsContext& context, const pf::Rect& rect) override;
    void applyCellViewTo(pf::View& host, const pf::Rect& rect) override;
    void heightToFit() override;

    double height() const override { return m_height; }
    void setHeight(double height) override { m_height = height; }
    const std::vector<std::shared_ptr<GridCell>>& cells() const override { return m_cells; }
    const std::optional<pf::Color>& backgroundColor() const override { return m_backgroundColor; }
    void setBackgroundColor(std::optional<pf::Color> color) override { m_backgroundColor = color; }
    const std::optional<pf::Color>& nextSplitColor() const override { return m_nextSplitColor; }
    void setNextSplitColor(std::optional<pf::Color> color) override { m_nextSplitColor = color; }
    std::shared_ptr<Grid> grid() const { return m_grid.lock(); }

private:
    double splitWidth() const;

    std::vector<std::shared_ptr<GridCell>> m_cells;
    double m_height = 0;
    std::weak_ptr<Grid> m_grid;
    std::optional<pf::Color> m_backgroundColor;
    std::optional<pf::Color> m_nextSplitColor;
};
