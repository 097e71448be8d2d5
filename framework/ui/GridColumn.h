#pragma once

// A column of the data grid. Its cell properties describe the head cell; the
// data-cell settings are handed to every data cell it makes.
//
// Main queue only. `grid` is weak: the grid owns its columns.

#include "framework/ui/GridCell.h"
#include "framework/ui/IGridColumn.h"

class GridColumn : public GridCell, public virtual IGridColumn {
public:
    // A cell with this column's grid, key path, width, clipping and data
    // settings, titled by the key path template filled in from `data`.
    // Colours, fonts, background, span and view stay unset: data cells take
    // the grid's font and colour when drawn.
    std::shared_ptr<GridCell> newDataCell(const pf::Value& data) const override;

    bool isHidden() const override { return m_hidden; }
    void setHidden(bool hidden) override { m_hidden = hidden; }
    pf::LineBreakMode dataLineBreakMode() const override { return m_dataLineBreakMode; }
    void setDataLineBreakMode(pf::LineBreakMode mode) override { m_dataLineBreakMode = mode; }
    pf::TextAlignment dataTitleAlignment() const override { return m_dataTitleAlignment; }
    void setDataTitleAlignment(pf::TextAlignment alignment) override { m_dataTitleAlignment = alignment; }
    double dataTitleMinFontSize() const override { return m_dataTitleMinFontSize; }
    void setDataTitleMinFontSize(double size) override { m_dataTitleMinFontSize = size; }
    const pf::EdgeInsets& dataPadding() const override { return m_dataPadding; }
    void setDataPadding(const pf::EdgeInsets& padding) override { m_dataPadding = padding; }

private:
    // Stored for the grid's users; drawing and sizing do not read it.
    bool m_hidden = false;
    pf::LineBreakMode m_dataLineBreakMode = pf::LineBreakMode::TruncateTail;
    pf::TextAlignment m_dataTitleAlignment = pf::TextAlignment::Center;
    double m_dataTitleMinFontSize = 7;
    pf::EdgeInsets m_dataPadding;
};
