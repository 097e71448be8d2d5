#pragma once

// The element of the tag "action": a tappable area. While a touch that began
// on it is inside, it shows a highlight layer ("action-color", by default
// black at alpha 0.3, or "action-image" placed by "action-gravity", with its
// "corner-radius") that the host places; a touch that began on it and ends
// (anywhere) sends it to the host as an action. As an IKRAction its name is
// the "action-name" attribute and its user information "user-info".
//
// Main queue only.

#include "framework/core/KRController.h"
#include "framework/dom/KRDOMElement.h"

class KRDOMLayer;

class KRDOMActionElement : public KRDOMElement, public IKRAction {
public:
    using KRDOMElement::KRDOMElement;
    ~KRDOMActionElement() override;
    static std::shared_ptr<KRDOMActionElement> create(std::string name = "action", std::string ns = {});

    // IKRAction. The views are always none.
    const std::string& actionName() const override;
    void setActionName(const std::string& name) override { setAttributeValue(name, "action-name"); }
    // The "user-info" text; nil when there is none. Other values are stored
    // as their description.
    const pf::Value& userInfo() const override;
    void setUserInfo(const pf::Value& userInfo) override;
    const std::vector<pf::ObjectRef>& actionViews() const override;
    void setActionViews(std::vector<pf::ObjectRef>) override {}

    // Always takes the touch offered to it.
    bool touchesBegan(pf::Point p) override;
    // Acts when the touch began here, wherever it ends.
    void touchesEnded(pf::Point p) override;
    void touchesCancelled(pf::Point p) override;
    // Takes the highlight off the old host.
    void setDelegate(std::weak_ptr<KRDOMElementDelegate> delegate) override;
    // Passes the flag to the children; shows or hides the highlight layer.
    void setHighlighted(bool highlighted) override;

    // Set from an accepted touch-down until the touch ends or is cancelled.
    bool insetTouch() const { return m_insetTouch; }
    void setInsetTouch(bool inset) { m_insetTouch = inset; }
    const std::shared_ptr<KRDOMLayer>& highlightedLayer() const { return m_highlightedLayer; }

private:
    std::shared_ptr<KRDOMLayer> m_highlightedLayer;
    bool m_insetTouch = false;
    mutable pf::Value m_userInfo;
};
