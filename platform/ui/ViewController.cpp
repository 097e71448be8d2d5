#include "platform/ui/ViewController.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Application.h"
#include "platform/ui/InterfaceFile.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

#include <algorithm>

namespace pf {

namespace {

// Every live controller, for memory warnings. Main thread only.
std::vector<ViewController*>& liveControllers()
{
    static auto* list = new std::vector<ViewController*>;
    return *list;
}

constexpr double kModalSlideDuration = 0.3;

}

ViewController::ViewController() { liveControllers().push_back(this); }

ViewController::ViewController(std::string nibName, const Bundle* bundle)
    : m_nibName(std::move(nibName))
    , m_bundle(bundle)
{
    liveControllers().push_back(this);
}

ViewController::~ViewController()
{
    std::erase(liveControllers(), this);
    for (auto& child : m_children)
        child->m_parent.reset();
}

std::vector<ViewControllerRef> ViewController::allControllers()
{
    std::vector<ViewControllerRef> out;
    for (ViewController* c : liveControllers())
        if (auto strong = std::static_pointer_cast<ViewController>(c->weak_from_this().lock()))
            out.push_back(std::move(strong));
    return out;
}

ViewRef ViewController::view()
{
    if (!m_view) {
        loadView();
        if (!m_view)
            setView(View::create(Screen::main().bounds()));
        viewDidLoad();
    }
    return m_view;
}

void ViewController::setView(ViewRef view)
{
    if (m_view)
        m_view->m_viewController.reset();
    m_view = std::move(view);
    if (m_view)
        m_view->m_viewController = std::static_pointer_cast<ViewController>(weak_from_this().lock());
}

void ViewController::loadView()
{
    if (!m_nibName.empty()) {
        auto bundle = Bundle::main();
        const Bundle& from = m_bundle ? *m_bundle : *bundle;
        auto file = InterfaceFile::named(m_nibName, from);
        auto self = weak_from_this().lock();
        if (file && self) {
            auto objects = file.value()->instantiate(self);
            if (objects)
                m_topLevelObjects = std::move(objects.value());
            else
                log("pf::ViewController: %s", objects.error().description.c_str());
        } else if (!file) {
            log("pf::ViewController: %s", file.error().description.c_str());
        }
        if (m_view)
            return;
    }
    setView(View::create(Screen::main().bounds()));
}

void ViewController::didReceiveMemoryWarning()
{
    if (!m_view || m_view->window())
        return;
    setView(nullptr);
    m_topLevelObjects.clear();
    viewDidUnload();
}

bool ViewController::shouldAutorotateToInterfaceOrientation(int orientation) const
{
    auto child = childViewControllerForRotation();
    return child ? child->shouldAutorotateToInterfaceOrientation(orientation)
                 : orientation == InterfaceOrientation::Portrait;
}

bool ViewController::shouldAutorotate() const
{
    auto child = childViewControllerForRotation();
    return child ? child->shouldAutorotate() : true;
}

unsigned ViewController::supportedInterfaceOrientations() const
{
    auto child = childViewControllerForRotation();
    return child ? child->supportedInterfaceOrientations() : InterfaceOrientation::PortraitMask;
}

// Appearance ------------------------------------------------------------------

void ViewController::beginAppearanceTransition(bool appearing, bool animated)
{
    auto keep = weak_from_this().lock();
    if (appearing) {
        if (m_appearance == Appearance::Appearing || m_appearance == Appearance::Appeared)
            return;
        m_appearance = Appearance::Appearing;
        view();
        viewWillAppear(animated);
    } else {
        if (m_appearance == Appearance::Disappearing || m_appearance == Appearance::Disappeared)
            return;
        m_appearance = Appearance::Disappearing;
        viewWillDisappear(animated);
    }
    m_appearanceAnimated = animated;
    auto children = m_children;
    for (auto& child : children)
        if (child->m_view && m_view && child->m_view->isDescendantOf(*m_view))
            child->beginAppearanceTransition(appearing, animated);
}

void ViewController::endAppearanceTransition()
{
    auto keep = weak_from_this().lock();
    if (m_appearance == Appearance::Appearing) {
        m_appearance = Appearance::Appeared;
        viewDidAppear(m_appearanceAnimated);
    } else if (m_appearance == Appearance::Disappearing) {
        m_appearance = Appearance::Disappeared;
        viewDidDisappear(m_appearanceAnimated);
    } else {
        return;
    }
    auto children = m_children;
    for (auto& child : children)
        child->endAppearanceTransition();
}

// Containment -------------------------------------------------------------------

void ViewController::addChildViewController(const ViewControllerRef& child)
{
    if (!child || child.get() == this || child->parentViewController().get() == this)
        return;
    child->removeFromParentViewController();
    child->willMoveToParentViewController(this);
    m_children.push_back(child);
    child->m_parent = std::static_pointer_cast<ViewController>(weak_from_this().lock());
}

void ViewController::removeFromParentViewController()
{
    auto parent = parentViewController();
    if (!parent)
        return;
    auto keep = std::static_pointer_cast<ViewController>(weak_from_this().lock());
    std::erase_if(parent->m_children, [&](const ViewControllerRef& c) { return c.get() == this; });
    m_parent.reset();
    didMoveToParentViewController(nullptr);
}

ViewController* ViewController::topOfParentChain()
{
    ViewController* top = this;
    while (auto parent = top->parentViewController())
        top = parent.get();
    return top;
}

// Modal presentation ----------------------------------------------------------------

void ViewController::presentModalViewController(const ViewControllerRef& controller, bool animated)
{
    if (!controller || m_modal || controller->presentingViewController())
        return;
    ViewController* covered = topOfParentChain();
    ViewRef coveredView = covered->m_view;
    WindowRef window = coveredView ? coveredView->window() : nullptr;
    if (!window)
        return; // nothing on screen to present over
    auto self = std::static_pointer_cast<ViewController>(weak_from_this().lock());
    m_modal = controller;
    controller->m_presenting = self;

    ViewRef modalView = controller->view();
    modalView->setFrame(Application::shared().contentFrame(*window, *controller));
    Rect finalFrame = modalView->frame();
    window->addSubview(modalView);
    controller->beginAppearanceTransition(true, animated);
    covered->beginAppearanceTransition(false, animated);
    auto finish = [weakCovered = std::weak_ptr<ViewController>(std::static_pointer_cast<ViewController>(
                       covered->weak_from_this().lock())),
                   weakModal = std::weak_ptr<ViewController>(controller)](bool) {
        auto modal = weakModal.lock();
        auto under = weakCovered.lock();
        // A dismissal that came first has already put things back.
        if (!modal || !modal->presentingViewController())
            return;
        if (under && under->m_view)
            under->m_view->removeFromSuperview();
        modal->endAppearanceTransition();
        if (under)
            under->endAppearanceTransition();
    };
    if (!animated) {
        finish(true);
        return;
    }
    modalView->setFrame(finalFrame.offsetBy(0, window->bounds().height()));
    View::animate(kModalSlideDuration, [&] { modalView->setFrame(finalFrame); }, finish);
}

void ViewController::dismissModalViewControllerAnimated(bool animated)
{
    // A presented controller without a modal of its own dismisses itself.
    auto presenter = m_modal ? std::static_pointer_cast<ViewController>(weak_from_this().lock())
                             : presentingViewController();
    if (!presenter || !presenter->m_modal)
        return;
    // The chain above the presenter, bottom first.
    std::vector<ViewControllerRef> chain;
    for (auto c = presenter->m_modal; c; c = c->m_modal)
        chain.push_back(c);
    ViewController* covered = presenter->topOfParentChain();
    ViewControllerRef top = chain.back();
    WindowRef window = top->m_view ? top->m_view->window() : nullptr;

    // The covered view goes back under the modal views.
    if (window && covered->m_view && !covered->m_view->window()) {
        ViewRef lowest = chain.front()->m_view;
        auto& subviews = window->subviews();
        auto at = std::find(subviews.begin(), subviews.end(), lowest);
        window->insertSubview(covered->m_view, std::size_t(at - subviews.begin()));
    }
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        (*it)->beginAppearanceTransition(false, animated);
    covered->beginAppearanceTransition(true, animated);
    // Unlink now, so that a new presentation may follow at once.
    for (auto& c : chain) {
        c->m_presenting.reset();
        if (c != top)
            c->m_modal.reset();
    }
    top->m_modal.reset();
    presenter->m_modal.reset();

    auto coveredRef = std::static_pointer_cast<ViewController>(covered->weak_from_this().lock());
    auto finish = [chain, coveredRef](bool) {
        for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
            if ((*it)->m_view)
                (*it)->m_view->removeFromSuperview();
            (*it)->endAppearanceTransition();
        }
        if (coveredRef)
            coveredRef->endAppearanceTransition();
    };
    if (!animated || !window || !top->m_view) {
        finish(true);
        return;
    }
    ViewRef topView = top->m_view;
    double height = window->bounds().height();
    View::animate(kModalSlideDuration, [&] { topView->setFrame(topView->frame().offsetBy(0, height)); }, finish);
}

}
