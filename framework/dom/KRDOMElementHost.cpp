#include "framework/dom/KRDOMElementHost.h"

#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMElementDelegate.h"
#include "framework/dom/KRDOMLayer.h"
#include "framework/dom/KRDOMViewClass.h"
#include "framework/dom/KRDOMViewElement.h"
#include "framework/dom/ViewKRDOMElement.h"
#include "platform/ui/View.h"

KRDOMElementHost::KRDOMElementHost(pf::View& view, KRDOMElementDelegate& delegate)
    : m_view(view)
    , m_delegate(delegate)
{
}

void KRDOMElementHost::bind(const KRDOMElementRef& element)
{
    if (!element)
        return;
    // The delegate shares the view's ownership, so the elements' weak link
    // expires with the view. Empty while the view is being made or destroyed.
    std::shared_ptr<pf::Object> owner = m_view.weak_from_this().lock();
    std::weak_ptr<KRDOMElementDelegate> host;
    if (owner)
        host = std::shared_ptr<KRDOMElementDelegate>(owner, &m_delegate);
    element->setDelegate(host);
    // Held children: binding a view element runs its view's code.
    for (std::size_t i = 0; i < element->childs().size(); i++) {
        KRDOMElementRef child = element->childs()[i];
        bind(child);
    }
}

void KRDOMElementHost::unbind(const KRDOMElementRef& element)
{
    if (element)
        unbind(*element, &m_delegate);
}

void KRDOMElementHost::unbind(KRDOMElement& element, const KRDOMElementDelegate* host)
{
    // A null host stands for the view while it is being destroyed, when the
    // elements' links to it can no longer be locked.
    if (element.delegate().get() == host)
        element.setDelegate({});
    for (std::size_t i = 0; i < element.childs().size(); i++) {
        KRDOMElementRef child = element.childs()[i];
        unbind(*child, host);
    }
}

bool KRDOMElementHost::isBound(const KRDOMElement& root) const { return root.delegate().get() == &m_delegate; }

void KRDOMElementHost::takeDownTree(const KRDOMElementRef& old)
{
    for (auto& [eid, kept] : m_elementViews)
        kept.view->removeFromSuperview();
    unbind(old);
}

void KRDOMElementHost::putUpTree(const KRDOMElementRef& root)
{
    bind(root);
    for (auto it = m_elementViews.begin(); it != m_elementViews.end();) {
        if (it->second.view->superview())
            ++it;
        else
            it = m_elementViews.erase(it);
    }
}

void KRDOMElementHost::release(const KRDOMElementRef& root)
{
    for (auto& [eid, kept] : m_elementViews)
        ::setElement(*kept.view, nullptr);
    if (root)
        unbind(*root, nullptr);
}

void KRDOMElementHost::addLayer(const KRDOMElement* root, KRDOMElement& element,
                                const std::shared_ptr<KRDOMLayer>& layer, const pf::Rect& frame)
{
    if (!layer)
        return;
    layer->setFrame(element.convertRect(frame, root));
    m_view.addSubview(layer);
}

void KRDOMElementHost::addView(const KRDOMElement* root, KRDOMElement* element, const pf::ViewRef& view,
                               const pf::Rect& frame)
{
    if (!view)
        return;
    // A view element without a parent (the root) has nothing to be placed
    // in; its view gets an empty rect.
    view->setFrame(element ? element->convertRect(frame, root) : pf::Rect());
    m_view.addSubview(view);
}

pf::ViewRef KRDOMElementHost::elementView(KRDOMElement& element, const KRDOMViewClass& viewClass)
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
    KRDOMElementRef holder = it->second.holder.lock();
    if (holder && holder != self && holder->delegate().get() == &m_delegate) {
        auto* viewElement = dynamic_cast<KRDOMViewElement*>(holder.get());
        if (viewElement && viewElement->isViewLoaded() && viewElement->view() == it->second.view)
            return nullptr;
    }
    it->second.holder = self;
    it->second.view->setFrame(element.frame());
    return it->second.view;
}

pf::ViewRef KRDOMElementHost::elementViewForId(std::string_view eid) const
{
    auto it = m_elementViews.find(eid);
    return it == m_elementViews.end() ? nullptr : it->second.view;
}
