#include "framework/dom/KRDOMViewElement.h"

#include "framework/dom/KRDOMActionValues.h"
#include "framework/dom/KRDOMElementDelegate.h"
#include "framework/dom/KRDOMViewClass.h"
#include "framework/dom/ViewKRDOMElement.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/View.h"

#include <cassert>

KRDOMViewElement::~KRDOMViewElement()
{
    if (m_view)
        setElement(*m_view, nullptr);
}

std::shared_ptr<KRDOMViewElement> KRDOMViewElement::create(std::string name, std::string ns)
{
    return std::make_shared<KRDOMViewElement>(std::move(name), std::move(ns));
}

const KRDOMViewClass& KRDOMViewElement::viewClass() const
{
    auto name = stringValueForKey("viewClass");
    if (!name)
        return KRDOMViewClass::plainView();
    if (const KRDOMViewClass* cls = KRDOMViewClass::named(*name))
        return *cls;
    // Markup names only the classes registered for it, never any class of
    // the program.
    pf::log("Not a registered view class: %.*s; a plain view stands in", int(name->size()), name->data());
    return KRDOMViewClass::plainView();
}

const pf::ViewRef& KRDOMViewElement::view()
{
    if (!m_view)
        setView(viewClass().create(frame()));
    return m_view;
}

void KRDOMViewElement::setView(pf::ViewRef view)
{
    PF_ASSERT_MAIN_THREAD();
    if (view == m_view)
        return;
    pf::ViewRef old = std::move(m_view);
    m_view = std::move(view);
    if (old) {
        setElement(*old, nullptr);
        old->removeFromSuperview();
    }
    if (m_view) {
        // The view's own setElement may run code of the application.
        KRDOMElementRef self = sharedFromThis();
        pf::ViewRef keep = m_view;
        setElement(*keep, self);
    }
}

void KRDOMViewElement::setDelegate(std::weak_ptr<KRDOMElementDelegate> delegate)
{
    KRDOMElement::setDelegate(delegate);
    std::shared_ptr<KRDOMElementDelegate> host = delegate.lock();
    if (!dynamic_cast<pf::View*>(host.get())) {
        setView(nullptr);
        return;
    }
    if (!host->hasKRDOMElementHosting())
        return;
    KRDOMElementRef self = sharedFromThis();
    setView(host->krDOMElementView(*this, viewClass()));
    pf::ViewRef view = this->view();
    KRDOMElementRef parent = parentElement();
    host->krDOMElementAddView(parent.get(), view, frame());
}

const std::string& KRDOMViewElement::actionName() const { return krDOMActionName(*this); }

const pf::Value& KRDOMViewElement::userInfo() const { return krDOMUserInfo(*this, m_userInfo); }

void KRDOMViewElement::setUserInfo(const pf::Value& userInfo) { krDOMSetUserInfo(*this, userInfo); }

const std::vector<pf::ObjectRef>& KRDOMViewElement::actionViews() const
{
    static const std::vector<pf::ObjectRef> none;
    return none;
}
