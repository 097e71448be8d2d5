#pragma once

// A controller of one view tree: it makes its view lazily (from an
// interface file when it has a nib name), is told when the view appears and
// disappears, passes memory warnings on and presents other controllers
// modally. Containers hold child controllers; the child's link to its
// parent is weak.
//
// Appearance: a controller appears as a shown window's root controller, by
// modal presentation, or when a container calls beginAppearanceTransition /
// endAppearanceTransition on it. The calls alternate: a second "will appear"
// without a disappearance in between is not sent. A parent passes its
// appearance calls on to those children whose views lie in its view.
//
// Main thread only.

#include "platform/foundation/Object.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Forward.h"

#include <optional>
#include <string>
#include <vector>

namespace pf {

class ViewController;
using ViewControllerRef = std::shared_ptr<ViewController>;

// Edges a controller's view extends under bars to (stored only).
using RectEdge = unsigned;
namespace RectEdges {
constexpr RectEdge None = 0, Top = 1, Left = 2, Bottom = 4, Right = 8, All = 15;
}

// Interface orientations, as numbers and as mask bits (1 << orientation).
namespace InterfaceOrientation {
constexpr int Portrait = 1, PortraitUpsideDown = 2, LandscapeRight = 3, LandscapeLeft = 4;
constexpr unsigned PortraitMask = 1u << Portrait;
}

class ViewController : public Object {
public:
    ViewController();
    // The view comes from the interface file `nibName` of `bundle` (the main
    // bundle when null), instantiated with this controller as owner.
    ViewController(std::string nibName, const Bundle* bundle);
    ~ViewController() override;

    const std::string& nibName() const { return m_nibName; }
    // The bundle the interface file and its resources come from; null for the main bundle.
    const Bundle* nibBundle() const { return m_bundle; }
    // Loads the view first when needed: loadView(), then viewDidLoad().
    ViewRef view();
    // The view without loading it; null before it is loaded.
    const ViewRef& viewIfLoaded() const { return m_view; }
    void setView(ViewRef view);
    bool isViewLoaded() const { return m_view != nullptr; }
    // Makes the view: from the interface file, which must set the "view"
    // outlet, or a plain view of the screen's size. A broken interface file
    // is logged and leaves a plain view, so a screen never lacks one.
    virtual void loadView();
    virtual void viewDidLoad() {}
    virtual void viewDidUnload() {}
    // Releases the view when it is loaded and in no window, then viewDidUnload().
    virtual void didReceiveMemoryWarning();

    virtual void viewWillAppear(bool /*animated*/) {}
    virtual void viewDidAppear(bool /*animated*/) {}
    virtual void viewWillDisappear(bool /*animated*/) {}
    virtual void viewDidDisappear(bool /*animated*/) {}
    // Around the layout of the view's subviews.
    virtual void viewWillLayoutSubviews() {}
    virtual void viewDidLayoutSubviews() {}
    void beginAppearanceTransition(bool appearing, bool animated);
    void endAppearanceTransition();
    // Shown: between viewDidAppear and the next viewWillDisappear.
    bool isAppeared() const { return m_appearance == Appearance::Appeared; }

    const std::optional<std::string>& title() const { return m_title; }
    virtual void setTitle(std::optional<std::string> title) { m_title = std::move(title); }
    // The bar items that navigation and tab bars show for the controller;
    // their classes belong to the bars.
    const ObjectRef& navigationItem() const { return m_navigationItem; }
    void setNavigationItem(ObjectRef item) { m_navigationItem = std::move(item); }
    const ObjectRef& tabBarItem() const { return m_tabBarItem; }
    void setTabBarItem(ObjectRef item) { m_tabBarItem = std::move(item); }
    RectEdge edgesForExtendedLayout() const { return m_edges; }
    void setEdgesForExtendedLayout(RectEdge edges) { m_edges = edges; }
    bool hidesBottomBarWhenPushed() const { return m_hidesBottomBar; }
    void setHidesBottomBarWhenPushed(bool hides) { m_hidesBottomBar = hides; }
    // The view goes under the status bar as well.
    bool wantsFullScreenLayout() const { return m_fullScreen; }
    void setWantsFullScreenLayout(bool full) { m_fullScreen = full; }

    // Rotation answers: those of childViewControllerForRotation() when there
    // is one, else portrait only.
    virtual bool shouldAutorotateToInterfaceOrientation(int orientation) const;
    virtual bool shouldAutorotate() const;
    virtual unsigned supportedInterfaceOrientations() const;
    // The child whose rotation answers a container gives as its own; none by default.
    virtual ViewControllerRef childViewControllerForRotation() const { return nullptr; }

    // Containment. The parent keeps its children; a child's parent link is weak.
    ViewControllerRef parentViewController() const { return m_parent.lock(); }
    const std::vector<ViewControllerRef>& childViewControllers() const { return m_children; }
    void addChildViewController(const ViewControllerRef& child);
    void removeFromParentViewController();
    virtual void willMoveToParentViewController(ViewController* /*parent*/) {}
    virtual void didMoveToParentViewController(ViewController* /*parent*/) {}
    // A child container changed what it shows (a stack pushed or popped).
    virtual void childContentDidChange(ViewController& /*child*/) {}

    // Modal presentation: the presented view slides up over the presenter's
    // window in 0.3 s (at once when not animated) and covers it; dismissing
    // slides it down again. Dismissing also dismisses whatever the presented
    // controller presented itself; a presented controller without one of its
    // own dismisses itself.
    void presentModalViewController(const ViewControllerRef& controller, bool animated);
    void dismissModalViewControllerAnimated(bool animated);
    const ViewControllerRef& modalViewController() const { return m_modal; }
    ViewControllerRef presentingViewController() const { return m_presenting.lock(); }

    // Every controller alive, for memory warnings (Application).
    static std::vector<ViewControllerRef> allControllers();

protected:
    // For controllers whose interface file is named after construction.
    void setNib(std::string nibName, const Bundle* bundle)
    {
        m_nibName = std::move(nibName);
        m_bundle = bundle;
    }

private:
    friend class Window;
    enum class Appearance { Disappeared, Appearing, Appeared, Disappearing };
    ViewController* topOfParentChain();

    std::string m_nibName;
    const Bundle* m_bundle = nullptr;
    ViewRef m_view;
    Appearance m_appearance = Appearance::Disappeared;
    bool m_appearanceAnimated = false;
    std::optional<std::string> m_title;
    ObjectRef m_navigationItem;
    ObjectRef m_tabBarItem;
    RectEdge m_edges = RectEdges::All;
    bool m_hidesBottomBar = false;
    bool m_fullScreen = false;
    std::weak_ptr<ViewController> m_parent;
    std::vector<ViewControllerRef> m_children;
    ViewControllerRef m_modal;
    std::weak_ptr<ViewController> m_presenting;
    std::vector<ObjectRef> m_topLevelObjects; // of the interface file, kept with the view
};

}
