#include "ControlsTestSupport.h"

#include "platform/controls/Button.h"
#include "platform/controls/PageControl.h"
#include "platform/controls/SegmentedControl.h"
#include "platform/controls/Toolbar.h"
#include "platform/graphics/Image.h"

#include <cmath>
#include <string>
#include <vector>

namespace pf::test {
namespace {

class ControlActions : public HostTest {};

TEST_F(ControlActions, TouchSequencesSendTheirEvents)
{
    struct Row {
        const char* name;
        std::vector<std::pair<TouchPhase, Point>> touches;
        std::string expected;
        bool enabled = true;
    };
    const std::vector<Row> rows = {
        {"tap inside", {{TouchPhase::Began, {50, 50}}, {TouchPhase::Ended, {50, 50}}}, "hl+ down hl- upInside "},
        {"drag far out and release",
         {{TouchPhase::Began, {50, 50}}, {TouchPhase::Moved, {50, 300}}, {TouchPhase::Ended, {50, 300}}},
         "hl+ down hl- dragOut upOutside "},
        {"out and back in",
         {{TouchPhase::Began, {50, 50}}, {TouchPhase::Moved, {50, 300}}, {TouchPhase::Moved, {60, 60}},
          {TouchPhase::Ended, {60, 60}}},
         "hl+ down hl- dragOut hl+ dragIn hl- upInside "},
        {"a little outside still counts", {{TouchPhase::Began, {50, 50}}, {TouchPhase::Ended, {50, 140}}},
         "hl+ down hl- upInside "},
        {"cancelled", {{TouchPhase::Began, {50, 50}}, {TouchPhase::Cancelled, {50, 50}}}, "hl+ down hl- cancel "},
        {"disabled sends nothing", {{TouchPhase::Began, {50, 50}}, {TouchPhase::Ended, {50, 50}}}, "", false},
    };
    for (const Row& row : rows) {
        std::string log;
        class Probe final : public Control {
        public:
            explicit Probe(std::string* log) : Control(Rect(0, 0, 100, 100)), m_log(log) {}
            void setHighlighted(bool h) override
            {
                if (h != isHighlighted())
                    *m_log += h ? "hl+ " : "hl- ";
                Control::setHighlighted(h);
            }
            std::string* m_log;
        };
        auto control = std::make_shared<Probe>(&log);
        control->setEnabled(row.enabled);
        auto owner = std::make_shared<Object>();
        for (auto [e, text] : {std::pair<ControlEvents, const char*>{ControlEvent::TouchDown, "down"},
                               {ControlEvent::TouchUpInside, "upInside"}, {ControlEvent::TouchUpOutside, "upOutside"},
                               {ControlEvent::TouchDragOutside, "dragOut"}, {ControlEvent::TouchDragInside, "dragIn"},
                               {ControlEvent::TouchCancel, "cancel"}})
            control->addTarget(owner, text, [&log, text = text](Object&, Control&) { log += std::string(text) + " "; }, e);
        window->addSubview(control);
        for (auto& [phase, p] : row.touches)
            Screen::main().handleTouch(1, phase, p, host->clock().now());
        EXPECT_EQ(log, row.expected) << row.name;
        control->removeFromSuperview();
    }
}

TEST_F(ControlActions, ReleasedTargetIsSkippedAndActionMayReleaseControl)
{
    auto control = std::make_shared<Control>(Rect(0, 0, 100, 100));
    int calls = 0;
    {
        auto gone = std::make_shared<Object>();
        control->addTarget(gone, "x", [&](Object&, Control&) { ++calls; }, ControlEvent::TouchUpInside);
    }
    std::weak_ptr<Control> weak = control;
    control->addAction([&](Control& c) {
        ++calls;
        c.removeFromSuperview();
    }, ControlEvent::TouchUpInside);
    window->addSubview(control);
    control = nullptr;
    host->tap({50, 50});
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(weak.expired());
}

TEST_F(ControlActions, ButtonShowsItsStateOrFallsBackToNormal)
{
    auto button = std::make_shared<Button>(Rect(0, 0, 100, 40));
    button->setTitle("普通", ControlStates::Normal);
    button->setTitle("按下", ControlStates::Highlighted);
    button->setTitleColor(Color::fromRgbHex(0x00ff00), ControlStates::Selected);
    struct Row {
        bool highlighted, enabled, selected;
        const char* title;
        Color color;
    };
    const Row rows[] = {
        {false, true, false, "普通", Color::whiteColor()},
        {true, true, false, "按下", Color::whiteColor()},
        {false, false, false, "普通", Color::whiteColor()},
        {false, true, true, "普通", Color::fromRgbHex(0x00ff00)},
        {true, true, true, "普通", Color::whiteColor()}, // highlighted|selected has no values of its own
    };
    for (const Row& row : rows) {
        button->setEnabled(row.enabled);
        button->setHighlighted(row.highlighted);
        button->setSelected(row.selected);
        EXPECT_EQ(button->currentTitle().value_or(""), row.title);
        EXPECT_EQ(button->currentTitleColor(), row.color);
    }
    button->setTitle(std::nullopt, ControlStates::Highlighted);
    button->setEnabled(true);
    button->setSelected(false);
    button->setHighlighted(true);
    EXPECT_EQ(button->currentTitle().value_or(""), "普通");
}

TEST_F(ControlActions, ButtonBackgroundFollowsPressedStateOnScreen)
{
    auto red = Bitmap::create(4, 4);
    auto blue = Bitmap::create(4, 4);
    ASSERT_TRUE(red && blue);
    red.value()->fill(Color::rgb(1, 0, 0));
    blue.value()->fill(Color::rgb(0, 0, 1));
    auto button = std::make_shared<Button>(Rect(20, 20, 100, 40));
    button->setBackgroundImage(Image::create(red.value()), ControlStates::Normal);
    button->setBackgroundImage(Image::create(blue.value()), ControlStates::Highlighted);
    window->addSubview(button);
    EXPECT_TRUE(probe({25, 25}).near({255, 0, 0, 255}));
    host->touchDown({60, 40});
    EXPECT_TRUE(probe({25, 25}).near({0, 0, 255, 255}));
    host->touchUp({60, 40});
    EXPECT_TRUE(probe({25, 25}).near({255, 0, 0, 255}));

    // A button that glows when touched lights its centre only while pressed.
    auto glowing = std::make_shared<Button>(Rect(20, 100, 60, 60));
    glowing->setBackgroundImage(Image::create(red.value()), ControlStates::Normal);
    glowing->setShowsTouchWhenHighlighted(true);
    window->addSubview(glowing);
    EXPECT_TRUE(probe({50, 130}).near({255, 0, 0, 255}));
    host->touchDown({50, 130});
    auto lit = probe({50, 130});
    EXPECT_GT(lit.g, 100) << "the centre glows white";
    EXPECT_TRUE(probe({22, 102}).near({255, 0, 0, 255})) << "the corner stays as drawn";
    host->touchUp({50, 130});
    EXPECT_TRUE(probe({50, 130}).near({255, 0, 0, 255}));
}

TEST_F(ControlActions, ButtonInsetsAndAlignmentPlaceImageAndTitle)
{
    auto red = Bitmap::create(40, 40, 2);
    ASSERT_TRUE(red);
    red.value()->fill(Color::rgb(1, 0, 0));
    auto button = std::make_shared<Button>(Rect(0, 100, 200, 40));
    button->setImage(Image::create(red.value()), ControlStates::Normal);
    button->setTitle("标题文字", ControlStates::Normal);
    button->setTitleColor(Color::black(), ControlStates::Normal);
    const double iw = 20;
    const double tw = button->titleRect().width();
    ASSERT_GT(tw, 20);
    const double x0 = (200 - iw - tw) / 2;
    using Align = ContentHorizontalAlignment;
    struct Row {
        const char* name;
        Align alignment;
        EdgeInsets title;
        EdgeInsets image;
        double titleX, imageX, imageY;
        double fitWidth;
    };
    const double nan = std::nan("");
    const Row rows[] = {
        {"centred, no insets", Align::Center, {}, {}, x0 + iw, x0, 10, iw + tw},
        {"centred swap", Align::Center, {0, -iw, 0, iw}, {0, tw, 0, -tw}, x0, x0 + tw, 10, iw + tw},
        {"centred image pushed right by its right inset", Align::Center, {0, -iw, 0, iw},
         {0, 0, 0, -2 * (tw + iw)}, x0, x0 + tw + iw, 10, iw + tw + iw},
        {"left swap", Align::Left, {0, -iw, 0, iw}, {0, tw, 0, 0}, 0, tw, 10, iw + tw},
        {"right, title moved back over the image", Align::Right, {0, 0, 0, 10}, {}, 200 - tw - 10, 200 - iw - tw, 10,
         iw + tw - 10},
        {"image moved down by half of top minus bottom", Align::Center, {}, {6, 0, 0, 0}, x0 + iw, x0, 13, iw + tw},
        {"insets that are not numbers count as 0", Align::Left, {nan, nan, nan, nan}, {0, nan, 0, 0}, iw, 0, 10,
         iw + tw},
    };
    window->addSubview(button);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        button->setContentHorizontalAlignment(row.alignment);
        button->setTitleEdgeInsets(row.title);
        button->setImageEdgeInsets(row.image);
        EXPECT_NEAR(button->titleRect().x(), row.titleX, 1e-9);
        EXPECT_NEAR(button->imageRect().x(), row.imageX, 1e-9);
        EXPECT_NEAR(button->imageRect().y(), row.imageY, 1e-9);
        EXPECT_NEAR(button->sizeThatFits({}).width, row.fitWidth, 1e-9);
        // The picture is drawn where the rect says.
        Rect image = button->imageRect();
        EXPECT_TRUE(probe({image.midX(), 100 + image.midY()}).near({255, 0, 0, 255}));
    }
    // A narrow button narrows the title by the room its insets take too.
    button->setContentHorizontalAlignment(Align::Center);
    button->setImageEdgeInsets({});
    button->setTitleEdgeInsets({0, 5, 0, 5});
    button->setFrame({0, 100, iw + 30, 40});
    EXPECT_NEAR(button->titleRect().width(), 20, 1e-9);
}

TEST(ToolbarLayout, FlexibleSpacesTakeTheSpareWidth)
{
    auto item = [](const char* title, double width) {
        auto made = std::make_shared<BarButtonItem>(title, BarButtonItemStyle::Done);
        made->setWidth(width);
        return made;
    };
    auto space = [] { return std::make_shared<BarButtonItem>(BarButtonSystemItem::FlexibleSpace, nullptr, BarButtonItem::Action()); };
    struct Row {
        const char* name;
        std::vector<std::shared_ptr<BarButtonItem>> items;
        std::vector<double> xs;
    } rows[] = {
        { "edges", { item("A", 60), space(), item("B", 60) }, { 6, 254 } },
        { "pushed right", { space(), item("A", 60), item("B", 50) }, { 194, 264 } },
        { "two spaces share", { space(), item("A", 60), space() }, { 130 } },
        { "no space spreads evenly", { item("A", 60), item("B", 60) }, { 50, 210 } },
    };
    for (auto& row : rows) {
        auto bar = std::make_shared<Toolbar>(Rect(0, 0, 320, 44));
        bar->setItems(row.items);
        bar->layoutIfNeeded();
        ASSERT_EQ(bar->subviews().size(), row.xs.size()) << row.name;
        for (std::size_t i = 0; i < row.xs.size(); ++i)
            EXPECT_DOUBLE_EQ(bar->subviews()[i]->frame().x(), row.xs[i]) << row.name << " " << i;
    }
}

TEST_F(ControlActions, SegmentsAndPagesChangeByTouch)
{
    auto segments = std::make_shared<SegmentedControl>(std::vector<std::string>{"全部", "关注", "附近"});
    segments->setFrame(Rect(0, 0, 300, 30));
    int changes = 0;
    segments->addAction([&](Control&) { ++changes; }, ControlEvent::ValueChanged);
    window->addSubview(segments);
    host->tap({250, 15});
    EXPECT_EQ(segments->selectedSegmentIndex(), 2);
    host->tap({250, 15}); // the same segment again changes nothing
    EXPECT_EQ(changes, 1);
    segments->removeSegmentAtIndex(0);
    EXPECT_EQ(segments->selectedSegmentIndex(), 1);
    segments->setSelectedSegmentIndex(7);
    EXPECT_EQ(segments->selectedSegmentIndex(), 1);

    auto pages = std::make_shared<PageControl>(Rect(0, 100, 200, 20));
    pages->setNumberOfPages(3);
    window->addSubview(pages);
    for (auto [x, page] : {std::pair{150.0, 1}, {150.0, 2}, {150.0, 2}, {20.0, 1}, {20.0, 0}, {20.0, 0}}) {
        host->tap({x, 110});
        EXPECT_EQ(pages->currentPage(), page);
    }
    pages->setNumberOfPages(1);
    EXPECT_EQ(pages->currentPage(), 0);
}

}
}
