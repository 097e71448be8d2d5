#include "framework/dom/KRDOMView.h"

#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMLayer.h"
#include "framework/dom/KRDOMViewClass.h"
#include "framework/dom/KRDOMViewElement.h"
#include "framework/dom/ViewKRDOMElement.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Touch.h"

#include <cassert>

std::shared_ptr<KRDOMView> KRDOMView::create(const pf::Rect& frame) { return std::make_shared<KRDOMView>(frame); }

KRDOMView::KRDOMView(const pf::Rect& frame)
    : pf::View(frame)
{
}

KRDOMView::~KRDOMView()
{
    // Nothing may call this view back from here on: the weak links to it
    // already read as null, so the elements see no host.
    cancelTrackedTouch();
    for (auto& [eid, kept] : m_elementViews)
        ::setElement(*kept.view, nullptr);
    if (m_element)
        unbind(*m_element, nullptr);
}

pf::ViewRef KRDOMView::elementViewForId(std::string_view eid) const
{
    auto it = m_elementViews.find(eid);
    return it == m_elementViews.end() ? nullptr : it->second.view;
}

void KRDOMView::setElement(KRDOMElementRef root)
{
    PF_ASSERT_MAIN_THREAD();
    if (root == m_element)
        return;
    auto keep = self();
    cancelTrackedTouch();
    for (auto& [eid, kept] : m_elementViews)
        kept.view->removeFromSuperview();
    KRDOMElementRef old = std::move(m_element);
    m_element = std::move(root);
    if (old)
        viewUnBindElement(old);
    old.reset();
    if (m_allowAutoLayout)
        layoutToBounds();
    if (m_element)
        viewBindElement(m_element);
    for (auto it = m_elementViews.begin(); it != m_elementViews.end();) {
        if (it->second.view->superview())
            ++it;
        else
            it = m_elementViews.erase(it);
    }
    setNeedsDisplay();
}

void KRDOMView::viewBindElement(const KRDOMElementRef& element)
{
    if (!element)
        return;
    auto host = std::static_pointer_cast<KRDOMView>(self());
    element->setDelegate(host ? std::weak_ptr<KRDOMElementDelegate>(host) : std::weak_ptr<KRDOMElementDelegate>());
    // Held children: binding a view element runs its view's code.
    for (std::size_t i = 0; i < element->childs().size(); i++) {
        KRDOMElementRef child = element->childs()[i];
        viewBindElement(child);
    }
}

void KRDOMView::viewUnBindElement(const KRDOMElementRef& element)
{
    if (element)
        unbind(*element, this);
}

void KRDOMView::unbind(KRDOMElement& element, const KRDOMElementDelegate* host)
{
    // A null host stands for this view while it is being destroyed, when the
    // elements' links to it can no longer be locked.
    std::shared_ptr<KRDOMElementDelegate> current = element.delegate();
    if (current.get() == host)
        element.setDelegate({});
    for (std::size_t i = 0; i < element.childs().size(); i++) {
        KRDOMElementRef child = element.childs()[i];
        unbind(*child, host);
    }
}

void KRDOMView::setBounds(const pf::Rect& bounds)
{
    pf::View::setBounds(bounds);
    if (m_allowAutoLayout)
        layoutToBounds();
    setNeedsDisplay();
}

void KRDOMView::layoutSubviews()
{
    // Size changes that do not come through this class (autoresizing).
    if (m_allowAutoLayout && m_element && m_laidOutSize != bounds().size) {
        layoutToBounds();
        setNeedsDisplay();
    }
}

void KRDOMView::layoutToBounds()
{
    if (!m_element)
        return;
    KRDOMElementRef root = m_element;
    root->layout(bounds().size);
    m_laidOutSize = bounds().size;
}

void KRDOMView::draw(pf::GraphicsContext& context, const pf::Rect&)
{
    KRDOMElementRef root = m_element;
    if (!root)
        return;
    // The root stands at the view's origin, as touches and placed views
    // take it.
    pf::Rect frame = root->frame();
    root->render({0, 0, frame.width(), frame.height()}, context);
}

pf::Point KRDOMView::locationInElement(const KRDOMElement& element, pf::Point location) const
{
    KRDOMElementRef holder;
    for (const KRDOMElement* e = &element; e && e != m_element.get();) {
        location = location - e->frame().origin;
        holder = e->parentElement();
        e = holder.get();
    }
    return location;
}

bool KRDOMView::touchesElement(const KRDOMElementRef& element, pf::Point p, KRDOMTouchType type)
{
    if (!element)
        return false;
    if (type == KRDOMTouchType::Began) {
        // Hidden elements are not drawn, so they take no touches.
        pf::Rect frame = element->frame();
        if (element->isHidden() || p.x < 0 || p.y < 0 || p.x >= frame.width() || p.y >= frame.height())
            return false;
        std::vector<KRDOMElementRef> children = element->childs();
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            if (touchesElement(*it, p - (*it)->frame().origin, type))
                return true;
        }
        if (!element->touchesBegan(p))
            return false;
        m_touchOwner = element;
        return true;
    }
    std::vector<KRDOMElementRef> children = element->childs();
    for (const KRDOMElementRef& child : children)
        touchesElement(child, p - child->frame().origin, type);
    if (m_touchOwner.lock() == element)
        m_ownerReached = true;
    switch (type) {
    case KRDOMTouchType::Ended: element->touchesEnded(p); break;
    case KRDOMTouchType::Cancelled: element->touchesCancelled(p); break;
    case KRDOMTouchType::Moved: element->touchesMoved(p); break;
    case KRDOMTouchType::Began: break;
    }
    return false;
}

