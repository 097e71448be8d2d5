#include "ScreenTestSupport.h"

#include "framework/core/KRJSON.h"
#include "framework/core/KRShell.h"
#include "framework/ui/KRFoldViewController.h"
#include "platform/controls/Keyboard.h"
#include "platform/controls/TextField.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Bitmap.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace {

const char* kConfig = R"({"url": "fold:///root/home", "ui": {
    "root": {"class": "KRFoldViewController", "leftURL": "fold:///menu", "rightURL": "fold:///side"},
    "home": {"class": "ColourCard"}, "menu": {"class": "ColourCard"}, "side": {"class": "ColourCard"},
    "locked": {"class": "ColourCard", "fold": {"disabledLeft": true}}}})";

class KRFoldTest : public ScreenTest {
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        makeShell(kConfig);
        fold = std::dynamic_pointer_cast<KRFoldViewController>(showRoot());
        ASSERT_TRUE(fold);
        host->advance(0.35);
        W = fold->view()->bounds().width();
    }
    double centerX() { return fold->centerViewController()->view()->frame().x(); }
    bool shows(const pf::ViewControllerRef& c) { return c->isViewLoaded() && c->view()->superview(); }
    // Touch-down at x 100; the pan begins at x 115, where the drag's moves count from.
    void beginDrag(double x = 100)
    {
        host->touchDown({x, 300});
        host->touchMove({x + 15, 300});
    }
    void dragTo(double x) { host->touchMove({x, 300}); }
    void release(double x) { host->touchUp({x, 300}); }

    std::shared_ptr<KRFoldViewController> fold;
    double W = 0;
};

}

TEST_F(KRFoldTest, DragMovesTheCenterWithinItsLimits)
{
    double limit = W - KRFoldViewController::StripWidth;
    struct Row {
        double to;
        double x;
        bool left, right;
    } rows[] = {
        {215, 100, true, false}, {115 + W, limit, true, false}, {15, -100, false, true}, {115 - W - 50, -limit, false, true},
    };
    beginDrag();
    for (const auto& r : rows) {
        dragTo(r.to);
        EXPECT_EQ(centerX(), r.x) << r.to;
        EXPECT_EQ(shows(fold->leftViewController()), r.left) << r.to;
        EXPECT_EQ(shows(fold->rightViewController()), r.right) << r.to;
        auto side = r.left ? fold->leftViewController() : fold->rightViewController();
        EXPECT_DOUBLE_EQ(side->view()->alpha(), 0.8 + 0.2 * std::abs(r.x) / W) << r.to;
        EXPECT_TRUE(fold->isDragging());
    }
    release(115 - W - 50);
    EXPECT_FALSE(fold->isDragging());

    // A drawer narrower than the strip keeps its center in place.
    host->advance(0.35);
    fold->focusCenter(false);
    fold->view()->setFrame(pf::Rect(0, 0, 40, 400));
    fold->view()->layoutIfNeeded();
    host->advance(0.35);
    beginDrag(10);
    dragTo(30);
    EXPECT_EQ(centerX(), 0);
    release(30);
}

TEST_F(KRFoldTest, ReleaseSnapsByTheLastDirection)
{
    struct Row {
        std::vector<double> moves;
        double x; // after the snap
        bool left, right;
    } rows[] = {
        {{215}, W - 56, true, false},
        {{215, 205}, 0, false, false}, // a reverse step closes
        {{15}, 56 - W, false, true},
        {{15, 25}, 0, false, false},
    };
    for (const auto& r : rows) {
        fold->focusCenter(false);
        beginDrag();
        for (double m : r.moves)
            dragTo(m);
        release(r.moves.back());
        host->advance(0.15);
        EXPECT_TRUE(fold->isAnimating());
        host->advance(0.2);
        EXPECT_EQ(centerX(), r.x) << r.moves.size();
        EXPECT_EQ(shows(fold->leftViewController()), r.left) << r.moves.back();
        EXPECT_EQ(shows(fold->rightViewController()), r.right) << r.moves.back();
    }
}

