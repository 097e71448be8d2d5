#pragma once

// The data source and delegate of a table whose rows are fixed cells laid
// out in an interface file. Every answer comes straight from the section at
// the asked index: its cells (the same object every time, never dequeued),
// their frame heights, its title, its header and footer views and their
// frame heights (0 without a view, whatever the section's `height`). An
// index past the sections or rows answers nothing. Main queue only.

#include "framework/data/KRTableSection.h"
#include "platform/controls/TableView.h"

class KRTableSource : public pf::Object, public pf::TableViewDataSource, public pf::TableViewDelegate {
public:
    // Entries that are no KRTableSection are left out.
    pf::ArrayRef sectionsArray() const;
    void setSectionsArray(pf::ArrayRef sections);
    const std::vector<std::shared_ptr<KRTableSection>>& sections() const { return m_sections; }

    int numberOfSectionsInTableView(pf::TableView&) override { return static_cast<int>(m_sections.size()); }
    int tableViewNumberOfRowsInSection(pf::TableView&, int section) override;
    std::shared_ptr<pf::TableViewCell> tableViewCellForRowAtIndexPath(pf::TableView&, const pf::IndexPath& path) override;
    std::optional<std::string> tableViewTitleForHeaderInSection(pf::TableView&, int section) override;
    std::optional<double> tableViewHeightForRowAtIndexPath(pf::TableView&, const pf::IndexPath& path) override;
    pf::ViewRef tableViewViewForHeaderInSection(pf::TableView&, int section) override;
    std::optional<double> tableViewHeightForHeaderInSection(pf::TableView&, int section) override;
    pf::ViewRef tableViewViewForFooterInSection(pf::TableView&, int section) override;
    std::optional<double> tableViewHeightForFooterInSection(pf::TableView&, int section) override;

private:
    KRTableSection* section(int index) const;
    std::shared_ptr<pf::TableViewCell> cell(const pf::IndexPath& path) const;

    std::vector<std::shared_ptr<KRTableSection>> m_sections;
};
