#include "framework/data/TableViewKRTableViewCell.h"

#include "framework/data/KRTableViewCell.h"
#include "platform/controls/TableView.h"

void applyDataOutlet(pf::TableView& tableView)
{
    auto cells = tableView.visibleCells();
    if (cells.empty()) {
        tableView.reloadData();
        return;
    }
    for (const auto& cell : cells)
        if (auto own = std::dynamic_pointer_cast<KRTableViewCell>(cell))
            own->setDataItem(own->dataItem());
}
