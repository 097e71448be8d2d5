#include "ControlsTestSupport.h"

#include "platform/controls/ScrollView.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace pf::test {
namespace {

// Sees every offset, as subclasses that report scrolling rely on.
class RecordingScrollView final : public ScrollView {
public:
    using ScrollView::ScrollView;
    using ScrollView::setContentOffset;
    void setContentOffset(Point offset) override
    {
        offsets.push_back(offset);
        ScrollView::setContentOffset(offset);
    }
    std::vector<Point> offsets;
};

class Events final : public ScrollViewDelegate {
public:
    void scrollViewDidScroll(ScrollView&) override { ++scrolls; }
    void scrollViewDidEndDragging(ScrollView&, bool decelerate) override { log += decelerate ? "endDrag+ " : "endDrag- "; }
    void scrollViewDidEndDecelerating(ScrollView&) override { log += "endDecel "; }
    void scrollViewDidEndScrollingAnimation(ScrollView&) override { log += "endAnim "; }
    ViewRef viewForZoomingInScrollView(ScrollView&) override { return zoomed; }
    void scrollViewDidZoom(ScrollView& scroll) override { zooms.push_back(scroll.zoomScale()); }
    int scrolls = 0;
    std::vector<double> zooms;
    std::string log;
    ViewRef zoomed;
};

class ScrollMotion : public HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        scroll = std::make_shared<RecordingScrollView>(Rect(0, 0, 320, 400));
        scroll->setContentSize({320, 2000});
        events = std::make_shared<Events>();
        scroll->setDelegate(events);
        window->addSubview(scroll);
    }
    void settle()
    {
        for (int i = 0; i < 600 && (scroll->isDecelerating() || scroll->isDragging()); ++i)
            host->advance(1.0 / 60);
        host->advance(0.1);
    }
    std::shared_ptr<RecordingScrollView> scroll;
    std::shared_ptr<Events> events;
};

TEST_F(ScrollMotion, PullPastTopRubberBandsThenSpringsBack)
{
    host->drag({160, 100}, {160, 300}, 0.5, 20);
    double pulled = -scroll->offsets.back().y - 0; // how far the top edge went down
    EXPECT_GT(pulled, 20);
    EXPECT_LT(pulled, 190); // the finger moved 190 after the slop: the band gives less
    std::size_t atRelease = scroll->offsets.size();
    settle();
    EXPECT_EQ(scroll->contentOffset(), (Point{0, 0}));
    EXPECT_EQ(events->log, "endDrag+ endDecel ");
    // Springing back passes through the funnel frame by frame and rests exactly at the edge.
    ASSERT_GT(scroll->offsets.size(), atRelease + 5);
    EXPECT_EQ(scroll->offsets.back(), (Point{0, 0}));
    EXPECT_GT(events->scrolls, 5);
}

TEST_F(ScrollMotion, FlickDeceleratesSmoothlyAndStopsInside)
{
    scroll->setContentOffset(Point{0, 200});
    scroll->offsets.clear();
    host->drag({160, 350}, {160, 150}, 0.25, 5);
    // While it moves, a bar at the right edge shows where the visible part lies.
    auto indicator = [&]() -> ViewRef {
        for (auto& v : scroll->subviews())
            if (!v->isHidden() && v->frame().width() == 3)
                return v;
        return nullptr;
    };
    host->advance(0.05);
    auto bar = indicator();
    ASSERT_TRUE(bar);
    double along = (bar->frame().y() - scroll->contentOffset().y) / (400 - bar->frame().height());
    EXPECT_NEAR(along, scroll->contentOffset().y / 1600, 1e-9);
    EXPECT_DOUBLE_EQ(bar->frame().height(), 400 * 400 / 2000.0);
    settle();
    EXPECT_FALSE(indicator());
    ASSERT_GT(scroll->offsets.size(), 10u);
    // Up the content and slower every frame once released.
    double lastStep = 1e9;
    for (std::size_t i = 6; i < scroll->offsets.size(); ++i) {
        double step = scroll->offsets[i].y - scroll->offsets[i - 1].y;
        EXPECT_GE(step, -0.001) << i;
        EXPECT_LE(step, lastStep + 0.001) << i;
        lastStep = step;
    }
    EXPECT_GT(scroll->contentOffset().y, 200 + 190 + 100); // glided well past the finger
    EXPECT_LE(scroll->contentOffset().y, scroll->maxContentOffset().y);
    EXPECT_EQ(events->log, "endDrag+ endDecel ");
}