void KRDOMView::touchesBegan(const pf::TouchSet& touches)
{
    if (m_trackedTouch || touches.empty())
        return;
    auto keep = self();
    const pf::TouchRef& touch = touches.front();
    m_trackedTouch = touch->identifier();
    m_trackedLocation = touch->locationInView(this);
    m_touchOwner.reset();
    touchesElement(m_element, m_trackedLocation, KRDOMTouchType::Began);
}

void KRDOMView::routeTracked(const pf::TouchSet& touches, KRDOMTouchType type)
{
    const pf::TouchRef* tracked = nullptr;
    for (const pf::TouchRef& touch : touches) {
        if (m_trackedTouch && touch->identifier() == *m_trackedTouch)
            tracked = &touch;
    }
    if (!tracked)
        return;
    auto keep = self();
    m_trackedLocation = (*tracked)->locationInView(this);
    bool finishes = type != KRDOMTouchType::Moved;
    if (finishes)
        m_trackedTouch.reset();
    m_ownerReached = false;
    KRDOMElementRef root = m_element;
    touchesElement(root, m_trackedLocation, type);
    if (!finishes)
        return;
    // The element that took the touch left the tree meanwhile: it still
    // hears that the touch is over, but does not act.
    KRDOMElementRef owner = m_touchOwner.lock();
    m_touchOwner.reset();
    if (owner && !m_ownerReached)
        owner->touchesCancelled(locationInElement(*owner, m_trackedLocation));
}

void KRDOMView::touchesMoved(const pf::TouchSet& touches) { routeTracked(touches, KRDOMTouchType::Moved); }

void KRDOMView::touchesEnded(const pf::TouchSet& touches) { routeTracked(touches, KRDOMTouchType::Ended); }

void KRDOMView::touchesCancelled(const pf::TouchSet& touches) { routeTracked(touches, KRDOMTouchType::Cancelled); }

void KRDOMView::cancelTrackedTouch()
{
    if (!m_trackedTouch)
        return;
    m_trackedTouch.reset();
    m_ownerReached = false;
    KRDOMElementRef root = m_element;
    touchesElement(root, m_trackedLocation, KRDOMTouchType::Cancelled);
    KRDOMElementRef owner = m_touchOwner.lock();
    m_touchOwner.reset();
    if (owner && !m_ownerReached)
        owner->touchesCancelled(locationInElement(*owner, m_trackedLocation));
}

void KRDOMView::krDOMElementDoAction(KRDOMElement& element)
{
    auto keep = self();
    if (auto delegate = m_delegate.lock())
        delegate->krDOMViewDoActionElement(*this, element);
}

void KRDOMView::krDOMElementDoNeedDisplay(KRDOMElement&) { setNeedsDisplay(); }

void KRDOMView::krDOMElementAddLayer(KRDOMElement& element, const std::shared_ptr<KRDOMLayer>& layer,
                                     const pf::Rect& frame)
{
    if (!layer)
        return;
    layer->setFrame(element.convertRect(frame, m_element.get()));
    addSubview(layer);
}

void KRDOMView::krDOMElementAddView(KRDOMElement* element, const pf::ViewRef& view, const pf::Rect& frame)
{
    if (!view)
        return;
    // A view element without a parent (the root) has nothing to be placed
    // in; its view gets an empty rect.
    view->setFrame(element ? element->convertRect(frame, m_element.get()) : pf::Rect());
    addSubview(view);
}

pf::ViewRef KRDOMView::krDOMElementView(KRDOMElement& element, const KRDOMViewClass& viewClass)
{
    auto eid = element.eid();
    if (!eid)
        return nullptr;
    KRDOMElementRef self = element.sharedFromThis();
    auto it = m_elementViews.find(*eid);
    if (it == m_elementViews.end()) {
        pf::ViewRef view = viewClass.create(element.frame());
        m_elementViews.emplace(std::string(*eid), KeptView{view, self});
        return view;
    }
    // Two view elements of one tree with the same id: the second makes its
    // own view, so that neither takes the other's off the screen.
    KRDOMElementRef holder = it->second.holder.lock();
    if (holder && holder != self && holder->delegate().get() == this) {
        auto* viewElement = dynamic_cast<KRDOMViewElement*>(holder.get());
        if (viewElement && viewElement->isViewLoaded() && viewElement->view() == it->second.view)
            return nullptr;
    }
    it->second.holder = self;
    it->second.view->setFrame(element.frame());
    return it->second.view;
}
