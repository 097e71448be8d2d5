#include "DataTestSupport.h"
#include "framework/data/KRContainerDataController.h"
#include "framework/data/KRDragLoadingView.h"
#include "framework/data/KRFlowContainerLayout.h"
#include "framework/data/KRPageContainerLayout.h"
#include "framework/data/KRPageDataController.h"
#include "framework/data/KRPageDataSource.h"
#include "framework/ui/IKRStyleSheetHolder.h"
#include "platform/controls/Label.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

namespace {

// A paged list that counts what it is asked and loads nothing by itself.
struct Pages : KRPageDataSource {
    int reloads = 0, loadMores = 0;
    void reloadData() override
    {
        ++reloads;
        KRPageDataSource::reloadData();
    }
    void loadMoreData() override
    {
        ++loadMores;
        setLoading(true);
    }
    void fill(int n)
    {
        for (int i = 0; i < n; ++i)
            dataObjects()->add(pf::Value(pf::Dictionary::create({{"i", pf::Value(i)}})));
    }
};

std::shared_ptr<KRDragLoadingView> loadingView(pf::Size size)
{
    auto view = std::make_shared<KRDragLoadingView>(pf::Rect{{0, 0}, size});
    view->setTimeLabel(std::make_shared<pf::Label>());
    return view;
}

// A style container that keeps what it is given.
struct HeldStyles : pf::Object, IKRStyleSheetHolder {
    std::shared_ptr<KRStyleSheet> sheet;
    void setStyleSheet(std::shared_ptr<KRStyleSheet> s) override { sheet = std::move(s); }
};

struct Grid {
    std::shared_ptr<Pages> source = std::make_shared<Pages>();
    std::shared_ptr<KRContainerView> view = std::make_shared<KRContainerView>(pf::Rect{0, 0, 320, 480});
    std::shared_ptr<KRContainerDataController> controller = std::make_shared<KRContainerDataController>();

    explicit Grid(int count)
    {
        source->fill(count);
        source->setHasMoreData(true);
        view->setContainerLayout(std::make_shared<KRFlowContainerLayout>());
        controller->setItemSize({100, 100});
        controller->setTopLoadingView(loadingView({320, 60}));
        controller->setBottomLoadingView(loadingView({320, 50}));
        controller->setDataSource(source);
        controller->setContainerView(view);
        controller->krDataSourceDidLoaded(*source);
    }
    void scrollTo(double y)
    {
        view->setContentOffset({0, y});
        pf::RunLoop::main().runUntilIdle();
    }
};

}

TEST(KRContainerDataController, HeaderAndFooterItemsShowOverAnEmptyList)
{
    Grid g(0);
    auto header = std::make_shared<KRItemViewController>();
    header->setItemSize({320, 40});
    auto footer = std::make_shared<KRItemViewController>();
    footer->setItemSize({320, 30});
    auto bus = std::make_shared<StyledBus>();
    auto styles = std::make_shared<HeldStyles>();
    header->setStyleContainer(styles);
    g.controller->setContext(bus);
    g.controller->setHeaderItemViewControllers(pf::Array::create({pf::Value(header)}));
    g.controller->setFooterItemViewControllers(pf::Array::create({pf::Value(footer)}));
    g.view->reloadData();
    EXPECT_EQ(g.view->dumpText(), "visible 0 1\n0 {0, 0, 320, 40}\n1 {0, 40, 320, 30}\nqueue 0\nfocus 0\n");
    EXPECT_EQ(g.controller->topLoadingView()->timeLabel()->text(), "最后更新: 刚刚");
    EXPECT_EQ(styles->sheet, bus->sheet); // the item's styles are dressed as its view loads
}

TEST(KRContainerDataController, PullReloadsOnceAsTheListSpringsBack)
{
    Grid g(30);
    struct Step {
        double y;
        bool release;
        int direct;
        int reloads;
    };
    const Step steps[] = {
        {-30, false, 0, 0}, // short of the view's height
        {-70, true, 1, 0},  // past it, released while decelerating: armed
        {-65, false, 1, 0},
        {-50, false, 0, 1}, // back below the height: one reload
        {-20, false, 0, 1},
    };
    for (const auto& s : steps) {
        g.scrollTo(s.y);
        if (s.release)
            g.controller->scrollViewDidEndDragging(*g.view, true);
        EXPECT_EQ(g.controller->topLoadingView()->direct(), s.direct) << s.y;
        EXPECT_EQ(g.source->reloads, s.reloads) << s.y;
    }
}

TEST(KRContainerDataController, LoadingViewsStopWithoutAContainerView)
{
    auto source = std::make_shared<Pages>();
    auto controller = std::make_shared<KRContainerDataController>();
    controller->setTopLoadingView(loadingView({320, 60}));
    controller->setBottomLoadingView(loadingView({320, 50}));
    controller->setDataSource(source);
    source->reloadData();
    EXPECT_TRUE(controller->topLoadingView()->isAnimating());
    source->fill(30);
    controller->krDataSourceDidLoaded(*source);
    EXPECT_FALSE(controller->topLoadingView()->isAnimating());
    EXPECT_FALSE(controller->bottomLoadingView()->isAnimating());

    // Pull tracking works once a container view comes.
    auto view = std::make_shared<KRContainerView>(pf::Rect{0, 0, 320, 480});
    view->setContainerLayout(std::make_shared<KRFlowContainerLayout>());
    controller->setItemSize({100, 100});
    controller->setContainerView(view);
    view->reloadData();
    view->setContentOffset({0, -70});
    pf::RunLoop::main().runUntilIdle();
    EXPECT_EQ(controller->topLoadingView()->direct(), 1);
}

