#pragma once

// A grid column: its own cell properties describe the head cell, and it makes
// the data cells of its column with the data-cell settings below.

#include "framework/ui/IGridCell.h"
#include "platform/foundation/Forward.h"

class GridCell;

class IGridColumn : public virtual IGridCell {
public:
    // A new data cell whose title is the column's key path template filled
    // in from `data`.
    virtual std::shared_ptr<GridCell> newDataCell(const pf::Value& data) const = 0;

    virtual bool isHidden() const = 0;
    virtual void setHidden(bool hidden) = 0;
    virtual pf::LineBreakMode dataLineBreakMode() const = 0;
    virtual void setDataLineBreakMode(pf::LineBreakMode mode) = 0;
    virtual pf::TextAlignment dataTitleAlignment() const = 0;
    virtual void setDataTitleAlignment(pf::TextAlignment alignment) = 0;
    virtual double dataTitleMinFontSize() const = 0;
    virtual void setDataTitleMinFontSize(double size) = 0;
    virtual const pf::EdgeInsets& dataPadding() const = 0;
    virtual void setDataPadding(const pf::EdgeInsets& padding) = 0;
};
