#include "framework/ui/KRHeapViewController.h"

#include "framework/core/IKRUIContext.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/core/QueryValue.h"
#include "platform/controls/ImageView.h"
#include "platform/controls/NavigationItem.h"
#include "platform/foundation/Log.h"
#include "platform/ui/Application.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/View.h"

#include <algorithm>

namespace {

constexpr double kDuration = 0.3;
constexpr double kCoveredScale = 0.98;
constexpr double kCoveredMask = 0.8;
constexpr pf::AutoresizingMask kFlexibleSize = pf::Autoresizing::FlexibleWidth | pf::Autoresizing::FlexibleHeight;

void rest(pf::View& view)
{
    view.setTransform(pf::AffineTransform::identity());
    view.setLayerMaskColor(std::nullopt);
}

void cover(pf::View& view, double scale, double maskAlpha)
{
    view.setTransform(pf::AffineTransform::scaling(scale, scale));
    view.setLayerMaskColor(pf::Color::white(1, maskAlpha));
}

// Appearance calls for a card, sent only while the heap itself is shown.
void beginAppearance(bool shown, const pf::ViewControllerRef& c, bool appearing, bool animated)
{
    if (shown && c)
        c->beginAppearanceTransition(appearing, animated);
}

void endAppearance(bool shown, const pf::ViewControllerRef& c)
{
    if (shown && c)
        c->endAppearanceTransition();
}

}

KRHeapViewController::~KRHeapViewController()
{
    for (auto& c : m_stack)
        if (auto r = routed(c))
            r->setParentController(nullptr);
}

// Helpers ------------------------------------------------------------------------

bool KRHeapViewController::onScreen(const pf::ViewRef& view) const { return view && view->window(); }

pf::Rect KRHeapViewController::cardFrame(double x) const
{
    pf::Size size = viewIfLoaded() ? viewIfLoaded()->bounds().size : pf::Size{};
    return pf::Rect(pf::Point{x, 0}, size);
}

std::uint64_t KRHeapViewController::shown(const pf::View& view) { return m_generations[&view] = ++m_lastGeneration; }

std::uint64_t KRHeapViewController::generation(const pf::View& view) const
{
    auto it = m_generations.find(&view);
    return it == m_generations.end() ? 0 : it->second;
}

std::function<void(bool)> KRHeapViewController::weakly(std::function<void(KRHeapViewController&)> step)
{
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    return [weakSelf, step = std::move(step)](bool) {
        if (auto self = std::dynamic_pointer_cast<KRHeapViewController>(weakSelf.lock()))
            step(*self);
    };
}

pf::ViewRef KRHeapViewController::install(const pf::ViewControllerRef& c, pf::Rect frame, bool atBack)
{
    pf::ViewRef own = view();
    pf::ViewRef card = c->view();
    rest(*card);
    card->setAutoresizingMask(kFlexibleSize);
    card->setFrame(frame);
    card->setUserInteractionEnabled(true);
    if (card->superview() != own) {
        if (atBack)
            own->insertSubview(card, 0);
        else
            own->addSubview(card);
    } else if (!atBack) {
        own->addSubview(card); // to the front
    }
    shown(*card);
    return card;
}

void KRHeapViewController::leave(const pf::ViewControllerRef& c)
{
    if (auto r = routed(c); r && r->parentController() == selfController())
        r->setParentController(nullptr);
    c->removeFromParentViewController();
    forget(c);
}

void KRHeapViewController::forget(const pf::ViewControllerRef& c)
{
    pf::ViewRef card = c->viewIfLoaded();
    if (!card || (card->superview() && card->superview() == viewIfLoaded()))
        return;
    if (std::find(m_stack.begin(), m_stack.end(), c) == m_stack.end())
        m_generations.erase(card.get());
}

// Transitions ----------------------------------------------------------------------

void KRHeapViewController::addViewController(const pf::ViewControllerRef& c, bool animated)
{
    if (!c || !isViewLoaded())
        return;
    bool heapShown = onScreen(viewIfLoaded()) && isAppeared();
    if (placedAtOnce(c, animated, heapShown))
        return;
    pf::ViewRef card = install(c, cardFrame(cardFrame().width()), false);
    beginAppearance(heapShown, c, true, true);
    std::weak_ptr<pf::ViewController> weakChild = c;
    pf::View::animate(kDuration, [&] { card->setFrame(cardFrame()); },
                      weakly([weakChild, heapShown](KRHeapViewController&) { endAppearance(heapShown, weakChild.lock()); }));
}