TEST_F(ScrollMotion, GlidePastBottomBouncesBackToTheEdge)
{
    scroll->setContentOffset(Point{0, 1500});
    host->drag({160, 350}, {160, 100}, 0.05, 3);
    settle();
    EXPECT_EQ(scroll->contentOffset(), scroll->maxContentOffset());
    double furthest = 0;
    for (auto& p : scroll->offsets)
        furthest = std::max(furthest, p.y);
    EXPECT_GT(furthest, scroll->maxContentOffset().y); // it went past, then came back
}

TEST_F(ScrollMotion, PagingSettlesOnAWholePage)
{
    scroll->setContentSize({320 * 4, 400});
    scroll->setPagingEnabled(true);
    struct Row {
        Point from, to;
        double duration;
        double page;
    };
    const Row rows[] = {
        {{300, 200}, {100, 200}, 0.5, 1}, // past half: next page
        {{300, 200}, {250, 200}, 0.5, 1}, // not far, slow: stays
        {{300, 200}, {260, 200}, 0.02, 2}, // short flick turns the page
        {{100, 200}, {300, 200}, 0.5, 1},  // back again
    };
    for (const Row& row : rows) {
        host->drag(row.from, row.to, row.duration, 4);
        settle();
        EXPECT_EQ(scroll->contentOffset(), (Point{row.page * 320, 0})) << row.page;
    }
}

TEST_F(ScrollMotion, CodeWheelAndZoomGoThroughTheFunnel)
{
    auto inside = View::create(Rect(0, 0, 320, 2000));
    scroll->addSubview(inside);
    scroll->setContentOffset(Point{0, 300}, true);
    settle();
    host->advance(0.5);
    EXPECT_EQ(scroll->contentOffset(), (Point{0, 300}));
    EXPECT_EQ(events->log, "endAnim ");
    EXPECT_GT(scroll->offsets.size(), 5u);

    for (auto [dy, expected] : {std::pair{100.0, 400.0}, {5000.0, 1600.0}, {-9000.0, 0.0}}) {
        // From the host, over a plain subview: the wheel travels up to the scroll view.
        Screen::main().handleScrollWheel({160, 100}, {0, dy});
        EXPECT_EQ(scroll->contentOffset().y, expected);
    }

    events->zoomed = View::create(Rect(0, 0, 320, 2000));
    scroll->addSubview(events->zoomed);
    scroll->setMaximumZoomScale(3);
    scroll->setContentOffset(Point{0, 1600});
    scroll->setZoomScale(0.5);
    EXPECT_EQ(scroll->zoomScale(), 1); // below the minimum
    scroll->setMinimumZoomScale(0.1);
    scroll->setZoomScale(0.1);
    EXPECT_EQ(scroll->contentSize(), (Size{32, 200}));
    EXPECT_EQ(scroll->offsets.back(), (Point{0, 0})); // pulled back inside through the funnel
    EXPECT_EQ(events->zoomed->frame(), Rect(0, 0, 32, 200));
}

