#include "framework/ui/KRFoldViewController.h"

#include "framework/core/IKRUIContext.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/core/QueryValue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Screen.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/Touch.h"
#include "platform/ui/Window.h"

#include <algorithm>

const char* const KRFoldViewController::ToCenterNotification = "KRFoldViewControllerToCenterNotification";

namespace {

constexpr double kDuration = 0.3;
constexpr pf::AutoresizingMask kFlexibleSize = pf::Autoresizing::FlexibleWidth | pf::Autoresizing::FlexibleHeight;

pf::ViewRef loadedView(const pf::ViewControllerRef& c) { return c ? c->viewIfLoaded() : nullptr; }

// A text control in the centre ends its editing as a drawer comes out, so
// the keyboard goes rather than staying over the drawer.
void resignFocusWithin(const pf::ViewRef& center)
{
    pf::WindowRef window = center ? center->window() : nullptr;
    pf::ViewRef focused = window ? window->firstResponder() : nullptr;
    if (focused && (focused == center || focused->isDescendantOf(*center)))
        focused->resignFirstResponder();
}

}

KRFoldViewController::~KRFoldViewController()
{
    for (auto* slot : {&m_left, &m_center, &m_right})
        if (auto r = routed(*slot))
            r->setParentController(nullptr);
}

void KRFoldViewController::replace(pf::ViewControllerRef& slot, const pf::ViewControllerRef& controller)
{
    if (slot == controller)
        return;
    auto keep = weak_from_this().lock();
    if (auto old = std::exchange(slot, controller)) {
        if (auto r = routed(old); r && r->parentController() == selfController())
            r->setParentController(nullptr);
        old->removeFromParentViewController();
    }
    if (controller) {
        addChildViewController(controller);
        if (auto r = routed(controller))
            r->setParentController(selfController());
    }
}

void KRFoldViewController::setCenterViewController(const pf::ViewControllerRef& controller)
{
    pf::ViewRef old = loadedView(m_center);
    replace(m_center, controller);
    pf::ViewRef own = viewIfLoaded();
    if (!own || !old || old->superview() != own || !m_center || m_center->view() == old)
        return;
    pf::ViewRef center = m_center->view();
    center->setAutoresizingMask(kFlexibleSize);
    center->setFrame(old->frame());
    center->setUserInteractionEnabled(old->isUserInteractionEnabled());
    auto& subviews = own->subviews();
    own->insertSubview(center, std::size_t(std::find(subviews.begin(), subviews.end(), old) - subviews.begin()));
    old->removeFromSuperview();
}

bool KRFoldViewController::inTree(const pf::ViewControllerRef& c)
{
    pf::ViewRef v = loadedView(c);
    return v && v->superview();
}

void KRFoldViewController::takeOff(const pf::ViewControllerRef& c)
{
    if (pf::ViewRef v = loadedView(c))
        v->removeFromSuperview();
}

bool KRFoldViewController::touchInCenter(const pf::Touch& touch) const
{
    pf::ViewRef center = loadedView(m_center);
    return center && center->bounds().contains(touch.locationInView(center.get()));
}

bool KRFoldViewController::sideDisabled(const char* keyPath)
{
    auto top = topController();
    return top && dataForKeyPath(pf::Value(top->config()), keyPath).boolValue();
}

void KRFoldViewController::attachTap(bool attach)
{
    pf::ViewRef own = viewIfLoaded();
    if (!own || !m_tap)
        return;
    own->removeGestureRecognizer(m_tap);
    if (attach)
        own->addGestureRecognizer(m_tap);
}

// Snaps ------------------------------------------------------------------------------

void KRFoldViewController::focusLeft(bool animated) { focusSide(true, animated); }
void KRFoldViewController::focusRight(bool animated) { focusSide(false, animated); }

void KRFoldViewController::focusSide(bool left, bool animated)
{
    const pf::ViewControllerRef& side = left ? m_left : m_right;
    if (m_animating || !side || !m_center || !isViewLoaded())
        return;
    auto keep = weak_from_this().lock();
    pf::ViewRef own = view(), sideView = side->view(), center = m_center->view();
    attachTap(false);
    for (auto& v : {sideView, center}) {
        if (!v->superview()) {
            v->setAutoresizingMask(kFlexibleSize);
            own->addSubview(v);
        }
    }
    own->addSubview(center); // to the front
    takeOff(left ? m_right : m_left);
    resignFocusWithin(center);
    pf::Size size = own->bounds().size;
    sideView->setUserInteractionEnabled(true);
    center->setUserInteractionEnabled(false);
    auto changes = [&] {
        center->setFrame(pf::Rect(left ? size.width - StripWidth : StripWidth - size.width, 0, size.width, size.height));
        sideView->setAlpha(1);
        sideView->setTransform(pf::AffineTransform::identity());
        sideView->setFrame(pf::Rect(pf::Point(), size));
    };
    if (!animated) {
        changes();
        m_animating = false;
        attachTap(true);
        return;
    }
    own->setUserInteractionEnabled(false);
    m_animating = true;
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    pf::View::animate(kDuration, changes, [weakSelf](bool) {
        auto self = std::dynamic_pointer_cast<KRFoldViewController>(weakSelf.lock());
        if (!self)
            return;
        self->m_animating = false;
        if (auto v = self->viewIfLoaded())
            v->setUserInteractionEnabled(true);
        self->attachTap(true);
    });
}