bool KRHeapViewController::placedAtOnce(const pf::ViewControllerRef& c, bool animated, bool heapShown)
{
    if (animated && onScreen(viewIfLoaded()))
        return false;
    install(c, cardFrame(), false);
    beginAppearance(heapShown, c, true, false);
    endAppearance(heapShown, c);
    return true;
}

void KRHeapViewController::hiddenViewController(const pf::ViewControllerRef& c, bool animated)
{
    takeOff(c, animated, [](pf::View& card) { cover(card, kCoveredScale, kCoveredMask); });
}

void KRHeapViewController::removeViewController(const pf::ViewControllerRef& c, bool animated)
{
    takeOff(c, animated, [](pf::View& card) {
        pf::Rect out = card.frame();
        out.origin.x = out.width();
        card.setFrame(out);
    });
}

void KRHeapViewController::takeOff(const pf::ViewControllerRef& c, bool animated, std::function<void(pf::View&)> move)
{
    pf::ViewRef card = c ? c->viewIfLoaded() : nullptr;
    if (!card)
        return;
    bool heapShown = onScreen(viewIfLoaded()) && isAppeared();
    beginAppearance(heapShown, c, false, animated);
    if (!animated || !onScreen(card)) {
        card->removeFromSuperview();
        forget(c);
        endAppearance(heapShown, c);
        return;
    }
    std::uint64_t gen = generation(*card);
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    // The card is kept until its view is off, though the heap may let go of it first.
    pf::View::animate(kDuration, [&] { move(*card); }, [weakSelf, c, card, gen, heapShown](bool) {
        auto self = std::dynamic_pointer_cast<KRHeapViewController>(weakSelf.lock());
        if (self && self->generation(*card) != gen)
            return; // shown again since
        card->removeFromSuperview();
        if (self)
            self->forget(c);
        rest(*card);
        endAppearance(heapShown, c);
    });
}

void KRHeapViewController::visableViewController(const pf::ViewControllerRef& c, bool animated)
{
    if (!c || !isViewLoaded())
        return;
    bool heapShown = onScreen(viewIfLoaded()) && isAppeared();
    if (placedAtOnce(c, animated, heapShown))
        return;
    pf::ViewRef card = install(c, cardFrame(), true);
    card->setTransform(pf::AffineTransform::scaling(kCoveredScale, kCoveredScale));
    beginAppearance(heapShown, c, true, true);
    std::weak_ptr<pf::ViewController> weakChild = c;
    pf::View::animate(kDuration, [&] { rest(*card); },
                      weakly([weakChild, heapShown](KRHeapViewController&) { endAppearance(heapShown, weakChild.lock()); }));
}

// The stack ----------------------------------------------------------------------------

void KRHeapViewController::setViewControllers(std::vector<pf::ViewControllerRef> controllers, bool animated)
{
    auto keep = weak_from_this().lock();
    std::vector<pf::ViewControllerRef> list;
    for (auto& c : controllers)
        if (c && c.get() != this && std::find(list.begin(), list.end(), c) == list.end())
            list.push_back(c);
    std::size_t k = 0;
    while (k < list.size() && k < m_stack.size() && list[k] == m_stack[k])
        ++k;
    auto cut = [&] {
        std::vector<pf::ViewControllerRef> leaving(m_stack.begin() + std::ptrdiff_t(k), m_stack.end());
        m_stack.resize(k);
        for (auto& c : leaving)
            leave(c);
    };
    if (k == list.size() && k == m_stack.size()) {
        // The same stack: no transition, only the top card in place.
        if (auto top = topViewController(); top && isViewLoaded())
            install(top, cardFrame(), false);
        return;
    }
    if (k >= list.size()) {
        removeViewController(topViewController(), animated);
        cut();
        visableViewController(topViewController(), animated);
        return;
    }
    hiddenViewController(topViewController(), animated);
    cut();
    auto self = selfController();
    for (std::size_t i = k; i < list.size(); ++i) {
        addChildViewController(list[i]);
        if (auto r = routed(list[i]))
            r->setParentController(self);
        m_stack.push_back(list[i]);
    }
    addViewController(list.back(), animated);
}