TEST_F(ScrollMotion, APinchZoomsAboutTheFingersWithinTheLimits)
{
    events->zoomed = View::create(Rect(0, 0, 320, 400));
    scroll->addSubview(events->zoomed);
    scroll->setMinimumZoomScale(0.5);
    scroll->setMaximumZoomScale(3);
    struct Row {
        Point centre;
        double from, to, scale;
    };
    const Row rows[] = {
        {{160, 200}, 100, 200, 2.0}, {{100, 120}, 100, 150, 1.5},
        {{160, 200}, 50, 400, 3.0},  {{160, 200}, 200, 50, 0.5}, // asked for 8 and 0.25
    };
    for (const Row& row : rows) {
        scroll->setZoomScale(1);
        scroll->setContentOffset(Point{0, 0});
        events->zooms.clear();
        host->pinch(row.centre, row.from, row.to, 0.3, 10);
        auto [least, most] = std::minmax_element(events->zooms.begin(), events->zooms.end());
        host->advance(0.5);
        EXPECT_EQ(scroll->zoomScale(), row.scale) << row.to;
        EXPECT_EQ(events->zooms.back(), row.scale) << row.to;
        EXPECT_EQ(events->zoomed->frame(), Rect(0, 0, 320 * row.scale, 400 * row.scale)) << row.to;
        EXPECT_EQ(scroll->contentSize(), events->zoomed->frame().size) << row.to;
        if (row.to / row.from == row.scale) {
            // The fingers move in turn, so the pinch may begin half a finger's step off the centre.
            Point under = scroll->contentOffset() + row.centre;
            EXPECT_NEAR(under.x / row.scale, row.centre.x, (row.to - row.from) / 40 + 1e-9) << row.to;
            EXPECT_NEAR(under.y / row.scale, row.centre.y, 1e-9) << row.to;
        } else {
            // A little beyond the limit while the fingers are down, back at it after.
            EXPECT_TRUE(row.scale > 1 ? *most > row.scale && *most < 8 : *least < row.scale && *least > 0.25) << row.to;
        }
    }

    // A finger dragging on after the second lifted carries on from where the pinch left the content.
    auto touch = [&](int finger, TouchPhase phase, Point p) { Screen::main().handleTouch(finger, phase, p, 0); };
    scroll->setZoomScale(2);
    touch(1, TouchPhase::Began, {100, 200});
    touch(2, TouchPhase::Began, {200, 200});
    touch(2, TouchPhase::Moved, {220, 200});
    touch(1, TouchPhase::Moved, {60, 200});
    touch(2, TouchPhase::Ended, {220, 200});
    Point after = scroll->contentOffset();
    touch(1, TouchPhase::Moved, {60, 170});
    EXPECT_EQ(scroll->contentOffset(), (after + Point{0, 30}));
    touch(1, TouchPhase::Ended, {60, 170});

    events->zoomed = nullptr; // no view to zoom: pinching changes nothing
    events->zooms.clear();
    host->pinch({160, 200}, 100, 200);
    EXPECT_TRUE(events->zooms.empty());
}

}
}

