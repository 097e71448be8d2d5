#include "TableRig.h"

#include "framework/ui/KRAnimationView.h"
#include "platform/controls/ActivityIndicatorView.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Visible parts (down, up, left, right, loading title, arrow, loading view) and
// the drawn arrow's head, probed where it points down and where it points up.
TEST(KRDragLoadingView, StatesShowPartsAndTurnArrow)
{
    pf::HeadlessHost host;
    auto owner = std::make_shared<pf::ViewController>("DragLoading", &testBundle());
    auto window = pf::Window::create();
    window->setRootViewController(owner);
    window->makeKeyAndVisible();
    auto drag = std::dynamic_pointer_cast<KRDragLoadingView>(owner->view()->subviews().at(0));
    ASSERT_TRUE(drag);
    auto* spinner = dynamic_cast<pf::ActivityIndicatorView*>(drag->loadingView().get());
    auto shown = [&] {
        std::string out;
        for (const auto& view : {pf::ViewRef(drag->downTitleLabel()), pf::ViewRef(drag->upTitleLabel()),
                                 pf::ViewRef(drag->leftTitleLabel()), pf::ViewRef(drag->rightTitleLabel()),
                                 pf::ViewRef(drag->loadingTitleLabel()), pf::ViewRef(drag->directImageView()),
                                 drag->loadingView()})
            out += view->isHidden() ? '.' : 'x';
        auto frame = host.render();
        for (pf::Point probe : {pf::Point{22.5, 153}, pf::Point{29.5, 147}}) // below the status bar
            out += frame && frame.value()->pixelAtPoint(probe).r < 200 ? 'v' : '-';
        return out + (spinner->isAnimating() ? "*" : "");
    };
    struct Row {
        const char* step;
        std::function<void()> run;
        const char* shown;
    } rows[] = {
        {"loaded", [] {}, "x....x.v-"},
        {"direct 1", [&] { drag->setDirect(1); }, ".x...x.-v"},
        {"direct 3", [&] { drag->setDirect(3); }, "...x.x.-v"},
        {"direct 7 keeps the parts", [&] { drag->setDirect(7); }, "...x.x.-v"},
        {"start", [&] { drag->startAnimation(); }, "....x.x--*"},
        {"direct 1 while loading", [&] { drag->setDirect(1); }, "....x.x--*"},
        {"start again", [&] { drag->startAnimation(); }, "....x.x--*"},
        {"stop shows the up title", [&] { drag->stopAnimation(); }, ".x...x.-v"},
        {"stop again", [&] { drag->stopAnimation(); }, ".x...x.-v"},
    };
    for (const Row& row : rows) {
        row.run();
        host.advance(0.3);
        EXPECT_EQ(shown(), row.shown) << row.step;
    }
    window->setHidden(true);
    pf::Screen::main().removeAllWindows();
}

// A loading face of our own starts and stops like the activity indicator;
// a plain view is only shown and hidden.
TEST(KRDragLoadingView, AnimationViewLoadingViewStartsOnce)
{
    struct Face : KRAnimationView {
        std::string calls;
        void startAnimating() override { calls += "start "; }
        void stopAnimating() override { calls += "stop "; }
    };
    auto face = std::make_shared<Face>();
    KRDragLoadingView drag;
    drag.setLoadingView(face);
    drag.startAnimation();
    drag.startAnimation();
    EXPECT_FALSE(face->isHidden());
    drag.stopAnimation();
    drag.stopAnimation();
    EXPECT_EQ(face->calls, "start stop ");
    EXPECT_TRUE(face->isHidden());

    auto plain = std::make_shared<pf::View>();
    drag.setLoadingView(plain);
    drag.startAnimation();
    EXPECT_FALSE(plain->isHidden());
    drag.stopAnimation();
    EXPECT_TRUE(plain->isHidden());
}

}
