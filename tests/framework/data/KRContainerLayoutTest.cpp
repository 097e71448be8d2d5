#include "framework/data/KRFallsContainerLayout.h"
#include "framework/data/KRFlowContainerLayout.h"
#include "framework/data/KRPageContainerLayout.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// `count` items of given sizes (else the layout's itemSize) and margins (else none).
struct Items : KRContainerLayoutDelegate {
    int count = 0;
    std::vector<pf::Size> sizes;
    std::vector<pf::EdgeInsets> margins;

    int numberOfKRContainerLayout(KRContainerLayout&) override { return count; }
    pf::Size krContainerLayoutItemSizeAtIndex(KRContainerLayout& layout, int i) override
    {
        return sizes.empty() ? layout.itemSize() : sizes[size_t(i)];
    }
    pf::EdgeInsets krContainerLayoutItemMarginAtIndex(KRContainerLayout&, int i) override
    {
        return margins.empty() ? pf::EdgeInsets{} : margins[size_t(i)];
    }
};

std::shared_ptr<KRContainerLayout> flow() { return std::make_shared<KRFlowContainerLayout>(); }
std::shared_ptr<KRContainerLayout> page() { return std::make_shared<KRPageContainerLayout>(); }
std::shared_ptr<KRContainerLayout> falls(int columns, double split, double top)
{
    auto layout = std::make_shared<KRFallsContainerLayout>();
    layout->setNumberOfColumn(columns);
    layout->setColumnSplitWidth(split);
    layout->setColumnTopHeight(top);
    return layout;
}

std::vector<pf::EdgeInsets> same(int n, pf::EdgeInsets m) { return std::vector<pf::EdgeInsets>(size_t(n), m); }
std::vector<pf::Size> heights(std::initializer_list<double> hs)
{
    std::vector<pf::Size> v;
    for (double h : hs) v.push_back({50, h});
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
    struct Row {
        const char* name;
        std::shared_ptr<KRContainerLayout> layout;
        pf::Size area;
        int count;
        pf::Size itemSize;
        std::vector<pf::Size> sizes;
        std::vector<pf::EdgeInsets> margins;
        std::vector<pf::Rect> expected;
    };
    const std::vector<Row> rows = {
        {"flow wraps after three", flow(), w320, 7, {100, 50}, {}, {},
         {{0, 0, 100, 50}, {100, 0, 100, 50}, {200, 0, 100, 50}, {0, 50, 100, 50}, {100, 50, 100, 50},
          {200, 50, 100, 50}, {0, 100, 100, 50}}},
        {"flow tallest sets the row", flow(), w320, 3, {}, {{200, 40}, {100, 60}, {100, 10}},
         {{0, 0, 0, 0}, {3, 0, 4, 0}, {0, 0, 0, 0}}, {{0, 0, 200, 40}, {200, 3, 100, 60}, {0, 67, 100, 10}}},
        {"flow too wide takes its own row", flow(), w320, 3, {}, {{50, 10}, {400, 20}, {50, 10}}, {},
         {{0, 0, 50, 10}, {0, 10, 400, 20}, {0, 30, 50, 10}}},
        {"falls shortest column", falls(2, 10, 10), w320, 3, {}, heights({100, 50, 80}), {},
         {{10, 10, 145, 100}, {165, 10, 145, 50}, {165, 70, 145, 80}}},
        {"falls zero columns means three, ties go left", falls(0, 10, 0), {310, 480}, 4, {}, heights({10, 10, 10, 5}),
         {}, {{10, 0, 90, 10}, {110, 0, 90, 10}, {210, 0, 90, 10}, {10, 10, 90, 5}}},
        {"falls margins narrow the item, bottom pushes the next", falls(1, 0, 0), {200, 480}, 2, {},
         heights({20, 20}), same(2, {1, 4, 6, 4}), {{4, 1, 192, 20}, {4, 28, 192, 20}}},
        {"falls gaps wider than the area give width 0", falls(2, 30, 0), {20, 480}, 2, {}, heights({5, 5}), {},
         {{30, 0, 0, 5}, {60, 0, 0, 5}}},
        {"page margins on every side", page(), {320, 416}, 3, {1, 1}, {}, same(3, {10, 10, 10, 10}),
         {{10, 10, 300, 396}, {330, 10, 300, 396}, {650, 10, 300, 396}}},
        {"non-finite inputs count as 0, negatives kept", flow(), {kNaN, 100}, 2, {}, {{kInf, 5}, {-3, kNaN}},
         {{kNaN, -2, 0, 0}, {0, 0, 0, 0}}, {{-2, 0, 0, 5}, {-2, 0, -3, 0}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto items = std::make_shared<Items>();
        items->count = row.count;
        items->sizes = row.sizes;
        items->margins = row.margins;
        row.layout->setSize(row.area);
        row.layout->setItemSize(row.itemSize);
        row.layout->setDelegate(items);
        row.layout->reloadData();
        EXPECT_EQ(dump(row.layout->itemRects()), dump(row.expected));
    }
}

TEST(KRContainerLayout, RectAtIndexAndReleasedDelegate)
{
    auto layout = flow();
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
    auto layout = falls(2147483647, 0, 0);
    layout->setSize({2048, 100});
    auto items = std::make_shared<Items>();
    items->count = KRFallsContainerLayout::kMaxColumns + 1;
    items->sizes.assign(size_t(items->count), {1, 1});
    layout->setDelegate(items);
    layout->reloadData();
    // 2048 / 1024 columns: 2 points each; the item after the last column wraps to column 0.
    EXPECT_EQ(layout->itemRects()[1023], pf::Rect(2046, 0, 2, 1));
    EXPECT_EQ(layout->itemRects()[1024], pf::Rect(0, 1, 2, 1));
}
