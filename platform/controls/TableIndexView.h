#pragma once

// The strip of section index titles at a table's right edge: touching or
// dragging over a title scrolls its table to that section.
//
// Main thread only. The strip belongs to its table and links back weakly.

#include "platform/controls/Control.h"

#include <string>
#include <vector>

namespace pf {

class TableView;

class TableIndexView : public Control {
public:
    explicit TableIndexView(const std::shared_ptr<TableView>& table);

    const std::vector<std::string>& titles() const { return m_titles; }
    void setTitles(std::vector<std::string> titles);
    // The title under a y coordinate of the bounds; -1 when there are none.
    int indexAtY(double y) const;

    bool drawsContent() const override { return !m_titles.empty(); }
    void draw(GraphicsContext& context, const Rect& rect) override;
    void touchesBegan(const TouchSet& touches) override;
    void touchesMoved(const TouchSet& touches) override;

private:
    void jump(const TouchSet& touches);

    std::weak_ptr<TableView> m_table;
    std::vector<std::string> m_titles;
};

}