void KRHeapViewController::pushViewController(const pf::ViewControllerRef& c, bool animated)
{
    if (!c || isAnimating() || m_dragging || std::find(m_stack.begin(), m_stack.end(), c) != m_stack.end())
        return;
    auto keep = weak_from_this().lock();
    auto old = topViewController();
    addChildViewController(c);
    if (auto r = routed(c))
        r->setParentController(selfController());
    m_stack.push_back(c);
    bool heapShown = onScreen(viewIfLoaded()) && isAppeared();
    if (!animated || !isViewLoaded() || !old) {
        if (pf::ViewRef oldView = old ? old->viewIfLoaded() : nullptr; oldView && oldView->superview()) {
            beginAppearance(heapShown, old, false, false);
            oldView->removeFromSuperview();
            endAppearance(heapShown, old);
        }
        addViewController(c, false);
        return;
    }
    ++m_animating;
    pf::ViewRef oldView = old->view();
    std::uint64_t gen = generation(*oldView);
    std::weak_ptr<pf::ViewController> weakOld = old;
    beginAppearance(heapShown, old, false, true);
    pf::View::animate(kDuration, [&] { cover(*oldView, kCoveredScale, kCoveredMask); },
                      weakly([weakOld, gen, heapShown](KRHeapViewController& self) {
                          auto covered = weakOld.lock();
                          pf::ViewRef v = covered ? covered->viewIfLoaded() : nullptr;
                          if (!v || self.generation(*v) != gen)
                              return;
                          v->removeFromSuperview();
                          rest(*v);
                          endAppearance(heapShown, covered);
                      }));
    pf::ViewRef card = c->view();
    bool fresh = card->superview() != view();
    pf::ViewRef placed = install(c, fresh ? cardFrame(cardFrame().width()) : card->frame(), false);
    beginAppearance(heapShown, c, true, true);
    std::weak_ptr<pf::ViewController> weakNew = c;
    pf::View::animate(kDuration, [&] {
        placed->setFrame(cardFrame());
        rest(*placed);
    }, weakly([weakNew, heapShown](KRHeapViewController& self) {
        --self.m_animating;
        endAppearance(heapShown, weakNew.lock());
    }));
}

void KRHeapViewController::popViewController(bool animated)
{
    if (m_stack.size() < 2 || isAnimating() || m_dragging)
        return;
    auto keep = weak_from_this().lock();
    pf::ViewControllerRef top = m_stack.back();
    pf::ViewControllerRef below = m_stack[m_stack.size() - 2];
    m_stack.pop_back();
    leave(top);
    if (!animated || !isViewLoaded()) {
        removeViewController(top, false);
        addViewController(below, false);
        return;
    }
    ++m_animating;
    removeViewController(top, true);
    bool heapShown = onScreen(viewIfLoaded()) && isAppeared();
    pf::ViewRef card = below->view();
    if (card->superview() != view()) {
        install(below, cardFrame(), true);
        cover(*card, kCoveredScale, kCoveredMask);
    } else {
        shown(*card);
    }
    beginAppearance(heapShown, below, true, true);
    std::weak_ptr<pf::ViewController> weakBelow = below;
    pf::View::animate(kDuration, [&] {
        rest(*card);
        card->setFrame(cardFrame());
    }, weakly([weakBelow, heapShown](KRHeapViewController& self) {
        --self.m_animating;
        auto uncovered = weakBelow.lock();
        if (pf::ViewRef v = uncovered ? uncovered->viewIfLoaded() : nullptr)
            v->setTransform(pf::AffineTransform::identity());
        endAppearance(heapShown, uncovered);
    }));
}

// Dragging -------------------------------------------------------------------------------

void KRHeapViewController::panAction(pf::GestureRecognizer& recognizer)
{
    auto& pan = static_cast<pf::PanGestureRecognizer&>(recognizer);
    if (isAnimating() || m_stack.empty())
        return;
    if (auto top = topController(); top && !m_dragging
        && dataForKeyPath(pf::Value(top->config()), "heap.disabled").boolValue())
        return;
    pf::View* own = viewIfLoaded().get();
    pf::GestureState state = recognizer.state();
    if (state == pf::GestureState::Began && !m_dragging) {
        m_dragging = true;
        m_panBegin = recognizer.locationInView(own);
        m_panPrev = m_panBegin;
        m_direction = 0;
        pan.setTranslation(m_panBegin, own);
        return;
    }
    if (!m_dragging)
        return;
    pf::Point t = pan.translationInView(own);
    double offset = t.x - m_panBegin.x;
    if (state == pf::GestureState::Ended || state == pf::GestureState::Cancelled) {
        m_dragging = false;
        endDrag(offset);
        return;
    }
    if (state != pf::GestureState::Changed)
        return;
    if (t.x > m_panPrev.x)
        m_direction = 2;
    else if (t.x < m_panPrev.x)
        m_direction = 1;
    m_panPrev = t;
    pf::ViewRef top = topViewController()->view();
    pf::ViewControllerRef below = m_stack.size() >= 2 ? m_stack[m_stack.size() - 2] : nullptr;
    if (offset < 0) {
        if (pf::ViewRef v = below ? below->viewIfLoaded() : nullptr; v && v->superview())
            v->removeFromSuperview();
        top->setFrame(cardFrame());
    } else if (offset > 0 && !below) {
        rest(*top);
        top->setFrame(cardFrame());
    } else if (offset > 0) {
        double p = offset / cardFrame().width();
        pf::ViewRef card = below->view();
        if (card->superview() != view())
            install(below, cardFrame(), true);
        cover(*card, std::min(1.0, kCoveredScale + 0.02 * p), std::min(1.0, kCoveredMask + 0.2 * p));
        rest(*top);
        top->setFrame(cardFrame(offset));
    }
}

