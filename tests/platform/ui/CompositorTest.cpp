#include "platform/graphics/GraphicsContext.h"
#include "tests/platform/graphics/PixelProbe.h"
#include "tests/platform/ui/UiTestSupport.h"

#include <cmath>
#include <functional>

using namespace pf;
using pf::test::pixelIs;

namespace {

const Color kRed = Color::rgb(1, 0, 0);
const Color kBlue = Color::rgb(0, 0, 1);
const Color kGreen = Color::rgb(0, 1, 0);
const Color kWhite = Color::whiteColor();
const Color kBlack = Color::black();

class Rendering : public pf::test::RenderingTest {};

// Draws a green square in the middle of its bounds and counts its draws.
class SquareView : public View {
public:
    using View::View;
    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& context, const Rect& rect) override
    {
        ++draws;
        context.fillRect(rect.insetBy(rect.width() / 4, rect.height() / 4), kGreen);
    }
    int draws = 0;
};

// Draws nothing of its own and counts how often it is asked to.
class BlankView : public View {
public:
    using View::View;
    bool drawsContent() const override { return true; }
    void draw(GraphicsContext&, const Rect&) override { ++draws; }
    int draws = 0;
};

// Tall content, red above y 500 and blue below, drawn in bands; records the
// tops of the parts it was asked for.
class TallView : public View {
public:
    using View::View;
    bool drawsContent() const override { return true; }
    bool backsInBands() const override { return true; }
    void draw(GraphicsContext& context, const Rect& rect) override
    {
        drawn.push_back(rect.y());
        context.fillRect({0, 0, bounds().width(), 500}, kRed);
        context.fillRect({0, 500, bounds().width(), bounds().height() - 500}, kBlue);
    }
    std::vector<double> drawn;
};

}

TEST_F(Rendering, BackgroundsBordersAndRoundedCorners)
{
    auto window = showWindow();
    auto card = filled({20, 20, 100, 100}, kRed, window);
    card->setCornerRadius(20);
    card->setBorderWidth(4);
    card->setBorderColor(kBlue);
    const Bitmap& frame = render();
    EXPECT_TRUE(pixelIs(frame, {70, 21}, kBlue)) << "the border is inside the bounds";
    EXPECT_TRUE(pixelIs(frame, {70, 19}, kWhite));
    EXPECT_TRUE(pixelIs(frame, {22, 22}, kWhite)) << "rounded corner";
    EXPECT_TRUE(pixelIs(frame, {70, 25}, kRed));
}

TEST_F(Rendering, AChildPartlyOutsideIsDrawnAtItsOriginAndClippedToTheParent)
{
    auto window = showWindow();
    auto parent = filled({50, 50, 100, 100}, kBlue, window);
    parent->setClipsToBounds(true);
    parent->setCornerRadius(30);
    filled({60, 60, 80, 80}, kRed, parent); // reaches to 140, 140 in the parent
    const Bitmap& frame = render();
    EXPECT_TRUE(pixelIs(frame, {115, 115}, kRed)) << "the child starts at its own origin";
    EXPECT_TRUE(pixelIs(frame, {105, 105}, kBlue)) << "not shifted into the parent";
    EXPECT_TRUE(pixelIs(frame, {160, 120}, kWhite)) << "cut at the parent's edge";
    EXPECT_TRUE(pixelIs(frame, {148, 148}, kWhite)) << "cut at the parent's rounded corner";

    parent->setClipsToBounds(false);
    const Bitmap& again = render();
    EXPECT_TRUE(pixelIs(again, {160, 120}, kRed)) << "without clipping the child shows whole";
}

TEST_F(Rendering, AlphaHiddenAndMaskApplyToTheWholeSubtree)
{
    auto window = showWindow();
    auto group = View::create({0, 0, 100, 100});
    filled({0, 0, 60, 100}, kBlack, group);
    filled({40, 0, 60, 100}, kBlack, group);
    group->setAlpha(0.5);
    window->addSubview(group);
    filled({200, 0, 50, 50}, kRed, window)->setHidden(true);
    auto mask = Bitmap::create(20, 1, 1).value();
    mask->fill(Color::clear());
    GraphicsContext::create(*mask).value()->fillRect({0, 0, 10, 1}, kBlack);
    filled({0, 200, 200, 50}, kRed, window)->setMaskImage(mask);

    const Bitmap& frame = render();
    EXPECT_TRUE(pixelIs(frame, {20, 50}, Color::white(0.5)));
    EXPECT_TRUE(pixelIs(frame, {50, 50}, Color::white(0.5))) << "overlapping children fade as one";
    EXPECT_TRUE(pixelIs(frame, {225, 25}, kWhite));
    EXPECT_TRUE(pixelIs(frame, {40, 225}, kRed));
    EXPECT_TRUE(pixelIs(frame, {160, 225}, kWhite)) << "masked out";
}

