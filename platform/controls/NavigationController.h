#pragma once

// A stack of view controllers under a navigation bar: the top controller's
// view fills the area between the bar and the toolbar. Changing the top
// animates as a push (the new view slides in from the right) when the new
// top was not in the stack before, as a pop (the old view slides out to the
// right) otherwise; each lasts 0.3 s. The bar shows one item per controller,
// bottom first: the controller's navigation item, or one made from its title.
// Its back button pops the top controller.
//
// The bar may come from the interface file (the "navigationBar" outlet, any
// NavigationBar class); otherwise a plain one is made with the view. The
// toolbar starts hidden.
//
// The controllers of the stack are children of this controller; those that
// leave it, whichever way, are reported to didRemoveViewControllers() after
// the change.
//
// Main thread only.

#include "platform/ui/ViewController.h"

#include <vector>

namespace pf {

class NavigationBar;
class Toolbar;

class NavigationController : public ViewController {
public:
    NavigationController() = default;
    NavigationController(std::string nibName, const Bundle* bundle) : ViewController(std::move(nibName), bundle) {}
    ~NavigationController() override;

    const std::vector<ViewControllerRef>& viewControllers() const { return m_stack; }
    // Null entries and repeats are dropped.
    void setViewControllers(std::vector<ViewControllerRef> controllers, bool animated);
    ViewControllerRef topViewController() const { return m_stack.empty() ? nullptr : m_stack.back(); }
    void pushViewController(const ViewControllerRef& controller, bool animated);
    // The popped controller; nothing happens with one controller or none.
    ViewControllerRef popViewControllerAnimated(bool animated);
    // The popped controllers, bottom first.
    std::vector<ViewControllerRef> popToRootViewControllerAnimated(bool animated);
    // A push or pop animation is running.
    bool isTransitioning() const { return bool(m_finishTransition); }

    const std::shared_ptr<NavigationBar>& navigationBar() const { return m_bar; }
    // Before the view loads (interface files); later bars are ignored.
    void setNavigationBar(std::shared_ptr<NavigationBar> bar);
    bool isNavigationBarHidden() const { return m_barHidden; }
    void setNavigationBarHidden(bool hidden, bool animated);
    const std::shared_ptr<Toolbar>& toolbar() const { return m_toolbar; }
    void setToolbar(std::shared_ptr<Toolbar> toolbar);
    bool isToolbarHidden() const { return m_toolbarHidden; }
    void setToolbarHidden(bool hidden, bool animated);
    // The area the top controller's view fills, in this controller's view.
    Rect contentFrame() const;

    void loadView() override;
    void viewDidLayoutSubviews() override;
    // Rotation follows the top controller.
    ViewControllerRef childViewControllerForRotation() const override { return topViewController(); }

protected:
    // Controllers that left the stack, whichever way (set, pop, back button).
    virtual void didRemoveViewControllers(const std::vector<ViewControllerRef>& /*removed*/) {}

private:
    void installBars();
    void layoutBars();
    void updateBarItems();
    void transition(const ViewControllerRef& from, const ViewControllerRef& to, bool push, bool animated);
    void backButtonTapped();
    void finishTransition();

    std::vector<ViewControllerRef> m_stack;
    std::shared_ptr<NavigationBar> m_bar;
    std::shared_ptr<Toolbar> m_toolbar;
    ViewRef m_content;
    bool m_barHidden = false;
    bool m_toolbarHidden = true;
    std::function<void()> m_finishTransition;
};

}
