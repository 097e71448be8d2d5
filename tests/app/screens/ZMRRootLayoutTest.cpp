// Every screen of the root stack fills the window below the status bar, as
// soon as it is shown: nothing hangs below the window's bottom edge, where it
// could be neither seen nor tapped.

#include "AppScreenTest.h"

#include "framework/core/IKRUIViewController.h"
#include "framework/ui/KRFoldViewController.h"
#include "platform/controls/NavigationController.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

namespace {

class RootLayout : public AppScreenTest {
protected:
    std::shared_ptr<pf::ViewController> top() const
    {
        return topController<pf::ViewController>();
    }
    // `screen`'s view is exactly the window below the status bar.
    static void expectFillsBelowStatusBar(const pf::ViewControllerRef& screen)
    {
        ASSERT_TRUE(screen && screen->isViewLoaded());
        pf::ViewRef view = screen->view();
        auto window = view->window();
        ASSERT_TRUE(window);
        pf::Rect b = window->bounds();
        pf::Rect visible(b.x(), b.y() + 20, b.width(), b.height() - 20);
        pf::Rect frame = view->convertRectToView(view->bounds(), nullptr);
        EXPECT_EQ(frame.x(), visible.x());
        EXPECT_EQ(frame.y(), visible.y());
        EXPECT_EQ(frame.width(), visible.width());
        EXPECT_EQ(frame.height(), visible.height());
    }
};

TEST_F(RootLayout, EveryScreenFillsTheWindowBelowTheStatusBar)
{
    for (const char* url : {"root:///root/login", "root:///root/fold/center/home",
                            "root:///root/fold/center/prize-details?pid=2",
                            "root:///root/fold/center/prizelist/prize-details?pid=2",
                            "root:///root/fold/center/home/feed-details?pid=3"}) {
        SCOPED_TRACE(url);
        ASSERT_TRUE(open(url));
        expectFillsBelowStatusBar(top());
    }
}

TEST_F(RootLayout, TheDrawersSideFillsTheWindowBelowTheStatusBar)
{
    ASSERT_TRUE(open("root:///root/fold/center/home"));
    auto root = std::dynamic_pointer_cast<pf::NavigationController>(shell->rootViewController());
    auto drawer = std::dynamic_pointer_cast<KRFoldViewController>(root ? root->topViewController() : nullptr);
    ASSERT_TRUE(drawer);
    drawer->focusLeft(false);
    ASSERT_TRUE(settle());
    expectFillsBelowStatusBar(drawer->leftViewController());
}

}