TEST_F(KRFoldTest, TheStripTapClosesAndTheCentreIsAnnounced)
{
    std::vector<pf::Value> senders;
    auto owner = std::make_shared<int>(0);
    pf::NotificationCenter::defaultCenter().addObserver(KRFoldViewController::ToCenterNotification, owner,
                                                        [&](const pf::Notification& n) { senders.push_back(n.userInfo->get("sender")); });
    fold->focusLeft(true);
    fold->focusRight(true); // ignored during the snap
    host->advance(0.15);
    pf::Rgba8 strip = host->render().value()->pixelAtPoint({W - 10, 300});
    EXPECT_EQ(strip.b, 255) << "the center still covers the right edge mid-way";
    host->advance(0.2);
    EXPECT_EQ(centerX(), W - 56);
    EXPECT_EQ(host->render().value()->pixelAtPoint({W / 2, 300}).r, 255) << "the menu shows";

    host->tap({W - 20, 300});
    EXPECT_TRUE(fold->isAnimating());
    host->advance(0.35);
    EXPECT_EQ(centerX(), 0);
    EXPECT_FALSE(shows(fold->leftViewController()));
    ASSERT_EQ(senders.size(), 1u);
    EXPECT_EQ(senders[0].object(), std::dynamic_pointer_cast<pf::Object>(fold));

    // A tap on the centered screen does nothing.
    host->tap({W / 2, 300});
    EXPECT_EQ(senders.size(), 1u);
}

TEST_F(KRFoldTest, DisabledSidesUrlsAndResizes)
{
    fold->loadUrl(*pf::URL::create("fold:///root/locked"), "/", false);
    host->advance(0.35);
    ASSERT_EQ(fold->topController()->alias(), "locked");
    beginDrag();
    dragTo(215);
    EXPECT_EQ(centerX(), 0) << "the visible screen forbids the left side";
    dragTo(15);
    EXPECT_EQ(centerX(), -100) << "the right one is allowed";
    release(15);
    host->advance(0.35);

    for (auto [url, x] : {std::pair{"fold:///left", W - 56}, {"fold:///nothing", W - 56}, {"fold:///right", 56 - W},
                          {"fold:///center", 0.0}}) {
        EXPECT_TRUE(fold->openUrl(*pf::URL::create(url), false)) << url;
        EXPECT_EQ(centerX(), x) << url;
    }

    fold->focusLeft(false);
    fold->view()->setFrame(pf::Rect(0, 0, 400, 500));
    fold->view()->layoutIfNeeded();
    host->advance(0.35);
    EXPECT_EQ(centerX(), 400 - 56) << "the open side is applied again";

    fold->setConfig(KRJSON::decodeText(R"({"leftURL": "fold:///menu", "rightURL": "not a url"})").dictionary());
    EXPECT_EQ(fold->rightViewController(), nullptr);
    EXPECT_TRUE(fold->leftViewController());
}

TEST_F(KRFoldTest, ADrawerComingOutTakesTheKeyboardAway)
{
    auto field = std::make_shared<pf::TextField>(pf::Rect(10, 60, 200, 40));
    fold->centerViewController()->view()->addSubview(field);
    for (bool byDrag : {false, true}) {
        fold->focusCenter(false);
        host->advance(0.35);
        ASSERT_TRUE(field->beginEditing());
        ASSERT_TRUE(pf::Keyboard::shared().isVisible());
        if (byDrag) {
            // Above the keyboard, which takes the touches over it.
            host->touchDown({100, 150});
            host->touchMove({115, 150});
            host->touchMove({215, 150});
            host->touchUp({215, 150});
        } else {
            fold->focusLeft(true);
        }
        host->advance(0.35);
        EXPECT_FALSE(field->isEditing()) << byDrag;
        EXPECT_FALSE(pf::Keyboard::shared().isVisible()) << byDrag;
    }
}
