#pragma once

// The node of a markup document: a tag with string attributes, run-time
// values, ordered children, a resolved style and a frame from layout.
//
// Main queue only. An element owns its children. Its parent, document and
// delegate are weak links: a released parent or document reads as null and
// is never called. Elements live in shared pointers (create()); an element
// that is not owned by one cannot take children.
//
// Trees are at most kMaxDepth levels deep below their root, and cannot
// contain cycles: addElement() refuses a child that would break either rule,
// so every recursive walk (style, layout, drawing, touches) is bounded.

#include "framework/dom/Forward.h"
#include "framework/dom/KRDOMStringMap.h"
#include "framework/dom/KRGeometry.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Object.h"
#include "platform/graphics/Forward.h"

#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <typeinfo>
#include <vector>

namespace pf {
class Bundle;
}

enum class KRDOMClassMatch { Exact, Inherit };

class KRDOMElement : public pf::Object {
public:
    static constexpr int kMaxDepth = 512;

    KRDOMElement() = default;
    KRDOMElement(std::string name, std::string ns);
    ~KRDOMElement() override;
    static KRDOMElementRef create(std::string name = {}, std::string ns = {});

    const std::string& name() const { return m_name; }
    void setName(std::string name) { m_name = std::move(name); }
    // The namespace prefix of the tag, empty when it has none.
    const std::string& ns() const { return m_ns; }
    void setNs(std::string ns) { m_ns = std::move(ns); }
    // The element's own text; plain elements neither lay it out nor draw it.
    const std::string& text() const { return m_text; }
    void setText(std::string text) { m_text = std::move(text); }

    // Attributes (from the markup). Nothing for the value removes the key.
    void setAttributeValue(std::optional<std::string_view> value, std::string_view key) { m_attributes.set(key, value); }
    std::optional<std::string_view> attributeValueForKey(std::string_view key) const { return m_attributes.get(key); }
    void removeAttributeForKey(std::string_view key) { m_attributes.remove(key); }
    void removeAllAttributes() { m_attributes.clear(); }
    const KRDOMStringMap& attributes() const { return m_attributes; }
    // Room for `count` more attributes, so that adding them moves none.
    void reserveAttributes(std::size_t count) { m_attributes.reserve(count); }
    std::optional<std::string_view> eid() const { return attributeValueForKey("id"); }
    void setEid(std::optional<std::string_view> eid) { setAttributeValue(eid, "id"); }

    // Run-time values, apart from attributes and properties: `valueForKey`
    // never reaches the tag name or an attribute. Nil removes. The frame,
    // content size, corner radius and the three flags below are typed fields,
    // reached by key too: "frame" ({"x", "y", "width", "height"}),
    // "contentSize" ({"width", "height"}), "cornerRadius", "enabled",
    // "selected" and "highlighted".
    pf::Value valueForKey(std::string_view key) const;
    void setValue(const pf::Value& value, std::string_view key);

    // The one layer all elements share for drawing stretchable background
    // pictures, made on first use. Main thread.
    static const std::shared_ptr<KRDOMLayer>& layer();

