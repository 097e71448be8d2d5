#include "TableRig.h"

#include "framework/data/KRTabPageDataController.h"
#include "platform/controls/Button.h"
#include "platform/ui/PerformRequest.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class TabHeard : public pf::Object, public KRTabDataControllerDelegate {
public:
    std::string events;
    void krTabDataControllerDidSelectedChanged(KRTabDataController&, unsigned index) override { events += std::to_string(index); }
};

// Three tabs of buttons 100 wide, views and page sources; look() reads the
// enabled buttons, shown views and loading sources.
struct Tabs {
    std::vector<std::shared_ptr<pf::Button>> buttons;
    std::vector<pf::ViewRef> views;
    std::vector<std::shared_ptr<KRPageDataSource>> sources;
    std::shared_ptr<TabHeard> heard = std::make_shared<TabHeard>();

    void attach(KRTabDataController& tabs)
    {
        auto b = pf::Array::create(), v = pf::Array::create(), c = pf::Array::create();
        for (int i = 0; i < 3; ++i) {
            buttons.push_back(std::make_shared<pf::Button>(pf::Rect(i * 100, 0, 100, 40)));
            views.push_back(pf::View::create());
            sources.push_back(std::make_shared<KRPageDataSource>());
            auto controller = std::make_shared<KRDataController>();
            controller->setDataSource(sources.back());
            b->add(pf::Value(buttons.back()));
            v->add(pf::Value(views.back()));
            c->add(pf::Value(controller));
        }
        tabs.setTabButtons(b);
        tabs.setContentViews(v);
        tabs.setControllers(c);
        tabs.setDelegate(heard);
    }
    std::string look() const
    {
        std::string out;
        for (std::size_t i = 0; i < 3; ++i)
            out += std::string(buttons[i]->isEnabled() ? "e" : "-") + (views[i]->isHidden() ? "-" : "v") +
                   (sources[i]->isLoading() ? "L" : "-");
        return out + " " + heard->events;
    }
};

// Buttons select their content; the selected one again or a stranger does nothing.
TEST(KRTabDataController, ButtonsSelectContent)
{
    Tabs t;
    auto tabs = std::make_shared<KRTabDataController>();
    t.attach(*tabs);
    auto bus = std::make_shared<FakeBus>();
    tabs->setContext(bus);
    EXPECT_EQ(t.sources[2]->context(), bus);
    for (const auto& sender : {pf::ObjectRef(t.buttons[1]), pf::ObjectRef(t.buttons[1]), pf::ObjectRef(pf::View::create())})
        tabs->doTabAction(sender);
    EXPECT_EQ(t.look(), "e---v-e-- 1");
}

// Pages load as they come into view and the highlight follows the scroll,
// kept in sight in a scrolling strip; a finished drag selects its page
// without moving it; a page view of no width or an offset that is no
// number is not tracked.
TEST(KRTabPageDataController, PagesLoadAndHighlightFollows)
{
    pf::HeadlessHost host;
    Tabs t;
    auto tabs = std::make_shared<KRTabPageDataController>();
    t.attach(*tabs);
    auto strip = std::make_shared<KRScrollView>(pf::Rect(0, 0, 200, 40));
    strip->setContentSize({300, 40});
    auto highlight = pf::View::create(pf::Rect(20, 36, 60, 4));
    for (const auto& b : t.buttons)
        strip->addSubview(b);
    strip->addSubview(highlight);
    auto page = std::make_shared<KRScrollView>(pf::Rect(0, 40, 320, 400));
    page->setContentSize({960, 400});
    tabs->setPageContentView(page);
    tabs->setTabBackgroundView(highlight);
    tabs->setLeftSpaceWidth(10);
    tabs->setRightSpaceWidth(10);
    struct Row {
        const char* step;
        std::function<void()> run;
        const char* look;
        double highlightCentre, pageX, stripX;
    } rows[] = {
        {"480", [&] { page->setContentOffset({480, 0}); }, "ev-evLevL ", 200, 480, 40},
        {"-20", [&] { page->setContentOffset({-20, 0}); }, "evLevLevL ", 50, -20, 10},
        {"650, drag ends", [&] { page->setContentOffset({650, 0}); tabs->scrollViewDidEndDragging(*page, false); },
         "evLevL-vL 2", 250, 650, 90},
        {"no width", [&] { page->setFrame({0, 40, 0, 400}); tabs->scrollViewDidContentOffsetChanged(*page, {100, 0}); },
         "evLevL-vL 2", 250, 650, 90},
        {"no number", [&] { tabs->scrollViewDidContentOffsetChanged(*page, {NAN, 0}); }, "evLevL-vL 2", 250, 650, 90},
        {"button 0", [&] { page->setFrame({0, 40, 320, 400}); tabs->doTabAction(t.buttons[0]); }, "-vLevLevL 20", 50, 0, 10},
    };
    for (const Row& row : rows) {
        row.run();
        pf::RunLoop::main().runUntilIdle();
        host.advance(0.5);
        EXPECT_EQ(t.look(), row.look) << row.step;
        EXPECT_EQ(highlight->frame().midX(), row.highlightCentre) << row.step;
        EXPECT_EQ(page->contentOffset().x, row.pageX) << row.step;
        EXPECT_EQ(strip->contentOffset().x, row.stripX) << row.step;
    }
    EXPECT_TRUE(tabs->tabButtonAtIndex(5) == t.buttons[2] && tabs->tabButtonAtIndex(-1) == t.buttons[2]);
    std::size_t pending = pf::pendingPerformRequestCount();
    tabs->reloadDataController(std::make_shared<KRDataController>()); // no source: nothing to reload
    EXPECT_EQ(pf::pendingPerformRequestCount(), pending);
}

}
