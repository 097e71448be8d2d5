#pragma once

// One section of a fixed table (settings-like screens), made in an interface
// file: ready-made cells, a title, a header view and a footer view. `height`
// is free for the owner; the table source does not read it. Main queue only.

#include "platform/controls/TableViewCell.h"
#include "platform/foundation/Collections.h"

#include <optional>
#include <string>
#include <vector>

class KRTableSection : public pf::Object {
public:
    double height() const { return m_height; }
    void setHeight(double height) { m_height = height; }
    const std::optional<std::string>& title() const { return m_title; }
    void setTitle(std::optional<std::string> title) { m_title = std::move(title); }
    const pf::ViewRef& view() const { return m_view; }
    void setView(pf::ViewRef view) { m_view = std::move(view); }
    const pf::ViewRef& footerView() const { return m_footerView; }
    void setFooterView(pf::ViewRef view) { m_footerView = std::move(view); }
    // Entries that are no table cells are left out.
    pf::ArrayRef cellsArray() const;
    void setCellsArray(pf::ArrayRef cells);
    const std::vector<std::shared_ptr<pf::TableViewCell>>& cells() const { return m_cells; }

private:
    double m_height = 0;
    std::optional<std::string> m_title;
    pf::ViewRef m_view;
    std::vector<std::shared_ptr<pf::TableViewCell>> m_cells;
    pf::ViewRef m_footerView;
};
