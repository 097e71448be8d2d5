// Containers give their children exactly the area they have, at once: a
// container's view is loaded at the screen's size and sized by its own
// container afterwards, and nothing may wait for a layout pass to follow.

#include "ControlsTestSupport.h"

#include "platform/controls/NavigationController.h"
#include "platform/controls/TabBarController.h"
#include "platform/ui/ViewController.h"

#include <ostream>

namespace pf {
// Failures show frames as numbers.
[[maybe_unused]] static void PrintTo(const Rect& r, std::ostream* os)
{
    *os << "{" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << "}";
}
}

namespace pf::test {
namespace {

class ContainerLayout : public HostTest {
protected:
    // Where `controller`'s view is, in window coordinates.
    static Rect inWindow(const ViewControllerRef& controller)
    {
        ViewRef view = controller->view();
        return view->convertRectToView(view->bounds(), nullptr);
    }
    // The window below the status bar, as the window places its root view.
    Rect belowStatusBar() const
    {
        Rect b = window->bounds();
        return {0, 20, b.width(), b.height() - 20};
    }
};

TEST_F(ContainerLayout, StackTopFillsTheAreaBetweenTheBarsOfARootUnderTheStatusBar)
{
    struct Row {
        bool barHidden, toolbarHidden;
        double top, bottom; // what the bars take from the area below the status bar
    };
    for (const Row& row : {Row{true, true, 0, 0}, Row{false, true, 44, 0}, Row{true, false, 0, 44}, Row{false, false, 44, 44}}) {
        SCOPED_TRACE(testing::Message() << "bar hidden " << row.barHidden << ", toolbar hidden " << row.toolbarHidden);
        auto nav = std::make_shared<NavigationController>();
        auto first = std::make_shared<ViewController>(), second = std::make_shared<ViewController>();
        nav->setViewControllers({first}, false);
        nav->setNavigationBarHidden(row.barHidden, false);
        nav->setToolbarHidden(row.toolbarHidden, false);
        window->setRootViewController(nav);
        Rect area = belowStatusBar();
        Rect expected(area.x(), area.y() + row.top, area.width(), area.height() - row.top - row.bottom);
        EXPECT_EQ(inWindow(first), expected) << "the first top";
        nav->pushViewController(second, false);
        EXPECT_EQ(inWindow(second), expected) << "a pushed top";
        window->setRootViewController(nullptr);
    }
}

TEST_F(ContainerLayout, APushEndsFillingTheContentAreaOfItsEndNotOfItsStart)
{
    auto nav = std::make_shared<NavigationController>();
    auto first = std::make_shared<ViewController>(), second = std::make_shared<ViewController>();
    nav->setViewControllers({first}, false);
    nav->setNavigationBarHidden(true, false);
    window->setRootViewController(nav);
    nav->pushViewController(second, true);
    ASSERT_TRUE(nav->isTransitioning());
    Rect smaller(0, 20, 320, 400); // e.g. a keyboard or a call bar came meanwhile
    nav->view()->setFrame(smaller);
    host->advance(1);
    ASSERT_FALSE(nav->isTransitioning());
    EXPECT_EQ(inWindow(second), smaller);
    window->setRootViewController(nullptr);
}

TEST_F(ContainerLayout, SelectedTabFillsTheAreaAboveTheTabBarOfARootUnderTheStatusBar)
{
    auto tabs = std::make_shared<TabBarController>();
    auto first = std::make_shared<ViewController>();
    tabs->setViewControllers({first});
    window->setRootViewController(tabs);
    Rect area = belowStatusBar();
    EXPECT_EQ(inWindow(first), Rect(area.x(), area.y(), area.width(), area.height() - 49));
    Rect bar = tabs->tabBar()->convertRectToView(tabs->tabBar()->bounds(), nullptr);
    EXPECT_EQ(bar.maxY(), area.maxY());
    window->setRootViewController(nullptr);
}

}
}
