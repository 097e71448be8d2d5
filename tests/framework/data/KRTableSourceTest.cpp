#include "TableRig.h"

#include "framework/data/KRTableSource.h"

#include <gtest/gtest.h>

namespace {

// Sections from a file: rows as high as their cells, the same cell object
// every time, a header as high as its view (0 without one, whatever the
// section's height), the footer view under the last row.
TEST(KRTableSource, FileMadeSectionsLayOutTheirCells)
{
    pf::HeadlessHost host;
    auto owner = std::make_shared<pf::ViewController>("StaticSections", &testBundle());
    auto window = pf::Window::create();
    window->setRootViewController(owner);
    window->makeKeyAndVisible();
    auto table = std::dynamic_pointer_cast<pf::TableView>(owner->view()->subviews().at(0));
    ASSERT_TRUE(table);
    auto source = std::dynamic_pointer_cast<KRTableSource>(table->dataSourceObject());
    ASSERT_TRUE(source && source->sections().size() == 2);
    auto frame = host.render();
    ASSERT_TRUE(frame);
    auto colour = [&](double y) { // on the screen, at the table's middle
        auto px = frame.value()->pixelAtPoint(table->convertPointToView({160, y}, nullptr));
        return px.b > 150 && px.r < 100 ? 'b' : px.r > 150 && px.b < 100 ? 'r' : '.';
    };
    struct Row {
        pf::IndexPath path;
        double y, height;
    } rows[] = {{{0, 0}, 30, 44}, {{0, 1}, 74, 60}, {{1, 0}, 144, 44}};
    for (const Row& row : rows) {
        EXPECT_EQ(table->rectForRowAtIndexPath(row.path).y(), row.y) << row.path.section << row.path.row;
        EXPECT_EQ(table->rectForRowAtIndexPath(row.path).height(), row.height) << row.path.section << row.path.row;
        EXPECT_EQ(table->cellForRowAtIndexPath(row.path), source->sections()[row.path.section]->cells()[row.path.row]);
    }
    EXPECT_EQ((std::string{colour(15), colour(139), colour(150)}), "br.");
    EXPECT_EQ(source->tableViewNumberOfRowsInSection(*table, 2), 0);
    EXPECT_FALSE(source->tableViewCellForRowAtIndexPath(*table, {0, 2}));
    window->setHidden(true);
    pf::Screen::main().removeAllWindows();
}

}
