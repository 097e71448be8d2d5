#include "framework/ui/GridColumn.h"

#include "framework/ui/Grid.h"
#include "framework/ui/GridExpression.h"

std::shared_ptr<GridCell> GridColumn::newDataCell(const pf::Value& data) const
{
    auto cell = std::make_shared<GridCell>();
    cell->setGrid(grid());
    cell->setKeyPath(keyPath());
    if (!keyPath().empty())
        cell->setTitle(expressionOfData(keyPath(), data));
    cell->setWidth(width());
    cell->setClipsLastTitle(isClipsLastTitle());
    cell->setTitleAlignment(m_dataTitleAlignment);
    cell->setLineBreakMode(m_dataLineBreakMode);
    cell->setPadding(m_dataPadding);
    cell->setTitleMinFontSize(m_dataTitleMinFontSize);
    return cell;
}
