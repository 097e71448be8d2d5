#pragma once

// A view that shows a grid: one of its layers, or a scroller of such views.

#include <memory>

class Grid;

class IGridView {
public:
    virtual ~IGridView() = default;
    virtual std::shared_ptr<Grid> grid() const = 0;
    virtual void setGrid(std::shared_ptr<Grid> grid) = 0;
};
