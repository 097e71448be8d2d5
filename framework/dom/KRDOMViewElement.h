#pragma once

// The element of the tag "view": a native view over the element's area. The
// view's class is the registered view class named by "viewClass" (the plain
// view when there is none, or when the name is not registered). A hosting
// document view makes or reuses the view and places it; without a host that
// is a view (a document only laid out for measuring) there is none. The view
// is told of its element (setElement) when taken and of none when let go.
// As an IKRAction its name is "action-name" and its user information
// "user-info".
//
// Main queue only.

#include "framework/core/KRController.h"
#include "framework/dom/KRDOMElement.h"
#include "platform/ui/Forward.h"

class KRDOMViewClass;

class KRDOMViewElement : public KRDOMElement, public IKRAction {
public:
    using KRDOMElement::KRDOMElement;
    ~KRDOMViewElement() override;
    static std::shared_ptr<KRDOMViewElement> create(std::string name = "view", std::string ns = {});

    // The native view, made on first use with the element's frame.
    const pf::ViewRef& view();
    // Lets the old view go (no element, off its superview) and takes the new
    // one. Nothing when unchanged.
    void setView(pf::ViewRef view);
    bool isViewLoaded() const { return m_view != nullptr; }
    // The class "viewClass" names; the plain view, with a log line, for a
    // name that is not registered.
    const KRDOMViewClass& viewClass() const;

    // A host that is a view gives the element its view (made or reused) and
    // places it over the element's frame; any other host, or none, makes the
    // element let its view go.
    void setDelegate(std::weak_ptr<KRDOMElementDelegate> delegate) override;

    // IKRAction. The views are always none.
    const std::string& actionName() const override;
    void setActionName(const std::string& name) override { setAttributeValue(name, "action-name"); }
    const pf::Value& userInfo() const override;
    void setUserInfo(const pf::Value& userInfo) override;
    const std::vector<pf::ObjectRef>& actionViews() const override;
    void setActionViews(std::vector<pf::ObjectRef>) override {}

private:
    pf::ViewRef m_view;
    mutable pf::Value m_userInfo;
};
