#include "tests/app/screens/AppScreenTest.h"

#include "app/screens/publish/ZMRClassifyController.h"
#include "app/screens/publish/ZMRClassifyItemControl.h"
#include "app/services/ZMRClassifyObject.h"
#include "framework/db/KRDBContext.h"
#include "framework/db/KRSqlite.h"
#include "platform/controls/PageControl.h"
#include "platform/controls/ScrollView.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <sstream>

namespace {

class CategoryChooser : public AppScreenTest {
protected:
    void SetUp() override
    {
        AppScreenTest::SetUp();
        pf::Screen::main().keyWindow()->addSubview(content);
        chooser->setContentView(content);
        chooser->setPageControl(pages);
        content->setDelegate(chooser);
    }
    // Replaces the application's category list with `count` categories "类1", "类2", ….
    void keep(int count)
    {
        auto db = shell->appDBContext();
        ASSERT_TRUE(db && db->db()->execture("DELETE FROM [ZMRClassifyObject]"));
        for (int i = 1; i <= count; ++i) {
            auto category = std::make_shared<ZMRClassifyObject>();
            category->setCid(100 + i);
            category->setTitle("类" + std::to_string(i));
            ASSERT_TRUE(db->insertObject(category));
        }
    }
    std::vector<std::shared_ptr<ZMRClassifyItemControl>> items() const
    {
        std::vector<std::shared_ptr<ZMRClassifyItemControl>> out;
        for (const auto& view : content->subviews())
            if (auto item = std::dynamic_pointer_cast<ZMRClassifyItemControl>(view))
                out.push_back(item);
        return out;
    }
    // The left edges of the buttons, "*" after a selected one; each button's
    // title and category are checked on the way.
    std::string lefts() const
    {
        std::ostringstream out;
        for (const auto& item : items()) {
            out << item->frame().x() << (item->isSelected() ? "* " : " ");
            EXPECT_TRUE(item->dataObject());
            if (item->dataObject())
                EXPECT_EQ(item->title(), item->dataObject()->title());
        }
        return out.str();
    }

    std::shared_ptr<pf::ScrollView> content = std::make_shared<pf::ScrollView>(pf::Rect{0, 100, 320, 60});
    std::shared_ptr<pf::PageControl> pages = std::make_shared<pf::PageControl>();
    std::shared_ptr<ZMRClassifyController> chooser = std::make_shared<ZMRClassifyController>();
};

}

TEST(ZMRClassifyGeometry, ColumnsAreAtLeastOneAndPagesNeedAWidth)
{
    struct Row {
        double usable, item;
        int columns;
    } columns[] = {{300, 75, 4}, {299.9, 75, 3}, {30, 75, 1}, {-20, 75, 1}, {300, 0, 1}, {300, -5, 1}, {1e300, 1e-300, 2147483647}};
    for (const Row& row : columns)
        EXPECT_EQ(ZMRClassifyController::columns(row.usable, row.item), row.columns) << row.usable << " / " << row.item;
    struct PageRow {
        double offset, width;
        int page;
    } pagesRows[] = {{0, 320, 0}, {319, 320, 0}, {640, 320, 2}, {650, 320, 2}, {640, 0, 0}, {640, -320, 0}, {1e300, 1, 2147483647}};
    for (const PageRow& row : pagesRows)
        EXPECT_EQ(ZMRClassifyController::page(row.offset, row.width), row.page) << row.offset << " / " << row.width;
}

