#include "framework/data/KRContainerView.h"
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
    pf::Size size{100, 100};
    int nullAt = -1;                         // answers no controller for this index
    std::optional<std::string> identifier = "Item";
    int made = 0;
    std::string heard;

    int numberOfKRContainerLayout(KRContainerLayout&) override { return count; }
    pf::Size krContainerLayoutItemSizeAtIndex(KRContainerLayout&, int) override { return size; }
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
    void settle() { pf::RunLoop::main().runUntilIdle(); }
};

}

TEST(KRContainerView, ShowsOnlyVisibleItemsAndRecyclesTheRest)
{
    Fixture f(20); // rows of three 100-point items
    f.view->reloadData();
    EXPECT_EQ(f.view->dumpText(), "visible 0 1 2 3 4 5 6 7 8 9 10 11 12 13 14\n"
                                  "0 {0, 0, 100, 100}\n1 {100, 0, 100, 100}\n2 {200, 0, 100, 100}\n"
                                  "3 {0, 100, 100, 100}\n4 {100, 100, 100, 100}\n5 {200, 100, 100, 100}\n"
                                  "6 {0, 200, 100, 100}\n7 {100, 200, 100, 100}\n8 {200, 200, 100, 100}\n"
                                  "9 {0, 300, 100, 100}\n10 {100, 300, 100, 100}\n11 {200, 300, 100, 100}\n"
                                  "12 {0, 400, 100, 100}\n13 {100, 400, 100, 100}\n14 {200, 400, 100, 100}\n"
                                  "queue 0\nfocus 0\n");
    EXPECT_EQ(f.view->contentSize(), pf::Size(0, 700));
    f.view->setContentOffset({0, 210});
    f.settle();
    // Rows 0 and 1 left; rows 5 and 6 (items 15 to 19) reused their controllers.
    EXPECT_EQ(f.items->made, 15);
    EXPECT_EQ(f.view->itemViewControllers().size(), 14u);
    EXPECT_EQ(f.view->queueItemViewControllers().size(), 1u);
    EXPECT_EQ(f.view->itemViewControllerAtIndex(0), nullptr);
    ASSERT_NE(f.view->itemViewControllerAtIndex(19), nullptr);
    EXPECT_EQ(f.view->itemViewControllerAtIndex(19)->dataItem().intValue(), 19);
    EXPECT_EQ(f.view->focusIndex(), 9); // first fully visible
    EXPECT_EQ(f.items->heard, "layout focus9 offset210 ");
    for (const auto& queued : f.view->queueItemViewControllers())
        EXPECT_EQ(queued->index(), KRItemIndexNone);
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
        f.view->setHeaderView(header);
        EXPECT_EQ(header->superview(), f.view);
        f.view->setHeaderView(pf::View::create({0, 0, 10, 20}));
        EXPECT_EQ(header->superview(), nullptr);
    }
    { // A null controller leaves its item out; a controller without an identifier is never queued.
        Fixture f(6);
        f.items->nullAt = 1;
        f.items->identifier.reset();
        f.view->reloadData();
        EXPECT_EQ(f.view->dumpText().substr(0, 18), "visible 0 2 3 4 5\n");
        f.view->reloadData();
        EXPECT_TRUE(f.view->queueItemViewControllers().empty());
        EXPECT_EQ(f.view->dequeueReusableItemViewWithIdentifier("Item"), nullptr);
    }
    { // The focus stays while its item shows, then moves to the first fully visible.
        Fixture f(30);
        f.view->reloadData();
        f.view->setFocusIndex(3);
        f.settle();
        f.view->setContentOffset({0, 50});
        f.settle();
        EXPECT_EQ(f.view->focusIndex(), 3);
        f.view->setContentOffset({0, 250});
        f.settle();
        EXPECT_EQ(f.view->focusIndex(), 9);
        f.view->setFocusIndex(99);
        EXPECT_EQ(f.view->focusIndex(), 99);
        EXPECT_EQ(f.view->contentOffset(), pf::Point(0, 250));
    }
}

TEST(KRContainerView, FocusScrollingCountsTheHeader)
{
    Fixture f(30);
    f.view->setHeaderView(pf::View::create({0, 0, 320, 60}));
    f.view->reloadData();
    f.view->setFocusIndex(14); // row 4: y 400 to 500 below a 60-point header
    EXPECT_EQ(f.view->contentOffset(), pf::Point(0, 80));
    f.settle();
    EXPECT_TRUE(f.view->isFullVisableRect(f.view->itemRectAtIndex(14).offsetBy(0, 60)));
}

TEST(KRContainerView, OneDidLayoutPerPassAndRelayoutKeepsItems)
{
    Fixture f(3);
    f.view->reloadData();
    f.view->relayout();
    f.view->reloadData();
    f.settle();
    EXPECT_EQ(f.items->heard, "layout ");
    f.view->setFrame({0, 0, 200, 480});
    f.view->setFrame({0, 0, 210, 480});
    f.settle();
    EXPECT_EQ(f.items->heard, "layout layout ");
    EXPECT_EQ(f.layout->size(), pf::Size(210, 480));
    EXPECT_EQ(f.view->itemViewControllerAtIndex(2)->view()->frame(), pf::Rect(0, 100, 100, 100));

    // Relayout keeps the visible controllers and their items.
    auto first = f.view->itemViewControllerAtIndex(0);
    auto item = std::make_shared<pf::Dictionary>();
    first->setDataItem(pf::Value(item));
    f.view->relayout();
    EXPECT_EQ(f.view->itemViewControllerAtIndex(0), first);
    EXPECT_EQ(first->dataItem().dictionary(), item);
    EXPECT_EQ(f.items->made, 3);
}
