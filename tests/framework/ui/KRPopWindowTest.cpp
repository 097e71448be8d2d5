#include "ScreenTestSupport.h"

#include "framework/core/KRController.h"
#include "framework/core/KRShell.h"
#include "framework/ui/KRPopWindow.h"
#include "framework/ui/KRViewController.h"
#include "platform/graphics/Bitmap.h"
#include "platform/ui/View.h"

namespace {

const char* kConfig = R"({
  "url": "root:///root",
  "ui": {
    "root": {"class": "KRNavigationController", "scheme": "root", "navbar-hidden": true},
    "home": {"class": "KRViewController"},
    "sheet": {"class": "KRViewController"}
  }
})";

class KRPopWindowTest : public ScreenTest {
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        makeShell(kConfig);
        showRoot();
        window->setBackgroundColor(pf::Color::whiteColor());
        ASSERT_TRUE(navigate("root:///root/home"));
    }
    // Opens a sheet whose view covers only the lower part of the screen.
    std::shared_ptr<KRPopWindow> open(const pf::Color& colour)
    {
        EXPECT_TRUE(navigate("pop:///sheet"));
        auto pop = KRPopWindow::topPopWindow();
        auto view = pop->rootViewController()->view();
        view->setFrame(pf::Rect(0, 400, 320, 168));
        view->setBackgroundColor(colour);
        return pop;
    }
    // The grey level at a point: 255 white, lower when dimmed or uncovered.
    int grey(pf::Point p)
    {
        auto frame = host->render();
        EXPECT_TRUE(frame.ok());
        return frame.ok() ? frame.value()->pixelAtPoint(p).g : -1;
    }
    void close(const std::shared_ptr<KRPopWindow>& pop, bool animated)
    {
        pop->closeAnimated(animated);
        host->advance(0.35);
    }
};

TEST_F(KRPopWindowTest, TheWindowBelowShrinksAndDimsUntilTheTopOneCloses)
{
    const pf::Point edge{0.5, 200}, middle{160, 200}, sheet{160, 500};
    EXPECT_EQ(grey(edge), 255);
    auto first = open(pf::Color::rgb(0, 0, 1));
    EXPECT_LT(grey(edge), 128);                // the shrunk window leaves the edge
    EXPECT_NEAR(grey(middle), 242, 3);          // 95 % of white
    EXPECT_EQ(grey(sheet), 0);                  // the sheet itself is blue
    EXPECT_TRUE(first->isKeyWindow());

    close(first, true);
    EXPECT_EQ(grey(edge), 255);
    EXPECT_EQ(grey(middle), 255);
    EXPECT_TRUE(window->isKeyWindow());
    EXPECT_TRUE(first->isHidden());
    EXPECT_EQ(KRPopWindow::topPopWindow(), nullptr);
}

TEST_F(KRPopWindowTest, NestedWindowsCloseInAnyOrder)
{
    struct Row {
        bool topFirst;
        bool animated;
    } rows[] = {{true, true}, {true, false}, {false, true}, {false, false}};
    for (const auto& r : rows) {
        auto first = open(pf::Color::rgb(0, 0, 1));
        auto second = open(pf::Color::rgb(1, 0, 0));
        EXPECT_EQ(second->keyWindow(), first);
        EXPECT_TRUE(second->isKeyWindow());
        auto& earlier = r.topFirst ? second : first;
        auto& later = r.topFirst ? first : second;
        close(earlier, r.animated);
        // The remaining one is key and restores the application's window.
        EXPECT_TRUE(later->isKeyWindow()) << r.topFirst << r.animated;
        EXPECT_EQ(later->keyWindow(), window) << r.topFirst << r.animated;
        EXPECT_NEAR(grey({160, 200}), 242, 3);
        close(later, r.animated);
        EXPECT_TRUE(window->isKeyWindow()) << r.topFirst << r.animated;
        EXPECT_FALSE(window->layerMaskColor());
        EXPECT_EQ(grey({0.5, 200}), 255);
        EXPECT_TRUE(KRPopWindow::openWindows().empty());
        EXPECT_TRUE(first->isHidden() && second->isHidden());
    }
}

TEST_F(KRPopWindowTest, ShowAndCloseIgnoreWindowsInTheWrongState)
{
    auto stray = KRPopWindow::popWindow();
    stray->closeAnimated(false); // hidden and not open
    EXPECT_TRUE(stray->isHidden());

    auto action = std::make_shared<KRAction>();
    action->setActionName("popclose");
    auto home = std::dynamic_pointer_cast<KRViewController>(shell->rootViewController()->topController());
    home->doAction(action); // nothing open

    auto pop = open(pf::Color::rgb(0, 0, 1));
    pop->showAnimated(true); // already shown
    EXPECT_FALSE(pop->isAnimating());
    pop->closeAnimated(true);
    EXPECT_TRUE(pop->isAnimating());
    pop->closeAnimated(false); // animating: the running close goes on
    EXPECT_FALSE(pop->isHidden());
    host->advance(0.35);
    EXPECT_TRUE(pop->isHidden());
    EXPECT_TRUE(KRPopWindow::openWindows().empty());

    // A closed window is held until the next turn of the loop, then freed.
    std::weak_ptr<KRPopWindow> weak = pop;
    pop.reset();
    host->advance(0);
    EXPECT_TRUE(weak.expired());
}

}
