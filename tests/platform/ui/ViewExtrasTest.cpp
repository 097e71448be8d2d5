#include "platform/graphics/Image.h"
#include "platform/ui/PerformRequest.h"
#include "tests/platform/graphics/PixelProbe.h"
#include "tests/platform/ui/UiTestSupport.h"

using namespace pf;
using pf::test::pixelIs;

namespace {

class ViewExtras : public pf::test::RenderingTest {};

// Records what reaches it as a first responder.
class Field : public View {
public:
    using View::View;
    bool canBecomeFirstResponder() const override { return true; }
    bool wantsTextInput() const override { return true; }
    void insertText(const std::string& utf8) override { log += "+" + utf8; }
    void deleteBackward() override { log += "<"; }
    void setMarkedText(const std::string& utf8) override { log += "~" + utf8; }
    // Before a move the view is still where it was.
    void willMoveToWindow(Window* to) override { moves += std::string(to ? "to-" : "from-") + (window() ? "w " : "- "); }
    void didMoveToWindow() override { moves += window() ? "in " : "out "; }
    void didResignFirstResponder() override { log += "!"; }
    std::string log, moves;
};

ImageRef twoColourImage()
{
    // Left half red, right half blue, 20 x 10 pixels.
    auto bitmap = Bitmap::create(20, 10).value();
    auto context = std::move(GraphicsContext::create(*bitmap).value());
    context->fillRect({0, 0, 10, 10}, Color::rgb(1, 0, 0));
    context->fillRect({10, 0, 10, 10}, Color::rgb(0, 0, 1));
    return Image::create(bitmap);
}

}

TEST_F(ViewExtras, MaskColourShowsTheSubtreeAtItsAlphaAndAnimates)
{
    auto window = showWindow(Color::whiteColor());
    auto box = filled({0, 0, 100, 100}, Color::black(), window);
    filled({50, 0, 50, 100}, Color::rgb(1, 0, 0), box);

    box->setLayerMaskColor(Color::white(0, 0.8));
    EXPECT_TRUE(pixelIs(render(), {10, 50}, Color::white(0.2)));
    EXPECT_TRUE(pixelIs(render(), {75, 50}, Color::rgb(1, 0.2, 0.2)));

    box->setLayerMaskColor(Color::clear());
    View::animate(1.0, [&] { box->setLayerMaskColor(Color::black()); });
    EXPECT_EQ(box->layerMaskColor(), Color::black()); // the model value is set at once
    clock->advance(0.5);
    EXPECT_TRUE(pixelIs(render(), {10, 50}, Color::white(0.5), 6));
    box->removeAllAnimations();
    EXPECT_FALSE(box->hasAnimations());
    EXPECT_TRUE(pixelIs(render(), {10, 50}, Color::black()));
}

TEST_F(ViewExtras, ContentsDrawThePartChosenByRectAndGravity)
{
    auto window = showWindow(Color::whiteColor());
    auto view = View::create({0, 0, 100, 100});
    window->addSubview(view);
    view->setContents(twoColourImage());
    struct Row {
        Rect contentsRect;
        ImageGravity gravity;
        Point probe;
        Color expected;
    };
    const Row rows[] = {
        {{0, 0, 1, 1}, ImageGravity::Resize, {25, 90}, Color::rgb(1, 0, 0)},
        {{0.5, 0, 0.5, 1}, ImageGravity::Resize, {25, 50}, Color::rgb(0, 0, 1)},
        {{0, 0, 1, 1}, ImageGravity::ResizeAspect, {50, 10}, Color::whiteColor()},
        {{0, 0, 1, 1}, ImageGravity::Center, {30, 50}, Color::whiteColor()},
    };
    for (const Row& row : rows) {
        view->setContentsRect(row.contentsRect);
        view->setContentsGravity(row.gravity);
        EXPECT_TRUE(pixelIs(render(), row.probe, row.expected)) << int(row.gravity) << " " << row.probe.x;
    }
}

TEST_F(ViewExtras, RenderViewDrawsTheSubtreeAtItsOwnOrigin)
{
    auto view = filled({300, 300, 40, 20}, Color::rgb(0, 0, 1));
    filled({20, 0, 20, 20}, Color::rgb(1, 0, 0), view);
    auto picture = Compositor::renderView(*view, 2).value();
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->pixelWidth(), 80);
    EXPECT_TRUE(pixelIs(*picture, {5, 10}, Color::rgb(0, 0, 1)));
    EXPECT_TRUE(pixelIs(*picture, {35, 10}, Color::rgb(1, 0, 0)));
    EXPECT_EQ(Compositor::renderView(*View::create({0, 0, 0, 10}), 2).value(), nullptr);
}

TEST_F(ViewExtras, PerformRequestsFollowTheClockAndCanBeCancelled)
{
    auto target = std::make_shared<Object>();
    std::weak_ptr<Object> weak = target;
    std::vector<std::string> log;
    performAfterDelay(target, "late", 0.5, [&] { log.push_back("late"); });
    performAfterDelay(target, "soon", 0.2, [&] { log.push_back("soon"); });
    performAfterDelay(target, "now", 0, [&] { log.push_back("now"); });
    performAfterDelay(target, "dropped", 0, [&] { log.push_back("dropped"); });
    cancelPreviousPerformRequests(*target, "dropped");
    target.reset();
    EXPECT_FALSE(weak.expired()); // the requests hold their target
    EXPECT_TRUE(log.empty());     // never inside the call
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(log, (std::vector<std::string>{"now"}));
    clock->advance(0.3);
    EXPECT_EQ(log, (std::vector<std::string>{"now", "soon"}));
    cancelPreviousPerformRequests(*weak.lock());
    clock->advance(1);
    EXPECT_EQ(log.size(), 2u);
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(pendingPerformRequestCount(), 0u);
}

TEST_F(ViewExtras, FirstResponderTakesKeyEventsInItsWindowOnly)
{
    auto window = showWindow();
    auto field = std::make_shared<Field>(Rect{0, 0, 100, 30});
    auto other = std::make_shared<Field>(Rect{0, 40, 100, 30});
    EXPECT_FALSE(field->becomeFirstResponder()); // no window yet
    window->addSubview(field);
    window->addSubview(other);
    EXPECT_EQ(field->moves, "to-- in ");
    EXPECT_FALSE(View::create()->becomeFirstResponder());
    EXPECT_FALSE(Screen::main().wantsTextInput());
    ASSERT_TRUE(field->becomeFirstResponder());
    EXPECT_TRUE(Screen::main().wantsTextInput());

    auto& screen = Screen::main();
    screen.postKeyEvent({KeyEvent::Kind::MarkedText, "ni"});
    screen.postKeyEvent({KeyEvent::Kind::MarkedText, ""});
    screen.postKeyEvent({KeyEvent::Kind::Text, "\xe4\xbd\xa0\xff\xe5\xa5"}); // 你, a stray byte, a cut character
    screen.postKeyEvent({KeyEvent::Kind::Text, "\xff"});                     // nothing valid: no call
    screen.postKeyEvent({KeyEvent::Kind::Backspace, ""});
    screen.deliverInput();
    EXPECT_EQ(field->log, "~ni~+\xe4\xbd\xa0<");

    ASSERT_TRUE(other->becomeFirstResponder());
    EXPECT_EQ(field->log.back(), '!');
    EXPECT_FALSE(field->isFirstResponder());
    other->removeFromSuperview(); // leaving the window resigns
    EXPECT_EQ(other->moves, "to-- in from-w out ");
    EXPECT_EQ(window->firstResponder(), nullptr);
    EXPECT_EQ(other->log, "!");
}
