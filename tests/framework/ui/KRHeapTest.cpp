#include "ScreenTestSupport.h"

#include "framework/core/KRShell.h"
#include "framework/ui/KRHeapViewController.h"
#include "platform/graphics/Bitmap.h"
#include "platform/ui/Application.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace {

const char* kConfig = R"({"url": "root:///root/a", "ui": {
    "root": {"class": "KRHeapViewController", "scheme": "root"},
    "a": {"class": "ColourCard"}, "b": {"class": "ColourCard"}, "c": {"class": "ColourCard", "cached": true},
    "locked": {"class": "ColourCard", "heap": {"disabled": true}}}})";

class KRHeapTest : public ScreenTest {
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        makeShell(kConfig);
        heap = std::dynamic_pointer_cast<KRHeapViewController>(showRoot());
        ASSERT_TRUE(heap);
        window->setBackgroundColor(pf::Color::whiteColor());
        W = heap->view()->bounds().width();
    }
    pf::ViewRef card(std::size_t i) { return heap->viewControllers().at(i)->view(); }
    pf::Rgba8 pixel(pf::Point p)
    {
        auto frame = host->render();
        return frame.ok() ? frame.value()->pixelAtPoint(p) : pf::Rgba8{};
    }
    bool open(const char* url) { return heap->openUrl(*pf::URL::create(url), true); }
    // Touch-down at x 50, then the pan begins at x 65 (past the 10-point slop).
    void beginDrag()
    {
        host->touchDown({50, 300});
        host->touchMove({65, 300});
    }

    std::shared_ptr<KRHeapViewController> heap;
    double W = 0;
};

}

TEST_F(KRHeapTest, UrlsRebuildTheStackKeepingMatchingCards)
{
    struct Row {
        const char* url;
        const char* tree;
    } rows[] = {
        {"root:///root/a/b/c", "  ColourCard a /root/a parent=root\n  ColourCard b /root/a/b parent=root\n"
                               "  ColourCard c /root/a/b/c parent=root\n"},
        {"root:///root/a/missing/c", "  ColourCard a /root/a parent=root\n"},
        {"root:///root/b/a", "  ColourCard b /root/b parent=root\n  ColourCard a /root/b/a parent=root\n"},
        {"root:///root", ""},
    };
    for (const auto& r : rows) {
        EXPECT_TRUE(navigate(r.url)) << r.url;
        EXPECT_EQ(dumpTree(), std::string("KRHeapViewController root /root parent=-\n") + r.tree) << r.url;
        auto top = heap->topViewController();
        EXPECT_EQ(heap->view()->subviews().size(), top ? 1u : 0u) << r.url << ": only the top card stays on";
        if (top) {
            EXPECT_EQ(top->view()->frame(), heap->view()->bounds()) << r.url;
        }
    }
    EXPECT_FALSE(navigate("other:///root/a"));
}

TEST_F(KRHeapTest, PushAndPopSlideTheTopAndCoverTheCardBelow)
{
    ASSERT_TRUE(open("root:///root/a/b"));
    host->advance(0.15);
    auto below = card(0), top = card(1);
    EXPECT_NEAR(top->presentationCenter().x - W / 2, W / 2, W / 4) << "half-way in";
    EXPECT_NEAR(below->presentationTransform().a, 0.99, 0.006);
    ASSERT_TRUE(below->presentationLayerMaskColor());
    EXPECT_NEAR(below->presentationLayerMaskColor()->alpha, 0.9, 0.06);
    pf::Rgba8 left = pixel({W / 8, 300}), right = pixel({W - 10, 300});
    EXPECT_TRUE(left.r == 255 && left.g > 0) << "the card below, dimmed towards white";
    EXPECT_TRUE(right.g == 255 && right.r == 0) << "the top card";

    host->advance(0.2);
    EXPECT_TRUE(!below->superview() && below->transform().isIdentity() && !below->layerMaskColor()) << "taken off, restored";

    // Back by URL: the top slides out and the card below grows back.
    auto leaving = heap->viewControllers().at(1);
    ASSERT_TRUE(open("root:///root/a"));
    host->advance(0.15);
    EXPECT_GT(top->presentationCenter().x, W / 2);
    EXPECT_LT(below->presentationTransform().a, 1);
    host->advance(0.2);
    EXPECT_EQ(top->superview(), nullptr);
    EXPECT_TRUE(below->transform().isIdentity());
    EXPECT_EQ(std::dynamic_pointer_cast<IKRUIViewController>(leaving)->parentController(), nullptr);
}

