#pragma once

// Re-binds a table's visible cells after their rows' objects changed in
// place: each visible KRTableViewCell gets its own item again (outlets,
// images and layout, its data source left alone). A table showing no cell
// reloads instead. Main queue only.

namespace pf {
class TableView;
}

void applyDataOutlet(pf::TableView& tableView);
