#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Application.h"
#include "platform/ui/ViewController.h"
#include "tests/platform/ui/UiTestSupport.h"

using namespace pf;

namespace {

// Logs its life as "name:event".
class Logged : public ViewController {
public:
    Logged(std::string name, std::vector<std::string>* log)
        : m_name(std::move(name))
        , m_log(log)
    {
    }
    void viewDidLoad() override { add("load"); }
    void viewDidUnload() override { add("unload"); }
    void viewWillAppear(bool) override { add("willAppear"); }
    void viewDidAppear(bool) override { add("didAppear"); }
    void viewWillDisappear(bool) override { add("willDisappear"); }
    void viewDidDisappear(bool) override { add("didDisappear"); }
    void viewDidLayoutSubviews() override { add("layout"); }

private:
    void add(const char* what) { m_log->push_back(m_name + ":" + what); }
    std::string m_name;
    std::vector<std::string>* m_log;
};

class Controllers : public pf::test::ScreenTest {
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        Application::shared().setStatusBarHidden(false);
    }
    std::shared_ptr<Logged> make(const char* name) { return std::make_shared<Logged>(name, &log); }
    // The log without layout lines, emptied.
    std::vector<std::string> take()
    {
        std::vector<std::string> out;
        for (auto& line : log)
            if (line.find(":layout") == std::string::npos)
                out.push_back(line);
        log.clear();
        return out;
    }
    void settle(double seconds)
    {
        clock->advance(seconds);
        RunLoop::main().runUntilIdle();
    }
    std::vector<std::string> log;
};

using Lines = std::vector<std::string>;

}

TEST_F(Controllers, RootControllerSitsBelowTheStatusBarAndAppearsWithItsWindow)
{
    auto window = Window::create();
    auto root = make("R");
    window->setRootViewController(root);
    EXPECT_EQ(take(), (Lines{"R:load"})); // a hidden window shows nothing yet
    window->makeKeyAndVisible();
    window->makeKeyAndVisible();
    EXPECT_EQ(take(), (Lines{"R:willAppear", "R:didAppear"}));
    Rect screen = Screen::main().bounds();
    EXPECT_EQ(root->view()->frame(), Rect(0, 20, screen.width(), screen.height() - 20));
    EXPECT_EQ(Application::shared().statusBarFrame(), Rect(0, 0, screen.width(), 20));

    // The bar shows the time in its own window and lets touches through.
    auto bar = Application::shared().statusBarWindow();
    EXPECT_FALSE(bar->isHidden());
    EXPECT_EQ(bar->subviews().at(0)->textContent(), "12:00");
    std::vector<std::string> touches;
    auto under = std::make_shared<pf::test::RecordingView>("under", Rect{0, 0, 100, 100}, &touches);
    window->addSubview(under);
    tap({10, 10});
    EXPECT_EQ(touches, (Lines{"under:began", "under:ended"}));

    auto full = make("F");
    full->setWantsFullScreenLayout(true);
    window->setRootViewController(full);
    EXPECT_EQ(take(), (Lines{"R:willDisappear", "R:didDisappear", "F:load", "F:willAppear", "F:didAppear"}));
    EXPECT_EQ(full->view()->frame(), screen);
    EXPECT_FALSE(root->view()->superview());
    window->setHidden(true);
    EXPECT_EQ(take(), (Lines{"F:willDisappear", "F:didDisappear"}));
    Application::shared().setStatusBarHidden(true);
    EXPECT_TRUE(Application::shared().statusBarFrame().isEmpty());
    EXPECT_TRUE(bar->isHidden());
    Application::shared().setStatusBarHidden(false);
}

TEST_F(Controllers, ModalPresentationSlidesAndAlternatesAppearance)
{
    auto window = showWindow();
    auto root = make("R");
    window->setRootViewController(root);
    take();
    auto modal = make("M");
    root->presentModalViewController(modal, true);
    EXPECT_EQ(take(), (Lines{"M:load", "M:willAppear", "R:willDisappear"}));
    double height = Screen::main().bounds().height();
    settle(0.15);
    double y = modal->view()->presentationCenter().y - modal->view()->bounds().height() / 2;
    EXPECT_TRUE(y > 20 && y < height) << y;
    EXPECT_TRUE(take().empty());
    settle(0.2);
    EXPECT_EQ(take(), (Lines{"M:didAppear", "R:didDisappear"}));
    EXPECT_EQ(modal->view()->frame().y(), 20);
    EXPECT_FALSE(root->view()->window()); // covered views leave the window
    EXPECT_EQ(modal->presentingViewController(), root);

    // A modal over the modal; dismissing from the root takes both away.
    auto top = make("T");
    modal->presentModalViewController(top, false);
    EXPECT_EQ(take(), (Lines{"T:load", "T:willAppear", "M:willDisappear", "T:didAppear", "M:didDisappear"}));
    root->presentModalViewController(make("X"), false); // already presenting: ignored
    EXPECT_TRUE(take().empty());
    root->dismissModalViewControllerAnimated(true);
    EXPECT_EQ(take(), (Lines{"T:willDisappear", "R:willAppear"}));
    EXPECT_TRUE(root->view()->window());
    settle(0.35);
    EXPECT_EQ(take(), (Lines{"T:didDisappear", "R:didAppear"}));
    EXPECT_TRUE(!top->view()->window() && !modal->view()->window());
    EXPECT_TRUE(!root->modalViewController() && !top->presentingViewController());

    // A presented controller with nothing above it dismisses itself.
    root->presentModalViewController(modal, false);
    take();
    modal->dismissModalViewControllerAnimated(false);
    EXPECT_EQ(take(), (Lines{"M:willDisappear", "R:willAppear", "M:didDisappear", "R:didAppear"}));
}

TEST_F(Controllers, MemoryWarningsReleaseViewsOutOfWindowsOnly)
{
    auto window = showWindow();
    auto shown = make("S");
    auto hidden = make("H");
    window->setRootViewController(shown);
    hidden->view();
    take();
    int posted = 0;
    auto owner = std::make_shared<int>(0);
    NotificationCenter::defaultCenter().addObserver(MemoryWarningNotification, owner,
                                                    [&](const Notification&) { ++posted; });
    Application::shared().simulateMemoryWarning();
    EXPECT_EQ(posted, 1);
    EXPECT_EQ(take(), (Lines{"H:unload"}));
    EXPECT_TRUE(!hidden->isViewLoaded() && shown->isViewLoaded());
    hidden->view();
    EXPECT_EQ(take(), (Lines{"H:load"}));
}

TEST_F(Controllers, ContainersForwardAppearanceToChildrenInTheirView)
{
    auto parent = make("P");
    auto inside = make("I");
    auto outside = make("O");
    parent->addChildViewController(inside);
    parent->addChildViewController(outside);
    parent->view()->addSubview(inside->view());
    outside->view();
    take();
    parent->beginAppearanceTransition(true, false);
    parent->beginAppearanceTransition(true, false);
    parent->endAppearanceTransition();
    EXPECT_EQ(take(), (Lines{"P:willAppear", "I:willAppear", "P:didAppear", "I:didAppear"}));
    parent->view()->layoutIfNeeded();
    log.clear();
    parent->view()->setNeedsLayout();
    parent->view()->layoutIfNeeded();
    EXPECT_EQ(log, (Lines{"P:layout"})); // only the controller whose view was marked
}
