#pragma once

// The model of a data grid: columns, data rows, and four drawable layers
// (head, data, frozen head, frozen data). An index out of range changes
// nothing and answers null.

#include "platform/foundation/Forward.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Forward.h"

#include <cstddef>
#include <memory>

class GridColumn;
class GridRow;

namespace pf {
class GraphicsContext;
}

class IGrid {
public:
    virtual ~IGrid() = default;
    virtual std::shared_ptr<GridRow> addDataRow(const pf::Value& data) = 0;
    virtual std::shared_ptr<GridRow> insertDataRow(const pf::Value& data, std::size_t index) = 0;
    virtual void removeDataRowAt(std::size_t index) = 0;
    virtual void removeDataRow(const std::shared_ptr<GridRow>& row) = 0;
    virtual void removeAllDataRows() = 0;
    virtual std::shared_ptr<GridColumn> addColumn() = 0;
    virtual std::shared_ptr<GridColumn> insertColumnAt(std::size_t index) = 0;
    virtual void removeColumnAt(std::size_t index) = 0;
    virtual void removeColumn(const std::shared_ptr<GridColumn>& column) = 0;
    virtual void removeAllColumns() = 0;
    virtual void updateSize() = 0;
    virtual pf::Size size() const = 0;
    virtual void drawHeadToContext(pf::GraphicsContext& context, const pf::Rect& rect) = 0;
    virtual void drawDataToContext(pf::GraphicsContext& context, const pf::Rect& rect) = 0;
    virtual void drawApposeHeadToContext(pf::GraphicsContext& context, const pf::Rect& rect) = 0;
    virtual void drawApposeDataToContext(pf::GraphicsContext& context, const pf::Rect& rect) = 0;
    virtual void applyCellViewTo(pf::View& host, const pf::Rect& rect) = 0;
};