    // Position in the parent's coordinates and size; zero until laid out.
    pf::Rect frame() const { return m_frame; }
    void setFrame(const pf::Rect& frame);
    // The size that the last layout of the children produced.
    pf::Size contentSize() const { return m_contentSize; }
    void setContentSize(const pf::Size& size);
    double cornerRadius() const { return m_cornerRadius; }
    // Negative and non-finite radii become 0.
    void setCornerRadius(double radius);
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected) { m_selected = selected; }
    bool isHighlighted() const { return m_highlighted; }
    virtual void setHighlighted(bool highlighted) { m_highlighted = highlighted; }

    // Style values: the attribute when there is one, else the style's.
    std::optional<std::string_view> stringValueForKey(std::string_view key) const;
    float floatValueForKey(std::string_view key) const;
    bool booleanValueForKey(std::string_view key) const;
    std::optional<KRImage> imageValueForKey(std::string_view key, const pf::Bundle* bundle) const;
    std::optional<pf::Color> colorValueForKey(std::string_view key) const;
    std::optional<pf::Font> fontValueForKey(std::string_view key) const;
    // "hidden" decides when present; otherwise hidden only when "visable"
    // is present and false.
    bool isHidden() const;
    // "padding" on every side, each replaced by its "padding-<side>" value
    // when present; negative sides become 0.
    pf::EdgeInsets padding() const;
    // The same from "margin" and "margin-<side>"; margins may be negative.
    pf::EdgeInsets margin() const;

    const std::shared_ptr<const KRDOMStyle>& style() const { return m_style; }
    // Replaces the style and asks for a redraw.
    void setStyle(std::shared_ptr<const KRDOMStyle> style);
    // Sends krDOMElementDoNeedDisplay to the delegate, when there is one.
    void setNeedDisplay();

    std::shared_ptr<KRDOMElementDelegate> delegate() const { return m_delegate.lock(); }
    virtual void setDelegate(std::weak_ptr<KRDOMElementDelegate> delegate) { m_delegate = std::move(delegate); }

    // Tree.
    KRDOMElementRef parentElement() const { return m_parent.lock(); }
    KRDOMDocumentRef document() const { return m_document.lock(); }
    // Sets the document of the element and of its whole subtree.
    void setDocument(const KRDOMDocumentRef& document);
    const std::vector<KRDOMElementRef>& childs() const { return m_childs; }
    // Appends the child after detaching it from its previous parent; gives
    // it this element as parent and this element's document (whole subtree).
    // False, and nothing changed, for a null child, the element itself or
    // one of its ancestors, or when the tree would pass kMaxDepth.
    bool addElement(KRDOMElementRef child);
    // The same at an index; an index past the end appends.
    bool insertElement(KRDOMElementRef child, std::size_t index);
    // Detaches the element from its parent and clears its document.
    void removeFromParentElement();
    // Appends, in pre-order from this element, every element whose dynamic
    // type is T (Exact) or derives from T (Inherit).
    template <class T>
    void searchElementsByClass(KRDOMClassMatch match, std::vector<std::shared_ptr<T>>& out);

    // Layout. `layout(available)` sizes the element against the size that
    // its parent offers, lays out its children and answers the content size
    // (not the frame size). `layoutChildren` places the children inside the
    // current frame, stores and answers the content size; element kinds
    // whose content is not children replace it. `layout()` re-runs
    // layoutChildren with the element's own padding.
    pf::Size layout(pf::Size available);
    virtual pf::Size layoutChildren(const pf::EdgeInsets& padding);
    pf::Size layout();

    // Drawing. `render` draws the element and its subtree into the part
    // `rect` (the element's own coordinates) of the context: a hidden element
    // draws nothing; each child is drawn at its own origin, clipped to its
    // (rounded, "corner-radius") frame and to `rect`, and outlined by its
    // "border-width" and "border-color". `draw` paints only the element's own
    // content: "background-color", then "background-image" stretched around
    // its caps. The root's own corner radius and border are not drawn.
    virtual void render(const pf::Rect& rect, pf::GraphicsContext& context);
    virtual void draw(const pf::Rect& rect, pf::GraphicsContext& context);
    // `rect` in the coordinates of `superElement`: each step up adds the
    // frame's origin and clips to that frame; the ancestor's own frame is not
    // used. For an element that is not an ancestor the walk ends at the root
    // (whose frame is used).
    pf::Rect convertRect(const pf::Rect& rect, const KRDOMElement* superElement) const;

    // Touches, given points in the element's own coordinates. The base
    // element highlights itself while a touch is inside it and never takes a
    // touch (answers false), so the host offers it to enclosing elements.
    virtual bool touchesBegan(pf::Point p);
    virtual void touchesMoved(pf::Point p);
    virtual void touchesEnded(pf::Point p);
    virtual void touchesCancelled(pf::Point p);

    // Null for an element that no shared pointer owns.
    KRDOMElementRef sharedFromThis() { return std::static_pointer_cast<KRDOMElement>(weak_from_this().lock()); }

private:
    bool canAdopt(const KRDOMElement& child) const;
    int depth() const;
    int height() const;
    void attach(const KRDOMElementRef& child);

    std::string m_name;
    std::string m_ns;
    std::string m_text;
    KRDOMStringMap m_attributes;
    pf::DictionaryRef m_values;
    std::vector<KRDOMElementRef> m_childs;
    std::shared_ptr<const KRDOMStyle> m_style;
    std::weak_ptr<KRDOMElement> m_parent;
    std::weak_ptr<KRDOMDocument> m_document;
    std::weak_ptr<KRDOMElementDelegate> m_delegate;
    pf::Rect m_frame;
    pf::Size m_contentSize;
    double m_cornerRadius = 0;
    bool m_enabled = false;
    bool m_selected = false;
    bool m_highlighted = false;
};

template <class T>
void KRDOMElement::searchElementsByClass(KRDOMClassMatch match, std::vector<std::shared_ptr<T>>& out)
{
    bool matches;
    if (match == KRDOMClassMatch::Exact)
        matches = typeid(*this) == typeid(T);
    else if constexpr (std::is_base_of_v<T, KRDOMElement>)
        matches = true; // every element is one (and the cast below could not fail)
    else
        matches = dynamic_cast<T*>(this) != nullptr;
    if (matches) {
        if (KRDOMElementRef self = sharedFromThis())
            out.push_back(std::static_pointer_cast<T>(self));
    }
    for (const KRDOMElementRef& child : m_childs)
        child->searchElementsByClass<T>(match, out);
}
