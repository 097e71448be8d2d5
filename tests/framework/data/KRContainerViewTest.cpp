#include "framework/data/KRContainerView.h"
#include "framework/data/KRDataSource.h"
#include "framework/data/KRFlowContainerLayout.h"
#include "framework/data/KRItemViewController.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/View.h"

#include <gtest/gtest.h>

namespace {

// Hands out item controllers (dequeued first) and writes down what it hears.
struct Items : pf::Object, KRContainerViewDelegate, KRContainerLayoutDelegate {
    int count = 0;
    int nullAt = -1; // answers no controller for this index
    std::optional<std::string> identifier = "Item";
    int made = 0;
    std::string heard;

    int numberOfKRContainerLayout(KRContainerLayout&) override { return count; }
    pf::Size krContainerLayoutItemSizeAtIndex(KRContainerLayout&, int) override { return {160, 200}; }
    std::shared_ptr<KRItemViewController> krContainerViewItemViewAtIndex(KRContainerView& view, int index,
                                                                        const pf::Rect&) override
    {
        if (index == nullAt)
            return nullptr;
        auto controller = identifier ? view.dequeueReusableItemViewWithIdentifier(*identifier) : nullptr;
        if (!controller) {
            controller = std::make_shared<KRItemViewController>();
            controller->setReuseIdentifier(identifier);
            ++made;
        }
        controller->setDataItem(pf::Value(index));
        return controller;
    }
    void krContainerViewDidLayout(KRContainerView&) override { heard += "layout "; }
    void krContainerViewDidFocusIndexChanged(KRContainerView&, int i) override { heard += "focus" + std::to_string(i) + " "; }
    void krContainerViewDidContentOffsetChanged(KRContainerView&, pf::Point p) override
    {
        heard += "offset" + std::to_string(int(p.y)) + " ";
    }
};

// Rows of two 160 x 200 items in a 320 x 480 view.
struct Fixture {
    std::shared_ptr<Items> items = std::make_shared<Items>();
    std::shared_ptr<KRFlowContainerLayout> layout = std::make_shared<KRFlowContainerLayout>();
    std::shared_ptr<KRContainerView> view = std::make_shared<KRContainerView>(pf::Rect{0, 0, 320, 480});

    explicit Fixture(int count)
    {
        items->count = count;
        layout->setDelegate(items);
        view->setContainerLayout(layout);
        view->setDelegate(items);
    }
    void scrollTo(double y)
    {
        view->setContentOffset({0, y});
        pf::RunLoop::main().runUntilIdle();
    }
};

}

TEST(KRContainerView, ShowsOnlyVisibleItemsAndRecyclesTheRest)
{
    Fixture f(10);
    f.view->reloadData(); // which items show where: the container layout fuzz target
    EXPECT_EQ(f.view->contentSize(), (pf::Size{320, 1000}));
    f.scrollTo(410);
    // Rows 0 and 1 left; rows 3 and 4 reused their controllers.
    EXPECT_EQ(f.view->dumpText().substr(0, 18), "visible 4 5 6 7 8 ");
    EXPECT_EQ(f.items->made, 6);
    EXPECT_TRUE(f.view->queueItemViewControllers().empty());
    EXPECT_EQ(f.view->itemViewControllerAtIndex(9)->dataItem().intValue(), 9);
    EXPECT_EQ(f.view->focusIndex(), 6); // the first fully visible
    EXPECT_EQ(f.items->heard, "layout focus6 offset410 ");
}

TEST(KRContainerView, EdgeCases)
{
    { // An empty layout with a header and a footer: content below the bounds counts as none.
        Fixture f(0);
        auto header = pf::View::create({0, 0, 10, 40});
        auto footer = pf::View::create({0, 0, 10, 30});
        f.view->setHeaderView(header);
        f.view->setFooterView(footer);
        f.view->reloadData();
        EXPECT_EQ(header->frame(), pf::Rect(0, 0, 320, 40));
        EXPECT_EQ(footer->frame(), pf::Rect(0, 40, 320, 30));
        EXPECT_EQ(f.view->contentSize(), pf::Size());
        EXPECT_EQ(f.view->focusIndex(), KRItemIndexNone);
        f.view->setHeaderView(pf::View::create({0, 0, 10, 20}));
        EXPECT_EQ(header->superview(), nullptr);
    }
    { // A null controller leaves its item out; one without an identifier is never queued.
        Fixture f(6);
        f.items->nullAt = 1;
        f.items->identifier.reset();
        f.view->reloadData();
        f.view->reloadData();
        EXPECT_EQ(f.view->dumpText().substr(0, 18), "visible 0 2 3 4 5\n");
        EXPECT_TRUE(f.view->queueItemViewControllers().empty());
    }
    { // The focus stays while its item shows, then moves to the first fully visible.
        Fixture f(30);
        f.view->reloadData();
        f.view->setFocusIndex(3);
        f.scrollTo(50);
        EXPECT_EQ(f.view->focusIndex(), 3);
        f.scrollTo(420);
        EXPECT_EQ(f.view->focusIndex(), 6);
        f.view->setFocusIndex(99);
        EXPECT_EQ(f.view->focusIndex(), 99);
        EXPECT_EQ(f.view->contentOffset(), (pf::Point{0, 420}));
    }
}

TEST(KRContainerView, FocusScrollingCountsTheHeaderAndFramesRelayoutOnce)
{
    Fixture f(30);
    f.view->setHeaderView(pf::View::create({0, 0, 320, 60}));
    f.view->reloadData();
    f.items->heard.clear();
    f.view->setFocusIndex(5); // y 400 to 600 below a 60-point header
    EXPECT_EQ(f.view->contentOffset(), (pf::Point{0, 180}));
    f.view->relayout();
    pf::RunLoop::main().runUntilIdle();
    EXPECT_EQ(f.items->heard, "offset180 layout ");

    auto first = f.view->itemViewControllerAtIndex(4);
    f.view->setFrame({0, 0, 200, 480});
    f.view->setFrame({0, 0, 330, 480});
    pf::RunLoop::main().runUntilIdle();
    EXPECT_EQ(f.items->heard, "offset180 layout layout ");
    EXPECT_EQ(f.layout->size(), (pf::Size{330, 480}));
    EXPECT_EQ(f.view->itemViewControllerAtIndex(4), first); // relayout keeps the visible controllers
    EXPECT_EQ(f.items->made, 6);
}

// Only another item reloads the item's own source: an equal but distinct
// dictionary (a new page's row) does, the same one or an equal plain value not.
TEST(KRItemViewController, OnlyAnotherItemRebinds)
{
    struct Counted : KRDataSource {
        int reloads = 0;
        void reloadData() override { ++reloads; }
    };
    auto row = pf::Value(pf::Dictionary::create({{"title", pf::Value("a")}}));
    auto twin = pf::Value(pf::Dictionary::create({{"title", pf::Value("a")}}));
    const std::tuple<pf::Value, pf::Value, int> rows[] = {
        {row, row, 1}, {row, twin, 2}, {pf::Value(7), pf::Value(7), 1}, {pf::Value(7), pf::Value("7"), 2}};
    for (const auto& [first, second, reloads] : rows) {
        auto item = std::make_shared<KRItemViewController>();
        auto source = std::make_shared<Counted>();
        item->setDataSource(source);
        item->setDataItem(first);
        item->setDataItem(second);
        EXPECT_EQ(source->reloads, reloads);
    }
}