TEST_F(KRHeapTest, ACardShownAgainBeforeItsCompletionStaysOn)
{
    ASSERT_TRUE(open("root:///root/a/b"));
    host->advance(0.1);
    auto a = card(0);
    ASSERT_TRUE(heap->openUrl(*pf::URL::create("root:///root/a"), false));
    host->advance(0.4);
    EXPECT_EQ(a->superview(), heap->view()) << "the covering's completion left it alone";
    EXPECT_EQ(a->frame(), heap->view()->bounds());

    // The same list again: no transition, the top card only made sure of.
    a->setFrame(pf::Rect(30, 0, W, 100));
    ASSERT_TRUE(open("root:///root/a"));
    EXPECT_EQ(a->frame(), heap->view()->bounds());
    EXPECT_FALSE(a->hasAnimations());
    EXPECT_FALSE(heap->isAnimating());
}

TEST_F(KRHeapTest, DraggingUncoversTheCardBelowAndPopsOrReturns)
{
    ASSERT_TRUE(navigate("root:///root/a/b"));
    auto below = card(0), top = card(1);
    pf::Application::shared().setStatusBarOrientation(pf::InterfaceOrientation::LandscapeRight);
    beginDrag();
    host->touchMove({165, 300});
    EXPECT_EQ(top->frame().x(), 100);
    EXPECT_EQ(below->superview(), heap->view());
    EXPECT_DOUBLE_EQ(below->transform().a, 0.98 + 0.02 * 100 / W);
    EXPECT_DOUBLE_EQ(below->layerMaskColor()->alpha, 0.8 + 0.2 * 100 / W);
    EXPECT_FALSE(open("root:///root/a")) << "refused while dragging";
    EXPECT_FALSE(heap->shouldAutorotate());
    EXPECT_EQ(heap->supportedInterfaceOrientations(), 1u << pf::InterfaceOrientation::LandscapeRight);
    pf::Application::shared().setStatusBarOrientation(pf::InterfaceOrientation::Portrait);

    // The last step was leftwards: the card slides back and the one below goes.
    host->touchMove({150, 300});
    host->touchUp({150, 300});
    host->advance(0.15);
    EXPECT_GT(top->presentationCenter().x, W / 2);
    host->advance(0.2);
    EXPECT_EQ(top->frame().x(), 0);
    EXPECT_EQ(below->superview(), nullptr);
    EXPECT_EQ(heap->viewControllers().size(), 2u);

    beginDrag();
    host->touchMove({200, 300});
    host->touchUp({200, 300});
    EXPECT_TRUE(heap->isAnimating());
    EXPECT_FALSE(open("root:///root/a/c")) << "refused while the card moves";
    host->advance(0.35);
    EXPECT_EQ(heap->viewControllers().size(), 1u);
    EXPECT_EQ(top->superview(), nullptr);
    EXPECT_EQ(below->frame(), heap->view()->bounds());
}

TEST_F(KRHeapTest, CardsThatCannotBeDraggedStayPut)
{
    for (auto [url, cards] : {std::pair{"root:///root/a", 1u}, {"root:///root/a/locked", 2u}}) { // alone, or locked
        ASSERT_TRUE(navigate(url));
        auto top = heap->topViewController()->view();
        beginDrag();
        host->touchMove({165, 300});
        EXPECT_EQ(top->frame().x(), 0) << url;
        host->touchUp({165, 300});
        host->advance(0.35);
        EXPECT_EQ(heap->viewControllers().size(), cards) << url;
    }
}

TEST_F(KRHeapTest, ACachedCardDragPoppedIsReusedByTheNextOpening)
{
    ASSERT_TRUE(navigate("root:///root/a/c"));
    auto cached = std::dynamic_pointer_cast<IKRUIViewController>(heap->topViewController());
    beginDrag();
    host->touchMove({200, 300});
    host->touchUp({200, 300});
    host->advance(0.35);
    EXPECT_EQ(cached->parentController(), nullptr);
    EXPECT_TRUE(cached->isDisplaced());
    ASSERT_TRUE(navigate("root:///root/a/c"));
    EXPECT_EQ(heap->topController(), cached);
}

TEST_F(KRHeapTest, CardsThatLeaveAreNoLongerCounted)
{
    // New cards come and go, animated or not, by URL, push and pop; only the
    // stack's card views stay counted once every slide has ended.
    for (int round = 0; round < 6; round++) {
        bool animated = round % 2;
        for (const char* url : {"root:///root/a/b/c", "root:///root/b", "root:///root/a/b", "root:///root/a"}) {
            ASSERT_TRUE(heap->openUrl(*pf::URL::create(url), animated)) << url;
            host->advance(0.35);
        }
        heap->pushViewController(std::make_shared<pf::ViewController>(), animated);
        host->advance(0.35);
        heap->popViewController(animated);
        host->advance(0.35);
        EXPECT_FALSE(heap->isAnimating());
        EXPECT_LE(heap->countedCardViews(), heap->viewControllers().size()) << round;
    }
}
