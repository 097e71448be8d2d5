#include "framework/data/KRFallsContainerLayout.h"
#include "framework/data/KRFlowContainerLayout.h"
#include "framework/data/KRPageContainerLayout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Items of given sizes and margins; without sizes the layout's itemSize is used.
struct Items : KRContainerLayoutDelegate {
    int count = 0;
    std::vector<pf::Size> sizes;
    std::vector<pf::EdgeInsets> margins;
    std::vector<std::string> calls;

    int numberOfKRContainerLayout(KRContainerLayout&) override
    {
        calls.push_back("count");
        return count;
    }
    pf::Size krContainerLayoutItemSizeAtIndex(KRContainerLayout& layout, int i) override
    {
        calls.push_back("size" + std::to_string(i));
        return sizes.empty() ? layout.itemSize() : sizes[static_cast<size_t>(i)];
    }
    pf::EdgeInsets krContainerLayoutItemMarginAtIndex(KRContainerLayout&, int i) override
    {
        calls.push_back("margin" + std::to_string(i));
        return margins.empty() ? pf::EdgeInsets{} : margins[static_cast<size_t>(i)];
    }
};

enum class Kind { Flow, Falls, Page };

struct Row {
    const char* name;
    Kind kind;
    pf::Size area;
    int count;
    pf::Size itemSize;
    std::vector<pf::Size> sizes;
    std::vector<pf::EdgeInsets> margins;
    int columns = 0;
    double split = 0;
    double top = 0;
    std::vector<pf::Rect> expected;
};

std::shared_ptr<KRContainerLayout> makeLayout(const Row& row)
{
    std::shared_ptr<KRContainerLayout> layout;
    if (row.kind == Kind::Flow)
        layout = std::make_shared<KRFlowContainerLayout>();
    else if (row.kind == Kind::Page)
        layout = std::make_shared<KRPageContainerLayout>();
    else {
        auto falls = std::make_shared<KRFallsContainerLayout>();
        falls->setNumberOfColumn(row.columns);
        falls->setColumnSplitWidth(row.split);
        falls->setColumnTopHeight(row.top);
        layout = falls;
    }
    layout->setSize(row.area);
    layout->setItemSize(row.itemSize);
    return layout;
}

std::vector<pf::EdgeInsets> same(int n, pf::EdgeInsets m) { return std::vector<pf::EdgeInsets>(static_cast<size_t>(n), m); }
std::vector<pf::Size> heights(std::initializer_list<double> hs)
{
    std::vector<pf::Size> v;
    for (double h : hs) v.push_back({50, h});
    return v;
}

// Columns of (250 - 13 * 10) / 12 = 10 points at x 10, 30, ..., 230.
std::vector<pf::Rect> twelveColumns()
{
    std::vector<pf::Rect> v;
    for (int i = 0; i < 12; ++i) v.emplace_back(10 + i * 20, 0, 10, 5);
    v.emplace_back(10, 5, 10, 5);
    return v;
}

std::string dump(const std::vector<pf::Rect>& rects)
{
    std::string s;
    for (const auto& r : rects) s += r.description() + "\n";
    return s;
}

}