TEST(KRContainerDataController, NotFoundViewCoversOnlyAnEmptyList)
{
    Grid g(0);
    auto notFound = std::make_shared<pf::View>();
    g.controller->setNotFoundDataView(notFound);
    g.source->reloadData();
    g.controller->krDataSourceDidLoaded(*g.source);
    EXPECT_EQ(notFound->superview(), g.view);
    EXPECT_EQ(notFound->frame(), g.view->bounds());
    g.source->fill(3);
    g.controller->krDataSourceDidLoaded(*g.source);
    EXPECT_EQ(notFound->superview(), nullptr);
}

TEST(KRContainerDataController, LoadMoreOnlyWhenScrollingEndsAndOnce)
{
    { // 30 items: 1,000 points of content, the load-more view below them.
        Grid g(30);
        EXPECT_EQ(g.controller->bottomLoadingView()->superview(), g.view);
        g.scrollTo(400);
        g.controller->scrollViewDidEndDecelerating(*g.view);
        g.scrollTo(520); // the end: scrolling alone asks nothing
        pf::RunLoop::main().runUntilIdle();
        EXPECT_EQ(g.source->loadMores, 0);
        g.controller->scrollViewDidEndDecelerating(*g.view);
        g.controller->scrollViewDidEndDragging(*g.view, false);
        pf::RunLoop::main().runUntilIdle();
        EXPECT_EQ(g.source->loadMores, 1); // the second request finds the first loading
    }
    { // Content shorter than the view, or no more data: never.
        Grid shortList(6), noMore(30);
        noMore.source->setHasMoreData(false);
        noMore.scrollTo(520);
        for (auto* g : {&shortList, &noMore})
            g->controller->scrollViewDidEndDragging(*g->view, false);
        pf::RunLoop::main().runUntilIdle();
        EXPECT_EQ(shortList.controller->bottomLoadingView()->superview(), nullptr);
        EXPECT_EQ(shortList.source->loadMores + noMore.source->loadMores, 0);
    }
}

namespace {

struct PageHeard : pf::Object, KRPageDataControllerDelegate {
    bool showLeft = true;
    std::string events;
    bool krPageDataControllerShowLeftLoading(KRPageDataController&) override { return showLeft; }
    void krPageDataControllerLeftAction(KRPageDataController&) override { events += "left "; }
    void krPageDataControllerRightAction(KRPageDataController&) override { events += "right "; }
};

struct Strip {
    std::shared_ptr<Pages> source = std::make_shared<Pages>();
    std::shared_ptr<KRContainerView> view = std::make_shared<KRContainerView>(pf::Rect{0, 0, 320, 416});
    std::shared_ptr<KRPageDataController> controller = std::make_shared<KRPageDataController>();
    std::shared_ptr<PageHeard> heard = std::make_shared<PageHeard>();

    Strip(int count, bool showLeft)
    {
        heard->showLeft = showLeft;
        source->fill(count);
        view->setContainerLayout(std::make_shared<KRPageContainerLayout>());
        controller->setLeftLoadingView(loadingView({60, 10}));
        controller->setRightLoadingView(loadingView({60, 10}));
        controller->setDelegate(heard);
        controller->setDataSource(source);
        controller->setContainerView(view);
        controller->krDataSourceDidLoaded(*source);
    }
    void scrollTo(double x)
    {
        view->setContentOffset({x, 0});
        pf::RunLoop::main().runUntilIdle();
    }
};

}

TEST(KRPageDataController, PullsPastEitherEndActOnceAfterRelease)
{
    Strip s(3, true);
    EXPECT_EQ(s.view->contentSize().width, 960);
    EXPECT_EQ(s.controller->rightLoadingView()->frame(), pf::Rect(960, 0, 60, 416));
    s.scrollTo(-70);
    EXPECT_EQ(s.controller->leftLoadingView()->direct(), 2);
    s.controller->scrollViewDidEndDragging(*s.view, true);
    for (double x : {-65.0, -50.0, -30.0, -70.0, -40.0})
        s.scrollTo(x);
    EXPECT_EQ(s.heard->events, "left ");
    s.scrollTo(640 + 70);
    s.controller->scrollViewDidEndDragging(*s.view, false); // no deceleration: nothing armed
    s.scrollTo(640 + 30);
    s.scrollTo(640 + 75);
    s.controller->scrollViewDidEndDragging(*s.view, true);
    s.scrollTo(640 + 59);
    EXPECT_EQ(s.heard->events, "left right ");

    Strip hidden(3, false), empty(0, true);
    EXPECT_EQ(hidden.controller->leftLoadingView()->superview(), nullptr);
    hidden.scrollTo(-70);
    hidden.controller->scrollViewDidEndDragging(*hidden.view, true);
    hidden.scrollTo(-20);
    EXPECT_EQ(hidden.heard->events, "");
    EXPECT_EQ(empty.controller->rightLoadingView()->superview(), nullptr);
}
