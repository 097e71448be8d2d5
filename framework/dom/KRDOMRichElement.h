#pragma once

// The element of the tag "rich": its own text and its whole subtree become
// one rich text, which sizes the element, draws it, and answers touches on
// its links. "br" breaks the line, "p" makes a paragraph, "a" with text is a
// link ("href"), "img" an inline picture and "view" an inline native view;
// every other tag is a span. "font"/"font-size" and "color" style the text
// of an element and its descendants, "max-length" cuts an element's text
// (then "..."), and the root's "line-spacing" and "charset-spacing" space
// the whole text. Inline "width" and "height" are numbers, "auto", or a
// percentage of the rich element's side (the picture's or fitted view's own
// size while that side is still "auto").
//
// The rich text is built on first use from the subtree at that moment and
// never rebuilt. After layout the inline elements get their boxes as frames
// (spans the whole area), and a hosting delegate is asked to place each
// inline view at its box. A tapped link is highlighted with translucent
// rounded layers the host places, and on release the host's action path
// receives the link's "a" element (which carries "href", "action-name" and
// "user-info").
//
// Main queue only.

#include "framework/core/KRController.h"
#include "framework/dom/KRDOMElement.h"

#include <memory>
#include <vector>

class KRRich;
class KRRichElement;
struct KRRichAttributes;

class KRDOMRichElement : public KRDOMElement, public IKRAction {
public:
    using KRDOMElement::KRDOMElement;
    ~KRDOMRichElement() override;
    static std::shared_ptr<KRDOMRichElement> create(std::string name = "rich", std::string ns = {});

    KRRich& rich();
    pf::Font font() const;
    pf::Color textColor() const;
    const std::shared_ptr<KRRichElement>& focusElement() const { return m_focusElement; }
    void setFocusElement(std::shared_ptr<KRRichElement> element) { m_focusElement = std::move(element); }
    // Appends `element`'s text and subtree to `rich` with the inherited
    // attributes.
    void elementToRichElement(KRDOMElement& element, KRRich& rich, const KRRichAttributes& attributes, int depth = 0);

    // KRDOMElement
    void setDelegate(std::weak_ptr<KRDOMElementDelegate> delegate) override;
    pf::Size layoutChildren(const pf::EdgeInsets& padding) override;
    void render(const pf::Rect& rect, pf::GraphicsContext& context) override;
    void draw(const pf::Rect& rect, pf::GraphicsContext& context) override;
    void setHighlighted(bool highlighted) override;
    bool touchesBegan(pf::Point p) override;
    void touchesEnded(pf::Point p) override;
    void touchesCancelled(pf::Point p) override;

    // IKRAction. The views are always none.
    const std::string& actionName() const override;
    void setActionName(const std::string& name) override { setAttributeValue(name, "action-name"); }
    const pf::Value& userInfo() const override;
    void setUserInfo(const pf::Value& userInfo) override;
    const std::vector<pf::ObjectRef>& actionViews() const override;
    void setActionViews(std::vector<pf::ObjectRef>) override {}

private:
    void removeHighlightLayers();
    void placeInlineElements();

    std::vector<std::shared_ptr<KRDOMLayer>> m_highlightedLayers;
    std::unique_ptr<KRRich> m_rich;
    std::shared_ptr<KRRichElement> m_focusElement;
    mutable pf::Value m_userInfo;
};
