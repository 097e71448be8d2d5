#pragma once

// The data grid model. It owns its columns and rows (they point back
// weakly), so make it with std::make_shared. Rows take their cells from the
// columns present when they are made: configure columns first, then add
// rows; set row heights (heightToFit or setHeight) before updateSize.
//
// Every layer lays out from the rectangle's origin. The frozen ("appose")
// layers repeat the first `apposeLeftColumns` columns from the left edge and
// the last `apposeRightColumns` against the right edge; a negative count
// freezes every column. Rows with fewer cells than columns draw the cells
// they have.
//
// Main queue only.

#include "framework/ui/IGrid.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"

#include <optional>
#include <vector>

namespace pf {
class DateFormatter;
}

class Grid : public IGrid, public std::enable_shared_from_this<Grid> {
public:
    static pf::Color defaultSplitColor() { return pf::Color::white(0.5); }

    std::shared_ptr<GridRow> addDataRow(const pf::Value& data) override;
    std::shared_ptr<GridRow> insertDataRow(const pf::Value& data, std::size_t index) override;
    void removeDataRowAt(std::size_t index) override;
    void removeDataRow(const std::shared_ptr<GridRow>& row) override;
    void removeAllDataRows() override;
    // A column with this grid's column title font and colour as they are now.
    std::shared_ptr<GridColumn> addColumn() override;
    // A column with neither: its head draws in the data font and colour.
    std::shared_ptr<GridColumn> insertColumnAt(std::size_t index) override;
    void removeColumnAt(std::size_t index) override;
    void removeColumn(const std::shared_ptr<GridColumn>& column) override;
    void removeAllColumns() override;

    // Size of the data area (the head is not part of it): columns and their
    // split lines by the counted rows and theirs.
    void updateSize() override;
    pf::Size size() const override { return m_size; }

    void drawHeadToContext(pf::GraphicsContext& context, const pf::Rect& rect) override;
    void drawDataToContext(pf::GraphicsContext& context, const pf::Rect& rect) override;
    void drawApposeHeadToContext(pf::GraphicsContext& context, const pf::Rect& rect) override;
    void drawApposeDataToContext(pf::GraphicsContext& context, const pf::Rect& rect) override;
    void applyCellViewTo(pf::View& host, const pf::Rect& rect) override;

    const std::vector<std::shared_ptr<GridColumn>>& columns() const { return m_columns; }
    const std::vector<std::shared_ptr<GridRow>>& dataRows() const { return m_dataRows; }
    // The rows counted, drawn and given views: the first `limitRows` when above 0.
    std::size_t countedRows() const;
    // The split width as drawing uses it: 0 when not positive.
    double effectiveSplitWidth() const;

    double columnSplitWidth() const { return m_columnSplitWidth; }
    void setColumnSplitWidth(double width) { m_columnSplitWidth = width; }
    const std::optional<pf::Color>& columnSplitColor() const { return m_columnSplitColor; }
    void setColumnSplitColor(std::optional<pf::Color> color) { m_columnSplitColor = color; }
    double rowSplitHeight() const { return m_rowSplitHeight; }
    void setRowSplitHeight(double height) { m_rowSplitHeight = height; }
    const std::optional<pf::Color>& rowSplitColor() const { return m_rowSplitColor; }
    void setRowSplitColor(std::optional<pf::Color> color) { m_rowSplitColor = color; }
    const std::optional<pf::Color>& columnBackgroundColor() const { return m_columnBackgroundColor; }
    void setColumnBackgroundColor(std::optional<pf::Color> color) { m_columnBackgroundColor = color; }
    const std::optional<pf::Color>& columnTitleColor() const { return m_columnTitleColor; }
    void setColumnTitleColor(std::optional<pf::Color> color) { m_columnTitleColor = color; }
    const std::optional<pf::Font>& columnTitleFont() const { return m_columnTitleFont; }
    void setColumnTitleFont(std::optional<pf::Font> font) { m_columnTitleFont = std::move(font); }
    const std::optional<pf::Color>& dataTitleColor() const { return m_dataTitleColor; }
    void setDataTitleColor(std::optional<pf::Color> color) { m_dataTitleColor = color; }
    const std::optional<pf::Font>& dataTitleFont() const { return m_dataTitleFont; }
    void setDataTitleFont(std::optional<pf::Font> font) { m_dataTitleFont = std::move(font); }
    const std::optional<pf::Color>& dataSplitColor() const { return m_dataSplitColor; }
    void setDataSplitColor(std::optional<pf::Color> color) { m_dataSplitColor = color; }
    int limitRows() const { return m_limitRows; }
    void setLimitRows(int limit) { m_limitRows = limit; }
    int apposeLeftColumns() const { return m_apposeLeftColumns; }
    void setApposeLeftColumns(int count) { m_apposeLeftColumns = count; }
    int apposeRightColumns() const { return m_apposeRightColumns; }
    void setApposeRightColumns(int count) { m_apposeRightColumns = count; }
    // A "yyyy-MM-dd" formatter for those who fill the grid, made on first
    // use and the same one afterwards; the grid's drawing does not use it.
    const std::shared_ptr<pf::DateFormatter>& dateFormatter();

private:
    struct Block {
        std::size_t first = 0;
        std::size_t end = 0;
        double width = 0;
    };
    Block apposeBlock(int count, bool left) const;
    void drawApposeDataBlock(pf::GraphicsContext& context, const pf::Rect& rect, const Block& block, double x);
    pf::Color rowSplitColorOrDefault() const;

    std::vector<std::shared_ptr<GridColumn>> m_columns;
    std::vector<std::shared_ptr<GridRow>> m_dataRows;
    double m_columnSplitWidth = 0;
    std::optional<pf::Color> m_columnSplitColor;
    double m_rowSplitHeight = 0;
    std::optional<pf::Color> m_rowSplitColor;
    std::optional<pf::Color> m_columnBackgroundColor;
    std::optional<pf::Color> m_columnTitleColor;
    std::optional<pf::Font> m_columnTitleFont;
    std::optional<pf::Color> m_dataTitleColor;
    std::optional<pf::Font> m_dataTitleFont;
    std::optional<pf::Color> m_dataSplitColor;
    int m_limitRows = 0;
    int m_apposeLeftColumns = 0;
    int m_apposeRightColumns = 0;
    pf::Size m_size;
    std::shared_ptr<pf::DateFormatter> m_dateFormatter;
};