TEST(KRContainerLayout, ComputesRectsPerKind)
{
    const pf::Size w320{320, 480};
    const std::vector<Row> rows = {
        {"flow wraps after three", Kind::Flow, w320, 7, {100, 50}, {}, {}, 0, 0, 0,
         {{0, 0, 100, 50}, {100, 0, 100, 50}, {200, 0, 100, 50}, {0, 50, 100, 50}, {100, 50, 100, 50},
          {200, 50, 100, 50}, {0, 100, 100, 50}}},
        {"flow side margins fit two", Kind::Flow, w320, 3, {100, 50}, {}, same(3, {0, 5, 0, 5}), 0, 0, 0,
         {{5, 0, 100, 50}, {115, 0, 100, 50}, {5, 50, 100, 50}}},
        {"flow exact fill stays on the row", Kind::Flow, w320, 3, {160, 10}, {}, {}, 0, 0, 0,
         {{0, 0, 160, 10}, {160, 0, 160, 10}, {0, 10, 160, 10}}},
        {"flow tallest sets the row", Kind::Flow, w320, 3, {}, {{200, 40}, {100, 60}, {100, 10}},
         {{0, 0, 0, 0}, {3, 0, 4, 0}, {0, 0, 0, 0}}, 0, 0, 0,
         {{0, 0, 200, 40}, {200, 3, 100, 60}, {0, 67, 100, 10}}},
        {"flow too wide takes its own row", Kind::Flow, w320, 3, {}, {{50, 10}, {400, 20}, {50, 10}}, {}, 0, 0, 0,
         {{0, 0, 50, 10}, {0, 10, 400, 20}, {0, 30, 50, 10}}},
        {"falls shortest column", Kind::Falls, w320, 3, {}, heights({100, 50, 80}), {}, 2, 10, 10,
         {{10, 10, 145, 100}, {165, 10, 145, 50}, {165, 70, 145, 80}}},
        {"falls zero columns means three, ties go left", Kind::Falls, {310, 480}, 4, {}, heights({10, 10, 10, 5}),
         {}, 0, 10, 0, {{10, 0, 90, 10}, {110, 0, 90, 10}, {210, 0, 90, 10}, {10, 10, 90, 5}}},
        {"falls margins narrow the item, bottom pushes the next", Kind::Falls, {200, 480}, 2, {},
         heights({20, 20}), same(2, {1, 4, 6, 4}), 1, 0, 0, {{4, 1, 192, 20}, {4, 28, 192, 20}}},
        {"falls heights truncate to whole numbers", Kind::Falls, {100, 480}, 2, {}, heights({10.7, 5}), {}, 1, 0, 0,
         {{0, 0, 100, 10.7}, {0, 10, 100, 5}}},
        {"falls twelve columns, the thirteenth item back in column 0", Kind::Falls, {250, 480}, 13, {1, 5}, {}, {},
         12, 10, 0, twelveColumns()},
        {"falls gaps wider than the area give width 0", Kind::Falls, {20, 480}, 2, {}, heights({5, 5}), {}, 2, 30, 0,
         {{30, 0, 0, 5}, {60, 0, 0, 5}}},
        {"page margins on every side", Kind::Page, {320, 416}, 3, {1, 1}, {}, same(3, {10, 10, 10, 10}), 0, 0, 0,
         {{10, 10, 300, 396}, {330, 10, 300, 396}, {650, 10, 300, 396}}},
        {"non-finite inputs count as 0, negatives kept", Kind::Flow, {kNaN, 100}, 2, {}, {{kInf, 5}, {-3, kNaN}},
         {{kNaN, -2, 0, 0}, {0, 0, 0, 0}}, 0, 0, 0, {{-2, 0, 0, 5}, {-2, 0, -3, 0}}},
        {"falls non-finite gaps count as 0", Kind::Falls, {100, 100}, 1, {}, heights({kInf}), {}, 1, kNaN, kInf,
         {{0, 0, 100, 0}}},
        {"no items", Kind::Page, w320, 0, {}, {}, {}, 0, 0, 0, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto layout = makeLayout(row);
        auto items = std::make_shared<Items>();
        items->count = row.count;
        items->sizes = row.sizes;
        items->margins = row.margins;
        layout->setDelegate(items);
        layout->reloadData();
        auto got = layout->itemRects();
        EXPECT_EQ(dump(got), dump(row.expected));
    }
}

TEST(KRContainerLayout, AsksCountOnceThenSizeAndMarginInOrder)
{
    const std::vector<std::pair<std::shared_ptr<KRContainerLayout>, const char*>> rows = {
        {std::make_shared<KRFlowContainerLayout>(), "count size0 margin0 size1 margin1 "},
        {std::make_shared<KRFallsContainerLayout>(), "count size0 margin0 size1 margin1 "},
        {std::make_shared<KRPageContainerLayout>(), "count margin0 margin1 "},
    };
    for (const auto& [layout, expected] : rows) {
        auto items = std::make_shared<Items>();
        items->count = 2;
        layout->setDelegate(items);
        layout->reloadData();
        std::string calls;
        for (const auto& c : items->calls) calls += c + " ";
        EXPECT_EQ(calls, expected);
    }
}

TEST(KRContainerLayout, RectAtIndexAndReleasedDelegate)
{
    auto layout = std::make_shared<KRFlowContainerLayout>();
    layout->setSize({320, 100});
    layout->setItemSize({10, 10});
    auto items = std::make_shared<Items>();
    items->count = 2;
    layout->setDelegate(items);
    layout->reloadData();
    EXPECT_EQ(layout->itemRectAtIndex(1), pf::Rect(10, 0, 10, 10));
    for (int index : {-1, 2, 2147483647})
        EXPECT_EQ(layout->itemRectAtIndex(index), pf::Rect()) << index;

    // The delegate is not retained: once it is gone a reload yields nothing.
    items.reset();
    layout->reloadData();
    EXPECT_TRUE(layout->itemRects().empty());
}

TEST(KRFallsContainerLayout, ColumnCountClampedToLimit)
{
    auto layout = std::make_shared<KRFallsContainerLayout>();
    layout->setNumberOfColumn(2147483647);
    layout->setSize({2048, 100});
    auto items = std::make_shared<Items>();
    items->count = KRFallsContainerLayout::kMaxColumns + 1;
    items->sizes.assign(static_cast<size_t>(items->count), {1, 1});
    layout->setDelegate(items);
    layout->reloadData();
    // 2048 / 1024 columns: 2 points each; the item after the last column wraps to column 0.
    EXPECT_EQ(layout->itemRects()[1023], pf::Rect(2046, 0, 2, 1));
    EXPECT_EQ(layout->itemRects()[1024], pf::Rect(0, 1, 2, 1));
}