void KRFoldViewController::focusCenter(bool animated)
{
    if (m_animating || !m_center || !isViewLoaded())
        return;
    auto keep = weak_from_this().lock();
    pf::ViewRef own = view(), center = m_center->view();
    if (!center->superview())
        center->setAutoresizingMask(kFlexibleSize);
    own->addSubview(center);
    pf::Rect home(pf::Point(), own->bounds().size);
    if (!animated) {
        center->setFrame(home);
        m_animating = false;
        center->setUserInteractionEnabled(true);
        takeOff(m_left);
        takeOff(m_right);
    } else {
        own->setUserInteractionEnabled(false);
        m_animating = true;
        std::weak_ptr<pf::Object> weakSelf = weak_from_this();
        pf::View::animate(kDuration, [&] { center->setFrame(home); }, [weakSelf](bool) {
            auto self = std::dynamic_pointer_cast<KRFoldViewController>(weakSelf.lock());
            if (!self)
                return;
            self->m_animating = false;
            if (auto v = loadedView(self->m_center))
                v->setUserInteractionEnabled(true);
            takeOff(self->m_left);
            takeOff(self->m_right);
            if (auto v = self->viewIfLoaded())
                v->setUserInteractionEnabled(true);
        });
    }
    attachTap(false);
    auto info = pf::Dictionary::create();
    info->set("sender", pf::Value(weak_from_this().lock()));
    pf::NotificationCenter::defaultCenter().post(ToCenterNotification, {}, info);
}

void KRFoldViewController::tapAction()
{
    auto keep = weak_from_this().lock();
    if (inTree(m_left) || inTree(m_right))
        focusCenter(true);
    attachTap(false);
}

// Dragging -------------------------------------------------------------------------------

void KRFoldViewController::foldViewDidBegin(KRFoldView&)
{
    if (pf::ViewRef center = loadedView(m_center))
        m_beginRect = center->frame();
}

void KRFoldViewController::foldViewDidMove(KRFoldView&, pf::Point from, pf::Point to)
{
    m_dragging = true;
    pf::ViewRef own = viewIfLoaded(), center = loadedView(m_center);
    if (!own || !center)
        return;
    double W = own->bounds().width();
    // A drawer narrower than the strip keeps the center where it is.
    double limit = std::max(0.0, W - StripWidth);
    double x = std::clamp(m_beginRect.x() + (to.x - from.x), -limit, limit);
    bool left = x > 0;
    const pf::ViewControllerRef& side = left ? m_left : m_right;
    if (x == 0 || !side)
        return;
    pf::ViewRef sideView = side->view();
    if (!sideView->superview()) {
        if (sideDisabled(left ? "fold.disabledLeft" : "fold.disabledRight"))
            return;
        sideView->setAutoresizingMask(kFlexibleSize);
        own->insertSubview(sideView, 0);
    }
    center->setFrame(pf::Rect(pf::Point{x, m_beginRect.y()}, m_beginRect.size));
    own->addSubview(center);
    takeOff(left ? m_right : m_left);
    resignFocusWithin(center);
    sideView->setFrame(own->bounds());
    sideView->setAlpha(0.8 + 0.2 * std::abs(x) / W);
    sideView->setTransform(pf::AffineTransform::identity());
    sideView->setUserInteractionEnabled(true);
    center->setUserInteractionEnabled(false);
}

void KRFoldViewController::foldViewDidEnd(KRFoldView& view)
{
    m_dragging = false;
    if (view.direction() == 1) {
        if (inTree(m_right))
            focusRight(true);
        else if (inTree(m_left))
            focusCenter(true);
    } else if (view.direction() == 2) {
        if (inTree(m_left))
            focusLeft(true);
        else if (inTree(m_right))
            focusCenter(true);
    }
}

// Routing ---------------------------------------------------------------------------------