// Slots of `itemSize` side by side, one row per page, centred within the
// strip less its padding; buttons narrowed by the item padding; pages enough
// for every category; buttons reused by index with their selection.
TEST_F(CategoryChooser, PagesHoldOneCentredRowAndRebuildsReuseButtons)
{
    chooser->setItemSize({75, 40});
    chooser->setPadding({0, 10, 0, 10});
    chooser->setItemPadding({5, 4, 5, 4});
    keep(9);
    chooser->setContext(shell);
    EXPECT_EQ(lefts(), "10 85 160 235 330 405 480 555 650 ");
    EXPECT_EQ(items().front()->frame(), pf::Rect(10, 10, 67, 30));
    EXPECT_EQ(content->contentSize(), (pf::Size{960, 0}));
    EXPECT_EQ(pages->numberOfPages(), 3);
    content->setContentOffset({640, 0});
    EXPECT_EQ(pages->currentPage(), 2);
    content->setContentOffset({0, 0});
    EXPECT_EQ(pages->currentPage(), 0);

    // Fingers toggle; a second tap switches a button off again.
    for (int index : {1, 3, 2, 2, 0})
        tap({items()[static_cast<std::size_t>(index)]->frame().midX(), 125});
    EXPECT_EQ(lefts(), "10* 85* 160 235* 330 405 480 555 650 ");
    std::string chosen;
    for (const auto& category : chooser->selectedClassifyObjects())
        chosen += category->title().value_or("?") + " ";
    EXPECT_EQ(chosen, "类1 类2 类4 ");
    // A switched-on button is filled with the accent, an other one white.
    EXPECT_TRUE(pixelIs({12, 112}, ZMRClassifyController::accentColor(), 8));
    EXPECT_TRUE(pixelIs({162, 112}, pf::Color::whiteColor(), 8));

    struct Row {
        int categories;
        pf::Rect bounds;
        const char* lefts;
        double contentWidth;
        int pages;
    } rows[] = {
        {8, {0, 100, 320, 60}, "10* 85* 160 235* 330 405 480 555 ", 640, 2},
        {5, {0, 100, 300, 60}, "37.5* 112.5* 187.5 337.5* 412.5 ", 600, 2}, // three slots centred
        {0, {0, 100, 320, 60}, "", 0, 0},
        {2, {0, 100, 50, 60}, "-12.5 37.5 ", 100, 2},    // narrower than a slot: one column
        {3, {0, 100, 0, 60}, "-37.5 -37.5 -37.5 ", 0, 3}, // no width at all
    };
    for (const Row& row : rows) {
        keep(row.categories);
        content->setFrame(row.bounds);
        chooser->reloadData();
        EXPECT_EQ(lefts(), row.lefts) << row.categories;
        EXPECT_EQ(content->contentSize().width, row.contentWidth) << row.categories;
        EXPECT_EQ(pages->numberOfPages(), row.pages) << row.categories;
        EXPECT_EQ(pages->currentPage(), 0) << row.categories;
    }
    EXPECT_TRUE(chooser->selectedClassifyObjects().empty());
}

// A title too long for one line of its button shows whole, on two lines in a
// smaller font: ink near the button's top and near its bottom, where one
// centred line leaves none.
TEST_F(CategoryChooser, ALongTitleShowsWholeOnTwoLines)
{
    chooser->setItemSize({75, 40});
    chooser->setItemPadding({6, 4, 6, 4});
    auto db = shell->appDBContext();
    ASSERT_TRUE(db && db->db()->execture("DELETE FROM [ZMRClassifyObject]"));
    auto category = std::make_shared<ZMRClassifyObject>();
    category->setCid(101);
    category->setTitle("母婴用品儿童玩具");
    ASSERT_TRUE(db->insertObject(category));
    chooser->setContext(shell);
    ASSERT_EQ(items().size(), 1u);
    pf::Rect button = items().front()->convertRectToView(items().front()->bounds(), nullptr);
    ASSERT_EQ(button.height(), 28);
    auto screen = render();
    ASSERT_TRUE(screen);
    auto inked = [&](double top, double bottom) {
        for (double y = button.minY() + top; y < button.minY() + bottom; y += 0.5)
            for (double x = button.minX() + 2; x < button.maxX() - 2; x += 0.5)
                if (!screen->pixelAtPoint({x, y}).near(pf::toRgba8(pf::Color::whiteColor()), 60))
                    return true;
        return false;
    };
    EXPECT_TRUE(inked(2, 5.5)) << "no first line at the top";
    EXPECT_TRUE(inked(22.5, 26)) << "no second line at the bottom";
}