void KRHeapViewController::endDrag(double offset)
{
    pf::ViewControllerRef below = m_stack.size() >= 2 ? m_stack[m_stack.size() - 2] : nullptr;
    pf::ViewRef belowView = below ? below->viewIfLoaded() : nullptr;
    if (offset > 0 && m_direction == 2) {
        if (belowView)
            belowView->setFrame(cardFrame());
        popViewController(true);
        return;
    }
    if (offset < 0 && m_direction == 1) {
        if (belowView)
            belowView->removeFromSuperview();
        return;
    }
    if (below)
        hiddenViewController(below, true);
    pf::ViewRef top = topViewController()->view();
    pf::View::animate(kDuration, [&] {
        rest(*top);
        top->setFrame(cardFrame());
    });
}

// Routing -----------------------------------------------------------------------------------

void KRHeapViewController::setConfig(pf::DictionaryRef config)
{
    KRViewController::setConfig(config);
    applyConfigScheme();
}

bool KRHeapViewController::openUrl(const pf::URL& url, bool animated)
{
    if (isAnimating() || m_dragging)
        return false;
    return openContainerUrl(url, animated, [&] {
        pf::log("%s", url.absoluteString().c_str());
        loadUrl(url, basePath(), animated);
    });
}

std::string KRHeapViewController::loadUrl(const pf::URL& url, const std::string& base, bool animated)
{
    auto keep = weak_from_this().lock();
    Stack next = stackForUrl(url, base, animated, m_stack);
    setViewControllers(std::move(next.controllers), animated);
    return next.path;
}

std::shared_ptr<IKRUIViewController> KRHeapViewController::topController()
{
    auto top = routed(topViewController());
    return top ? top->topController() : nullptr;
}

// The view -------------------------------------------------------------------------------

void KRHeapViewController::viewDidLoad()
{
    KRViewController::viewDidLoad();
    if (auto top = topViewController())
        install(top, cardFrame(), false);
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    m_pan = std::make_shared<pf::PanGestureRecognizer>([weakSelf](pf::GestureRecognizer& r) {
        if (auto self = std::dynamic_pointer_cast<KRHeapViewController>(weakSelf.lock()))
            self->panAction(r);
    });
    m_pan->setMaximumNumberOfTouches(1);
    m_pan->setCancelsTouchesInView(false);
    view()->addGestureRecognizer(m_pan);
}

void KRHeapViewController::viewDidUnload()
{
    m_pan = nullptr;
    m_dragging = false;
    KRViewController::viewDidUnload();
}

bool KRHeapViewController::shouldAutorotateToInterfaceOrientation(int orientation) const
{
    if (m_dragging)
        return false;
    auto top = topViewController();
    return top ? top->shouldAutorotateToInterfaceOrientation(orientation)
               : KRViewController::shouldAutorotateToInterfaceOrientation(orientation);
}

bool KRHeapViewController::shouldAutorotate() const
{
    if (m_dragging)
        return false;
    auto top = topViewController();
    return top ? top->shouldAutorotate() : KRViewController::shouldAutorotate();
}

unsigned KRHeapViewController::supportedInterfaceOrientations() const
{
    if (m_dragging) {
        int o = pf::Application::shared().statusBarOrientation();
        return o >= 1 && o <= 4 ? 1u << o : 0u;
    }
    auto top = topViewController();
    return top ? top->supportedInterfaceOrientations() : KRViewController::supportedInterfaceOrientations();
}

pf::ImageRef KRHeapViewController::titleImage() const
{
    auto item = std::dynamic_pointer_cast<pf::NavigationItem>(navigationItem());
    auto imageView = item ? std::dynamic_pointer_cast<pf::ImageView>(item->titleView()) : nullptr;
    return imageView ? imageView->image() : nullptr;
}

void KRHeapViewController::setTitleImage(const pf::ImageRef& image)
{
    auto item = std::dynamic_pointer_cast<pf::NavigationItem>(navigationItem());
    if (!item) {
        item = std::make_shared<pf::NavigationItem>(title().value_or(""));
        setNavigationItem(item);
    }
    item->setTitleView(std::make_shared<pf::ImageView>(image));
}