pf::ViewControllerRef KRFoldViewController::sideFromConfig(const char* key)
{
    auto text = config()->string(key);
    if (!text)
        return nullptr;
    auto url = pf::URL::create(*text);
    if (!url) {
        pf::log("%s is not a URL: %s", key, text->c_str());
        return nullptr;
    }
    auto context = this->context();
    auto made = context ? context->getViewController(*url, "/") : nullptr;
    if (made)
        made->loadUrl(*url, "/", false);
    return std::dynamic_pointer_cast<pf::ViewController>(made);
}

void KRFoldViewController::setConfig(pf::DictionaryRef config)
{
    if (!applyContainerConfig(config))
        return;
    auto keep = weak_from_this().lock();
    if (config->get("leftURL").isString())
        setLeftViewController(sideFromConfig("leftURL"));
    if (config->get("rightURL").isString())
        setRightViewController(sideFromConfig("rightURL"));
}

bool KRFoldViewController::openUrl(const pf::URL& url, bool animated)
{
    return openContainerUrl(url, animated, [&] {
        auto component = firstPathComponent(url, "/");
        if (component == "center") {
            focusCenter(animated);
            if (auto c = routed(m_center))
                c->loadUrl(url, "/", animated);
        } else if (component == "left") {
            focusLeft(animated);
            if (auto c = routed(m_left))
                c->loadUrl(url, "/", animated);
        } else if (component == "right") {
            focusRight(animated);
            if (auto c = routed(m_right))
                c->loadUrl(url, "/", animated);
        }
    });
}

std::string KRFoldViewController::loadUrl(const pf::URL& url, const std::string& base, bool animated)
{
    auto keep = weak_from_this().lock();
    std::string path = pathBelow(base, alias());
    auto component = firstPathComponent(url, path);
    if (!component)
        return path;
    // A URL through the centre shows the centre: the home opened after a
    // sign-in must not come up behind a drawer left open before.
    if (inTree(m_left) || inTree(m_right))
        focusCenter(false);
    auto center = routed(m_center);
    if (!center || !childStays(*center, *component, url, path)) {
        auto context = this->context();
        auto made = context ? context->getViewController(url, path) : nullptr;
        setCenterViewController(std::dynamic_pointer_cast<pf::ViewController>(made));
        center = routed(m_center);
    }
    return center ? center->loadUrl(url, path, animated) : path;
}

std::shared_ptr<IKRUIViewController> KRFoldViewController::topController()
{
    auto center = routed(m_center);
    return center ? center->topController() : nullptr;
}

// The view ----------------------------------------------------------------------------------

void KRFoldViewController::loadView()
{
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    auto inCenter = [weakSelf](pf::GestureRecognizer&, const pf::Touch& touch) {
        auto self = std::dynamic_pointer_cast<KRFoldViewController>(weakSelf.lock());
        return self && self->touchInCenter(touch);
    };
    auto fold = KRFoldView::create(pf::Screen::main().bounds(), inCenter);
    fold->setClipsToBounds(true);
    fold->setDelegate(std::dynamic_pointer_cast<KRFoldViewDelegate>(weakSelf.lock()));
    setView(fold);
}

void KRFoldViewController::viewDidLoad()
{
    KRViewController::viewDidLoad();
    pf::ViewRef own = view();
    if (m_center && !m_center->view()->superview()) {
        pf::ViewRef center = m_center->view();
        center->setAutoresizingMask(kFlexibleSize);
        own->addSubview(center);
        center->setFrame(pf::Rect(pf::Point(), own->bounds().size));
        center->setUserInteractionEnabled(true);
    }
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    m_tap = std::make_shared<pf::TapGestureRecognizer>([weakSelf](pf::GestureRecognizer& r) {
        auto self = std::dynamic_pointer_cast<KRFoldViewController>(weakSelf.lock());
        if (self && r.state() == pf::GestureState::Ended)
            self->tapAction();
    });
    m_tap->setShouldReceiveTouch([weakSelf](pf::GestureRecognizer&, const pf::Touch& touch) {
        auto self = std::dynamic_pointer_cast<KRFoldViewController>(weakSelf.lock());
        return self && self->touchInCenter(touch);
    });
}

void KRFoldViewController::viewDidUnload()
{
    // The children stay: the drawer shows them again when its view reloads.
    takeOff(m_center);
    KRViewController::viewDidUnload();
    m_tap = nullptr;
}

void KRFoldViewController::viewDidAppear(bool animated)
{
    KRViewController::viewDidAppear(animated);
    m_layoutSize = view()->bounds().size;
}

void KRFoldViewController::viewDidLayoutSubviews()
{
    KRViewController::viewDidLayoutSubviews();
    pf::Size size = view()->bounds().size;
    if (size == m_layoutSize)
        return;
    m_layoutSize = size;
    if (inTree(m_left))
        focusLeft(true);
    else if (inTree(m_right))
        focusRight(true);
    else
        focusCenter(true);
}