// A background covered whole by opaque subviews is left out; wherever any
// of it would show, it is painted.
TEST_F(Rendering, ABackgroundShowsWhereverItsSubviewsLeaveAnyOfIt)
{
    const double px = 1 / Screen::main().scale();
    struct Row {
        const char* name;
        std::function<void(const ViewRef& parent)> cover;
        Point probe;
        Color expected;
    };
    const Color half = Color::rgb(0.5, 0, 0.5);
    const Row rows[] = {
        {"two opaque halves", [](const ViewRef& p) { filled({0, 0, 100, 50}, kRed, p); filled({0, 50, 100, 50}, kRed, p); },
         {50, 50}, kRed},
        {"a gap of one point", [](const ViewRef& p) { filled({0, 0, 100, 50}, kRed, p); filled({0, 51, 100, 49}, kRed, p); },
         {50, 50.5}, kBlue},
        {"a translucent cover", [](const ViewRef& p) { filled({0, 0, 100, 100}, Color::rgb(1, 0, 0, 0.5), p); }, {50, 50}, half},
        {"a faded cover", [](const ViewRef& p) { filled({0, 0, 100, 100}, kRed, p)->setAlpha(0.5); }, {50, 50}, half},
        {"a hidden cover", [](const ViewRef& p) { filled({0, 0, 100, 100}, kRed, p)->setHidden(true); }, {50, 50}, kBlue},
        {"a rounded cover", [](const ViewRef& p) { filled({0, 0, 100, 100}, kRed, p)->setCornerRadius(30); }, {2, 2}, kBlue},
        {"a turned cover", [](const ViewRef& p) { filled({0, 0, 100, 100}, kRed, p)->setTransform(AffineTransform::rotation(0.2)); },
         {2, 2}, kBlue},
        {"opaque halves inside a clear view", [](const ViewRef& p) {
             auto clear = View::create({0, 0, 100, 100});
             p->addSubview(clear);
             filled({0, 0, 100, 50}, kRed, clear);
             filled({0, 50, 100, 50}, kRed, clear);
         },
         {50, 50}, kRed},
        {"a clear view scrolled past its cover", [](const ViewRef& p) {
             auto scrolled = View::create({0, 0, 100, 100});
             scrolled->setBounds({0, 50, 100, 100});
             p->addSubview(scrolled);
             filled({0, 0, 100, 100}, kRed, scrolled); // shows at -50..50 in the parent
         },
         {50, 75}, kBlue},
        {"a cover clipped to round corners", [](const ViewRef& p) {
             auto round = View::create({0, 0, 100, 100});
             round->setCornerRadius(30);
             round->setClipsToBounds(true);
             p->addSubview(round);
             filled({0, 0, 100, 100}, kRed, round);
         },
         {2, 2}, kBlue},
        // The pixel row the two covers share is half red over the parent's
        // blue, then half red again.
        {"covers meeting inside a pixel", [px](const ViewRef& p) {
             filled({0, 0, 100, 50 + px / 2}, kRed, p);
             filled({0, 50 + px / 2, 100, 50 - px / 2}, kRed, p);
         },
         {50, 50 + px / 4}, Color::rgb(0.75, 0, 0.25)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Screen::main().removeAllWindows();
        auto window = showWindow();
        auto parent = filled({20, 20, 100, 100}, kBlue, window);
        row.cover(parent);
        compositor.invalidateAll();
        const Bitmap& frame = render();
        EXPECT_TRUE(pixelIs(frame, {20 + row.probe.x, 20 + row.probe.y}, row.expected));
        EXPECT_TRUE(pixelIs(frame, {10, 10}, kWhite)) << "the window's own background";
    }
    // A window that leaves part of the screen uncovered shows black there.
    Screen::main().removeAllWindows();
    auto small = Window::create({0, 0, 100, 100});
    small->setBackgroundColor(kRed);
    small->setHidden(false);
    compositor.invalidateAll();
    const Bitmap& frame = render();
    EXPECT_TRUE(pixelIs(frame, {50, 50}, kRed));
    EXPECT_TRUE(pixelIs(frame, {150, 150}, kBlack));
}

TEST_F(Rendering, HigherWindowsCoverLowerOnes)
{
    showWindow(kBlue);
    auto alert = Window::create({60, 200, 200, 100});
    alert->setBackgroundColor(kRed);
    alert->setWindowLevel(WindowLevel::Alert);
    alert->setHidden(false);
    const Bitmap& frame = render();
    EXPECT_TRUE(pixelIs(frame, {160, 250}, kRed));
    EXPECT_TRUE(pixelIs(frame, {160, 350}, kBlue));
    alert->setHidden(true);
    EXPECT_TRUE(pixelIs(render(), {160, 250}, kBlue)) << "hiding repaints what it covered";
}

TEST_F(Rendering, OnlyInvalidatedContentIsRedrawn)
{
    auto window = showWindow();
    auto square = std::make_shared<SquareView>(Rect{0, 0, 100, 100});
    auto other = std::make_shared<SquareView>(Rect{0, 200, 100, 100});
    auto blank = std::make_shared<BlankView>(Rect{0, 400, 300, 100});
    window->addSubview(square);
    window->addSubview(other);
    window->addSubview(blank);
    render();
    EXPECT_EQ(square->draws, 1);
    EXPECT_TRUE(pixelIs(*compositor.frame(), {50, 50}, kGreen));

    auto nothing = compositor.render();
    ASSERT_TRUE(nothing.ok());
    EXPECT_TRUE(nothing.value().isEmpty()) << "nothing changed, nothing repainted";

    square->setCenter({150, 50}); // moves: kept content is reused
    auto moved = compositor.render();
    ASSERT_TRUE(moved.ok());
    EXPECT_EQ(square->draws, 1);
    EXPECT_TRUE(moved.value().contains({50, 50})) << "where it was";
    EXPECT_TRUE(moved.value().contains({150, 50})) << "where it is";
    EXPECT_FALSE(moved.value().contains({50, 250})) << "the other view is not repainted";
    EXPECT_TRUE(pixelIs(*compositor.frame(), {50, 50}, kWhite));
    EXPECT_TRUE(pixelIs(*compositor.frame(), {150, 50}, kGreen));

    square->setNeedsDisplay();
    render();
    EXPECT_EQ(square->draws, 2);
    EXPECT_EQ(other->draws, 1);

    // Only the square's pixels are kept and painted, in place after a
    // half-point move (it spans 125.5 .. 175.5 across); a view that drew
    // nothing keeps nothing and is not drawn again for it.
    square->setCenter({150.5, 250});
    compositor.invalidateAll();
    const Bitmap& frame = render();
    EXPECT_EQ(blank->draws, 1);
    EXPECT_TRUE(pixelIs(frame, {126, 226}, kGreen));
    EXPECT_TRUE(pixelIs(frame, {175, 274.5}, kGreen));
    EXPECT_TRUE(pixelIs(frame, {125, 250}, kWhite));
    EXPECT_TRUE(pixelIs(frame, {176, 250}, kWhite));
}

TEST_F(Rendering, WhatAFrameReplacesIsReleasedAfterItWhenTheLoopIsIdle)
{
    auto replaced = std::make_shared<int>(1);
    std::weak_ptr<int> watch = replaced;
    Compositor::releaseAfterNextFrame(std::move(replaced));
    RunLoop::main().runUntilIdle();
    EXPECT_FALSE(watch.expired()) << "no frame yet";
    render();
    EXPECT_FALSE(watch.expired());
    RunLoop::main().runUntilIdle();
    EXPECT_TRUE(watch.expired());
}

TEST_F(Rendering, LayoutRunsBeforeTheFrameIsDrawn)
{
    class Stack : public View {
    public:
        using View::View;
        void layoutSubviews() override
        {
            double y = 0;
            for (auto& v : subviews()) {
                v->setFrame({0, y, bounds().width(), 20});
                y += 20;
            }
        }
    };
    auto window = showWindow();
    auto stack = std::make_shared<Stack>(Rect{0, 0, 100, 100});
    filled({}, kRed, stack);
    filled({}, kBlue, stack);
    window->addSubview(stack);
    const Bitmap& frame = render();
    EXPECT_TRUE(pixelIs(frame, {50, 10}, kRed));
    EXPECT_TRUE(pixelIs(frame, {50, 30}, kBlue));
}

TEST_F(Rendering, TransformsScaleAndMoveViewsAroundTheirCenter)
{
    auto window = showWindow();
    auto box = filled({100, 100, 40, 40}, kRed, window); // centre (120, 120)
    box->setTransform(AffineTransform::scaling(2, 2));
    const Bitmap& frame = render();
    EXPECT_TRUE(pixelIs(frame, {82, 120}, kRed)) << "now reaches 80..160";
    EXPECT_TRUE(pixelIs(frame, {78, 120}, kWhite));
    box->setTransform(AffineTransform::rotation(M_PI / 4));
    const Bitmap& rotated = render();
    EXPECT_TRUE(pixelIs(rotated, {101, 101}, kWhite)) << "the corner turned away";
    EXPECT_TRUE(pixelIs(rotated, {120, 93}, kRed)) << "a corner points up";
}

TEST_F(Rendering, BoundsAnimationStretchesTheKeptContent)
{
    auto window = showWindow();
    auto square = std::make_shared<SquareView>(Rect{0, 0, 100, 100});
    window->addSubview(square);
    render();
    AnimationOptions options;
    options.duration = 1;
    options.curve = AnimationCurve::Linear;
    View::animate(options, [&] { square->setFrame({0, 0, 200, 200}); });
    clock->advance(0.5); // presentation 150 x 150 around (75, 75)
    const Bitmap& frame = render();
    // Content drawn for the new 200-point bounds, shown at 150 points: the
    // green middle half spans 37.5 .. 112.5 around the presented centre.
    EXPECT_TRUE(pixelIs(frame, {75, 75}, kGreen));
    EXPECT_TRUE(pixelIs(frame, {20, 75}, kWhite));
    clock->advance(1);
    const Bitmap& done = render();
    EXPECT_TRUE(pixelIs(done, {60, 100}, kGreen));
    EXPECT_TRUE(pixelIs(done, {45, 100}, kWhite));
}

TEST_F(Rendering, TallContentIsDrawnInBandsAsItComesIntoView)
{
    auto window = showWindow();
    auto port = filled({0, 0, 100, 300}, kWhite, window);
    port->setClipsToBounds(true);
    auto tall = std::make_shared<TallView>(Rect{0, 0, 100, 1000});
    port->addSubview(tall);
    struct Row {
        double offset;                // how far the content is scrolled up
        std::vector<double> drawn;    // the band tops drawn for this frame
        Color top, bottom;            // what shows at the port's top and bottom
    };
    for (const Row& row : std::vector<Row>{
             {0, {0}, kRed, kRed},            // new content goes straight into the frame
             {20, {0, 128, 256}, kRed, kRed}, // drawn again: kept in bands from then on
             {100, {384}, kRed, kRed},        // kept bands are not drawn again
             {340, {512}, kRed, kBlue},
             {700, {640, 768, 896}, kBlue, kBlue},
             {450, {}, kRed, kBlue},          // still kept, within reach
             {0, {0, 128, 256}, kRed, kRed},  // let go once well out of view
         }) {
        tall->drawn.clear();
        tall->setFrame({0, -row.offset, 100, 1000});
        const Bitmap& frame = render();
        EXPECT_EQ(tall->drawn, row.drawn) << "scrolled " << row.offset;
        EXPECT_TRUE(pixelIs(frame, {50, 2}, row.top)) << "scrolled " << row.offset;
        EXPECT_TRUE(pixelIs(frame, {50, 297}, row.bottom)) << "scrolled " << row.offset;
    }
    tall->drawn.clear();
    tall->setNeedsDisplay();
    render();
    EXPECT_EQ(tall->drawn, (std::vector<double>{0})) << "a new drawing goes straight into the frame";
    tall->drawn.clear();
    tall->setFrame({0, -20, 100, 1000});
    render();
    EXPECT_EQ(tall->drawn, (std::vector<double>{0, 128, 256})) << "and replaces every band";
}
