#include "platform/controls/NavigationController.h"

#include "platform/controls/Control.h"
#include "platform/controls/NavigationBar.h"
#include "platform/controls/NavigationItem.h"
#include "platform/controls/Toolbar.h"
#include "platform/ui/View.h"

#include <algorithm>

namespace pf {

namespace {
constexpr double kBarHeight = 44;
constexpr double kTransitionDuration = 0.3;
constexpr AutoresizingMask kFlexibleSize = Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight;

bool contains(const std::vector<ViewControllerRef>& list, const ViewControllerRef& c)
{
    return std::find(list.begin(), list.end(), c) != list.end();
}
}

NavigationController::~NavigationController()
{
    if (m_bar)
        m_bar->setBackAction(nullptr);
}

void NavigationController::setNavigationBar(std::shared_ptr<NavigationBar> bar)
{
    if (!isViewLoaded() || !m_bar)
        m_bar = std::move(bar);
}

void NavigationController::setToolbar(std::shared_ptr<Toolbar> toolbar)
{
    if (!isViewLoaded() || !m_toolbar)
        m_toolbar = std::move(toolbar);
}

void NavigationController::loadView()
{
    ViewController::loadView();
    installBars();
}

void NavigationController::installBars()
{
    ViewRef root = viewIfLoaded();
    if (!m_bar)
        m_bar = std::make_shared<NavigationBar>();
    if (!m_toolbar)
        m_toolbar = std::make_shared<Toolbar>();
    std::weak_ptr<ViewController> weakSelf = std::static_pointer_cast<ViewController>(weak_from_this().lock());
    m_bar->setBackAction([weakSelf] {
        if (auto self = std::static_pointer_cast<NavigationController>(weakSelf.lock()))
            self->backButtonTapped();
    });
    // The view is placed and sized by its container only after it loads; the
    // masks keep the content area and the bars where layoutBars() puts them
    // as the size changes, without waiting for the next layout pass.
    m_content = View::create(root->bounds());
    m_content->setClipsToBounds(true);
    m_content->setAutoresizingMask(kFlexibleSize);
    m_bar->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleBottomMargin);
    m_toolbar->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleTopMargin);
    root->addSubview(m_content);
    root->addSubview(m_bar);
    root->addSubview(m_toolbar);
    layoutBars();
    if (auto top = topViewController()) {
        ViewRef topView = top->view();
        topView->setFrame(m_content->bounds());
        topView->setAutoresizingMask(kFlexibleSize);
        m_content->addSubview(topView);
    }
    updateBarItems();
}

Rect NavigationController::contentFrame() const
{
    ViewRef root = viewIfLoaded();
    if (!root)
        return {};
    Rect b = root->bounds();
    double top = m_barHidden ? 0 : kBarHeight;
    double bottom = m_toolbarHidden ? 0 : kBarHeight;
    return Rect(0, top, b.width(), std::max(0.0, b.height() - top - bottom));
}

void NavigationController::layoutBars()
{
    ViewRef root = viewIfLoaded();
    if (!root || !m_content)
        return;
    Rect b = root->bounds();
    m_bar->setFrame(Rect(0, 0, b.width(), kBarHeight));
    m_bar->setHidden(m_barHidden);
    m_toolbar->setFrame(Rect(0, b.height() - kBarHeight, b.width(), kBarHeight));
    m_toolbar->setHidden(m_toolbarHidden);
    m_content->setFrame(contentFrame());
}

void NavigationController::viewDidLayoutSubviews()
{
    ViewController::viewDidLayoutSubviews();
    layoutBars();
}

void NavigationController::setNavigationBarHidden(bool hidden, bool)
{
    m_barHidden = hidden;
    layoutBars();
}

void NavigationController::setToolbarHidden(bool hidden, bool)
{
    m_toolbarHidden = hidden;
    layoutBars();
}

void NavigationController::updateBarItems()
{
    if (!m_bar)
        return;
    std::vector<std::shared_ptr<NavigationItem>> items;
    for (auto& controller : m_stack) {
        auto item = std::dynamic_pointer_cast<NavigationItem>(controller->navigationItem());
        if (!item) {
            item = std::make_shared<NavigationItem>(controller->title().value_or(""));
            controller->setNavigationItem(item);
        }
        items.push_back(item);
    }
    m_bar->setItems(std::move(items));
}

