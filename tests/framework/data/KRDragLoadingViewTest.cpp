#include "framework/data/KRDragLoadingView.h"
#include "platform/controls/ActivityIndicatorView.h"
#include "platform/foundation/Bundle.h"
#include "platform/graphics/Bitmap.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/InterfaceFile.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace {

// The drag view of the test file shown in a headless window.
struct DragScene {
    pf::HeadlessHost host;
    std::shared_ptr<pf::ViewController> owner = std::make_shared<pf::ViewController>();
    std::shared_ptr<KRDragLoadingView> drag;
    std::shared_ptr<pf::Window> window;

    DragScene()
    {
        pf::Bundle bundle(std::string(std::getenv("ZMR_SOURCE_DIR")) + "/tests/resources");
        auto file = pf::InterfaceFile::named("DragLoading", bundle);
        EXPECT_TRUE(file) << file.error().description;
        auto objects = file.value()->instantiate(owner);
        EXPECT_TRUE(objects) << objects.error().description;
        drag = std::dynamic_pointer_cast<KRDragLoadingView>(owner->view()->subviews().at(0));
        window = pf::Window::create();
        window->setRootViewController(owner);
        window->makeKeyAndVisible();
    }
    ~DragScene()
    {
        window->setHidden(true);
        pf::Screen::main().removeAllWindows();
    }
    // Which parts show, in the order down, up, left, right, loading title, arrow, loading view.
    std::string shown() const
    {
        std::string out;
        for (const auto& view : {pf::ViewRef(drag->downTitleLabel()), pf::ViewRef(drag->upTitleLabel()),
                                 pf::ViewRef(drag->leftTitleLabel()), pf::ViewRef(drag->rightTitleLabel()),
                                 pf::ViewRef(drag->loadingTitleLabel()), pf::ViewRef(drag->directImageView()),
                                 drag->loadingView()})
            out += view->isHidden() ? '.' : 'x';
        return out;
    }
    bool greyAt(pf::Point p)
    {
        auto frame = host.render();
        return frame && frame.value()->pixelAtPoint(p).r < 200;
    }
};

TEST(KRDragLoadingView, StatesShowOnePartSet)
{
    DragScene scene;
    ASSERT_TRUE(scene.drag);
    auto& drag = *scene.drag;
    auto* spinner = dynamic_cast<pf::ActivityIndicatorView*>(drag.loadingView().get());
    ASSERT_TRUE(spinner);
    struct Row {
        const char* step;
        std::function<void()> run;
        const char* shown;
        bool spinning;
    } rows[] = {
        {"loaded", [] {}, "x....x.", false},
        {"direct 1", [&] { drag.setDirect(1); }, ".x...x.", false},
        {"direct 3", [&] { drag.setDirect(3); }, "...x.x.", false},
        {"direct 7 keeps the parts", [&] { drag.setDirect(7); }, "...x.x.", false},
        {"start", [&] { drag.startAnimation(); }, "....x.x", true},
        {"direct 1 while loading", [&] { drag.setDirect(1); }, "....x.x", true},
        {"start again", [&] { drag.startAnimation(); }, "....x.x", true},
        {"stop shows the up title", [&] { drag.stopAnimation(); }, ".x...x.", false},
        {"stop again", [&] { drag.stopAnimation(); }, ".x...x.", false},
        {"direct 2", [&] { drag.setDirect(2); }, "..x..x.", false},
    };
    for (const Row& row : rows) {
        row.run();
        scene.host.advance(0.3);
        EXPECT_EQ(scene.shown(), row.shown) << row.step;
        EXPECT_EQ(spinner->isAnimating(), row.spinning) << row.step;
        EXPECT_EQ(drag.isAnimating(), row.spinning) << row.step;
    }
}

// The drawn arrow points down at rest and turns half a turn for direction 1.
TEST(KRDragLoadingView, ArrowTurnsWithDirection)
{
    DragScene scene;
    ASSERT_TRUE(scene.drag);
    const pf::Point head{22.5, 153}, turnedHead{29.5, 147}; // below the status bar;
    EXPECT_TRUE(scene.greyAt(head));
    EXPECT_FALSE(scene.greyAt(turnedHead));
    scene.drag->setDirect(1);
    scene.host.advance(0.3);
    EXPECT_FALSE(scene.greyAt(head));
    EXPECT_TRUE(scene.greyAt(turnedHead));
    scene.drag->startAnimation();
    scene.host.advance(0.1);
    EXPECT_FALSE(scene.greyAt(turnedHead)); // the arrow hides while loading
}

// A loading view without a progress key only shows and hides; one with it gets the value.
TEST(KRDragLoadingView, OffsetReachesLoadingViewThatTakesIt)
{
    KRDragLoadingView drag;
    auto plain = std::make_shared<pf::View>();
    plain->setHidden(true);
    drag.setLoadingView(plain);
    drag.setOffsetValue(0.5);
    drag.startAnimation();
    EXPECT_FALSE(plain->isHidden());
    drag.stopAnimation();
    EXPECT_TRUE(plain->isHidden());
    auto nested = std::make_shared<KRDragLoadingView>();
    drag.setLoadingView(nested);
    drag.setOffsetValue(0.75);
    EXPECT_EQ(nested->offsetValue(), 0.75);
}

}
