// The main window's status-bar tap, its search for the front-most list, and
// the markup-bound button.

#include "app/screens/shared/ZMRButton.h"
#include "app/screens/shared/ZMRWindow.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMElementDelegate.h"
#include "platform/controls/ScrollView.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/Application.h"

#include <gtest/gtest.h>

#include <map>

namespace {

std::shared_ptr<pf::ScrollView> scroller(const pf::Rect& frame, double contentHeight)
{
    auto view = std::make_shared<pf::ScrollView>(frame);
    view->setContentSize({frame.size.width, contentHeight});
    return view;
}

class Recorder : public KRDOMElementDelegate {
public:
    void krDOMElementDoAction(KRDOMElement& element) override { actions += std::string(element.name()) + " "; }
    std::string actions;
};

}

TEST(ZMRWindowSearch, FindsTheFrontMostVisibleScrollViewThatScrollsToTop)
{
    // Each row builds a tree in a fresh window and names the view expected.
    struct Row {
        const char* name;
        std::function<void(pf::View& window, std::map<std::string, pf::ViewRef>& named)> build;
        const char* found; // nullptr: none
    } rows[] = {
        {"table behind an empty scroll view",
         [](pf::View& w, auto& n) {
             w.addSubview(n["table"] = scroller({0, 20, 320, 460}, 2000));
             w.addSubview(n["empty"] = scroller({0, 20, 320, 100}, 0));
         },
         "table"},
        {"a scroll view that does not scroll to top is searched inside",
         [](pf::View& w, auto& n) {
             w.addSubview(n["table"] = scroller({0, 20, 320, 460}, 2000));
             auto outer = scroller({0, 0, 320, 480}, 900);
             outer->setScrollsToTop(false);
             outer->addSubview(n["inner"] = scroller({0, 0, 320, 200}, 500));
             w.addSubview(n["outer"] = outer);
         },
         "inner"},
        {"a hidden branch is skipped whole",
         [](pf::View& w, auto& n) {
             w.addSubview(n["table"] = scroller({0, 20, 320, 460}, 2000));
             auto cover = pf::View::create({0, 0, 320, 480});
             cover->addSubview(scroller({0, 0, 320, 480}, 900));
             cover->setHidden(true);
             w.addSubview(cover);
         },
         "table"},
        {"a view outside the window is skipped",
         [](pf::View& w, auto& n) {
             w.addSubview(n["table"] = scroller({0, 20, 320, 460}, 2000));
             w.addSubview(scroller({320, 0, 320, 480}, 900));
         },
         "table"},
        {"nothing with content",
         [](pf::View& w, auto& n) { w.addSubview(n["empty"] = scroller({0, 20, 320, 460}, 0)); }, nullptr},
    };
    pf::HeadlessHost host;
    for (const Row& row : rows) {
        auto window = std::make_shared<ZMRWindow>(pf::Rect{0, 0, 320, 480});
        EXPECT_FALSE(window->topScrollViewInView(window)); // a hidden window
        window->makeKeyAndVisible();
        std::map<std::string, pf::ViewRef> named;
        row.build(*window, named);
        auto found = window->topScrollViewInView(window);
        window->setHidden(true);
        if (row.found) {
            EXPECT_EQ(found, named[row.found]) << row.name;
        } else {
            EXPECT_FALSE(found) << row.name;
        }
    }
}

TEST(ZMRWindowStatusBar, ATapOnTheStatusBarScrollsTheFrontListToItsTop)
{
    pf::HeadlessHost host;
    auto window = std::make_shared<ZMRWindow>(pf::Rect{0, 0, 320, 568});
    auto table = scroller({0, 20, 320, 548}, 3000);
    window->addSubview(table);
    window->makeKeyAndVisible();
    pf::Application::shared().statusBarWindow();
    table->setContentOffset({0, 900});

    host.tap({160, 300}); // below the bar: no scroll
    host.advance(0.5);
    EXPECT_EQ(table->contentOffset().y, 900);
    host.tap({160, 10});
    host.advance(0.5);
    EXPECT_EQ(table->contentOffset().y, 0);

    pf::Application::shared().setStatusBarHidden(true); // no bar, no scroll
    table->setContentOffset({0, 900});
    host.tap({160, 10});
    host.advance(0.5);
    EXPECT_EQ(table->contentOffset().y, 900);
    pf::Application::shared().setStatusBarHidden(false);
    window->setHidden(true);
}

TEST(ZMRButtonActions, RaiseTheElementsActionOnlyForATouchEndingInsideWhileTheElementLives)
{
    pf::HeadlessHost host;
    auto window = pf::Window::create({0, 0, 320, 480});
    auto button = std::make_shared<ZMRButton>(pf::Rect{100, 100, 80, 40});
    window->addSubview(button);
    window->makeKeyAndVisible();
    auto recorder = std::make_shared<Recorder>();
    auto element = std::make_shared<KRDOMElement>("like", "");
    element->setAttributeValue("赞", "title");
    element->setDelegate(recorder);
    button->setElement(element);
    EXPECT_EQ(button->currentTitle(), "赞");

    host.touchDown({140, 120});
    EXPECT_TRUE(button->isHighlighted());
    host.touchUp({140, 120});
    EXPECT_EQ(recorder->actions, "like ");

    host.touchDown({140, 120});
    host.touchMove({200, 120}); // outside the bounds, inside the control's slop
    host.touchUp({200, 120});
    EXPECT_EQ(recorder->actions, "like ");

    element.reset(); // the button does not keep it
    EXPECT_FALSE(button->telement());
    host.tap({140, 120});
    EXPECT_EQ(recorder->actions, "like ");
    window->setHidden(true);
}