namespace pf::test {
namespace {

// Zooms its first subview, as a picture page does.
class ZoomsFirst final : public ScrollViewDelegate {
public:
    ViewRef viewForZoomingInScrollView(ScrollView& scroll) override
    {
        return scroll.subviews().empty() ? nullptr : scroll.subviews().front();
    }
};

// Which of two nested scroll views a drag moves.
class NestedScrolling : public HostTest {
protected:
    std::shared_ptr<ScrollView> make(ScrollView* into, Rect frame, Size content)
    {
        auto scroll = std::make_shared<ScrollView>(frame);
        scroll->setContentSize(content);
        scroll->setShowsHorizontalScrollIndicator(false);
        scroll->setShowsVerticalScrollIndicator(false);
        if (into)
            into->addSubview(scroll);
        else
            window->addSubview(scroll);
        return scroll;
    }
    void settle(std::initializer_list<ScrollView*> views)
    {
        auto moving = [&] {
            return std::any_of(views.begin(), views.end(), [](ScrollView* s) { return s->isDragging() || s->isDecelerating(); });
        };
        for (int i = 0; i < 600 && moving(); ++i)
            host->advance(1.0 / 60);
        EXPECT_FALSE(moving());
    }
};

TEST_F(NestedScrolling, APagerTurnsUnlessItsZoomedPageCanScrollThatWay)
{
    auto pager = make(nullptr, Rect(0, 0, 320, 400), {960, 400});
    pager->setPagingEnabled(true);
    pager->setBounces(false);
    auto zooms = std::make_shared<ZoomsFirst>();
    auto page = make(pager.get(), Rect(0, 0, 320, 400), {320, 400});
    page->setDelegate(zooms);
    page->setBounces(false);
    page->setMaximumZoomScale(4);
    page->addSubview(View::create(Rect(0, 0, 320, 400)));
    enum Moves { Pager, Page, Neither };
    struct Row {
        const char* what;
        double zoom, pageX;
        Point from, to;
        Moves moves;
    };
    const Row rows[] = {
        {"a page at its size, sideways", 1, 0, {300, 200}, {60, 200}, Pager},
        {"a page at its size, down", 1, 0, {160, 300}, {160, 100}, Neither},
        {"zoomed, sideways into it", 2, 0, {300, 200}, {200, 200}, Page},
        {"zoomed, down", 2, 0, {160, 300}, {160, 200}, Page},
        {"zoomed at its right edge, on", 2, 320, {300, 200}, {60, 200}, Pager},
        {"zoomed at its right edge, back", 2, 320, {60, 200}, {160, 200}, Page},
    };
    for (const Row& row : rows) {
        pager->setContentOffset(Point{0, 0});
        page->setZoomScale(row.zoom);
        page->setContentOffset(Point{row.pageX, 0});
        host->drag(row.from, row.to, 0.5, 20);
        settle({pager.get(), page.get()});
        EXPECT_EQ(pager->contentOffset(), (Point{row.moves == Pager ? 320.0 : 0.0, 0})) << row.what;
        EXPECT_EQ(page->contentOffset() != (Point{row.pageX, 0}), row.moves == Page) << row.what;
    }
}

TEST_F(NestedScrolling, AListAndASidewaysStripInItEachTakeTheirOwnWay)
{
    auto list = make(nullptr, Rect(0, 0, 320, 400), {320, 2000});
    auto strip = make(list.get(), Rect(0, 100, 320, 150), {960, 0});
    strip->setPagingEnabled(true);
    strip->setBounces(false);
    struct Row {
        Point from, to;
        bool listMoves;
        double stripX;
    };
    const Row rows[] = {
        {{300, 175}, {60, 175}, false, 320}, // sideways on the strip: its next picture
        {{160, 200}, {150, 100}, true, 0},   // up on the strip: the list
        {{160, 350}, {60, 340}, false, 0},   // sideways below it: nothing can go that way
    };
    for (const Row& row : rows) {
        list->setContentOffset(Point{0, 0});
        strip->setContentOffset(Point{0, 0});
        host->drag(row.from, row.to, 0.5, 20);
        settle({list.get(), strip.get()});
        EXPECT_EQ(list->contentOffset().y > 0, row.listMoves) << row.from.y << " to " << row.to.y;
        EXPECT_EQ(strip->contentOffset(), (Point{row.stripX, 0})) << row.from.y << " to " << row.to.y;
    }
    // The wheel too: each axis goes to the innermost view that can move along it.
    struct Wheel {
        Point at, delta;
        double listY, stripX;
    };
    const Wheel wheels[] = {
        {{160, 175}, {0, 50}, 50, 0},   // down over the strip: the list
        {{160, 175}, {40, 0}, 0, 40},   // sideways over the strip: the strip
        {{160, 175}, {40, 30}, 30, 40}, // both at once: each its own part
        {{160, 350}, {40, 0}, 0, 0},    // sideways below it: nothing can go that way
    };
    for (const Wheel& wheel : wheels) {
        list->setContentOffset(Point{0, 0});
        strip->setContentOffset(Point{0, 0});
        Screen::main().handleScrollWheel(wheel.at, wheel.delta);
        EXPECT_EQ(list->contentOffset(), (Point{0, wheel.listY})) << wheel.delta.x << "," << wheel.delta.y;
        EXPECT_EQ(strip->contentOffset(), (Point{wheel.stripX, 0})) << wheel.delta.x << "," << wheel.delta.y;
    }
}

}
}
