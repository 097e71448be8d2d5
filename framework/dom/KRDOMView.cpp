#include "framework/dom/KRDOMView.h"

#include "framework/dom/KRDOMElement.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Touch.h"

#include <cassert>

std::shared_ptr<KRDOMView> KRDOMView::create(const pf::Rect& frame) { return std::make_shared<KRDOMView>(frame); }

KRDOMView::KRDOMView(const pf::Rect& frame)
    : pf::View(frame)
    , m_host(*this, *this)
{
}

KRDOMView::~KRDOMView()
{
    // Nothing may call this view back from here on: the weak links to it
    // already read as null, so the elements see no host.
    cancelTrackedTouch();
    m_host.release(m_element);
}

void KRDOMView::setElement(KRDOMElementRef root)
{
    PF_ASSERT_MAIN_THREAD();
    if (showsElement(root))
        return;
    auto keep = self();
    cancelTrackedTouch();
    KRDOMElementRef old = std::move(m_element);
    m_element = std::move(root);
    m_host.takeDownTree(old);
    old.reset();
    if (m_allowAutoLayout)
        layoutToBounds();
    m_host.putUpTree(m_element);
    setNeedsDisplay();
}

void KRDOMView::viewBindElement(const KRDOMElementRef& element) { m_host.bind(element); }

void KRDOMView::viewUnBindElement(const KRDOMElementRef& element) { m_host.unbind(element); }

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

void KRDOMView::draw(pf::GraphicsContext& context, const pf::Rect& rect)
{
    KRDOMElementRef root = m_element;
    if (!root)
        return;
    // The root stands at the view's origin, as touches and placed views
    // take it; elements outside the part drawn are skipped.
    pf::Rect frame = root->frame();
    pf::Rect part = pf::Rect{0, 0, frame.width(), frame.height()}.intersection(rect);
    if (!part.isEmpty())
        root->render(part, context);
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
    m_host.addLayer(m_element.get(), element, layer, frame);
}

void KRDOMView::krDOMElementAddView(KRDOMElement* element, const pf::ViewRef& view, const pf::Rect& frame)
{
    m_host.addView(m_element.get(), element, view, frame);
}

pf::ViewRef KRDOMView::krDOMElementView(KRDOMElement& element, const KRDOMViewClass& viewClass)
{
    return m_host.elementView(element, viewClass);
}