void NavigationController::setViewControllers(std::vector<ViewControllerRef> controllers, bool animated)
{
    auto keep = weak_from_this().lock();
    std::vector<ViewControllerRef> list;
    for (auto& c : controllers)
        if (c && c.get() != this && !contains(list, c))
            list.push_back(c);
    ViewControllerRef oldTop = topViewController();
    std::vector<ViewControllerRef> old = std::move(m_stack);
    std::vector<ViewControllerRef> removed;
    for (auto& c : old)
        if (!contains(list, c))
            removed.push_back(c);
    for (auto& c : list)
        if (c->parentViewController().get() != this)
            addChildViewController(c);
    m_stack = std::move(list);
    ViewControllerRef newTop = topViewController();
    if (isViewLoaded() && oldTop != newTop)
        transition(oldTop, newTop, newTop && !contains(old, newTop), animated);
    for (auto& c : removed)
        c->removeFromParentViewController();
    updateBarItems();
    if (!removed.empty())
        didRemoveViewControllers(removed);
    if (auto parent = parentViewController())
        parent->childContentDidChange(*this);
}

void NavigationController::pushViewController(const ViewControllerRef& controller, bool animated)
{
    if (!controller || contains(m_stack, controller))
        return;
    auto list = m_stack;
    list.push_back(controller);
    setViewControllers(std::move(list), animated);
}

ViewControllerRef NavigationController::popViewControllerAnimated(bool animated)
{
    if (m_stack.size() < 2)
        return nullptr;
    ViewControllerRef top = m_stack.back();
    auto list = m_stack;
    list.pop_back();
    setViewControllers(std::move(list), animated);
    return top;
}

std::vector<ViewControllerRef> NavigationController::popToRootViewControllerAnimated(bool animated)
{
    if (m_stack.size() < 2)
        return {};
    std::vector<ViewControllerRef> popped(m_stack.begin() + 1, m_stack.end());
    setViewControllers({m_stack.front()}, animated);
    return popped;
}

void NavigationController::backButtonTapped()
{
    if (!isTransitioning())
        popViewControllerAnimated(true);
}

void NavigationController::finishTransition()
{
    if (auto finish = std::exchange(m_finishTransition, nullptr))
        finish();
}

void NavigationController::transition(const ViewControllerRef& from, const ViewControllerRef& to, bool push, bool animated)
{
    finishTransition(); // the running one ends where it was going
    ViewRef root = viewIfLoaded();
    ViewRef content = m_content;
    Rect bounds = content->bounds();
    ViewRef toView = to ? to->view() : nullptr;
    ViewRef fromView = from ? from->viewIfLoaded() : nullptr;
    if (fromView && fromView->superview() != m_content)
        fromView = nullptr;
    if (toView) {
        toView->setFrame(bounds);
        toView->setAutoresizingMask(kFlexibleSize);
        if (push || !fromView) {
            m_content->addSubview(toView);
        } else {
            auto& subviews = m_content->subviews();
            auto at = std::find(subviews.begin(), subviews.end(), fromView);
            m_content->insertSubview(toView, std::size_t(at - subviews.begin()));
        }
    }
    bool shown = root->window() != nullptr;
    if (shown) {
        if (to)
            to->beginAppearanceTransition(true, animated);
        if (from)
            from->beginAppearanceTransition(false, animated);
    }
    auto finish = std::make_shared<bool>(false);
    // The container may have been resized while the views slid: the new top
    // ends filling the content area as it is then, not as it was.
    m_finishTransition = [finish, from, to, fromView, toView, content, shown] {
        if (*finish)
            return;
        *finish = true;
        if (toView)
            toView->setFrame(content->bounds());
        if (fromView && (!to || fromView != toView))
            fromView->removeFromSuperview();
        if (shown) {
            if (to)
                to->endAppearanceTransition();
            if (from)
                from->endAppearanceTransition();
        }
    };
    if (!animated || !shown || !fromView || !toView) {
        finishTransition();
        return;
    }
    std::weak_ptr<ViewController> weakSelf = std::static_pointer_cast<ViewController>(weak_from_this().lock());
    auto done = [weakSelf, finish](bool) {
        auto self = std::static_pointer_cast<NavigationController>(weakSelf.lock());
        if (self && !*finish)
            self->finishTransition();
    };
    if (push) {
        toView->setFrame(bounds.offsetBy(bounds.width(), 0));
        View::animate(kTransitionDuration, [&] { toView->setFrame(bounds); }, done);
    } else {
        View::animate(kTransitionDuration, [&] { fromView->setFrame(bounds.offsetBy(bounds.width(), 0)); }, done);
    }
}

}
