#pragma once

// The on-screen host of one element tree: it becomes the delegate of every
// element, draws the tree as its content, routes touches to the elements,
// places the highlight layers and native views that elements ask for, and
// passes element actions on to its own delegate.
//
// Native views of view elements are kept by the element's "id", so that a
// new tree (a reused table cell) with a view element of the same id gets the
// same view back, moved to its new frame (see KRDOMElementHost, which this
// view shares with the scrolling one). Views whose id is not in the new tree
// are dropped.
//
// One touch at a time is routed: a touch-down goes to the topmost, deepest
// element under it that takes it (the last child first); its moves, end or
// cancel go to every element of the tree. A touch in progress is cancelled
// in the tree when the tree is replaced or the view goes away, and an
// element that took it but left the tree meanwhile is cancelled directly,
// so that no highlight is left behind.
//
// Main queue only. Made with create(); the elements and the delegate are
// held weakly by each other's side as documented on them.

#include "framework/dom/KRDOMElementDelegate.h"
#include "framework/dom/KRDOMElementHost.h"
#include "framework/dom/Forward.h"
#include "platform/ui/View.h"

#include <optional>
#include <string>
#include <string_view>

class KRDOMViewDelegate {
public:
    virtual ~KRDOMViewDelegate() = default;
    // An element of the tree acted (an action element was tapped).
    virtual void krDOMViewDoActionElement(KRDOMView&, KRDOMElement&) {}
};

enum class KRDOMTouchType { Began = 0, Ended = 1, Cancelled = 2, Moved = 3 };

class KRDOMView : public pf::View, public KRDOMElementDelegate {
public:
    static std::shared_ptr<KRDOMView> create(const pf::Rect& frame = {});
    explicit KRDOMView(const pf::Rect& frame = {});
    ~KRDOMView() override;

    const KRDOMElementRef& element() const { return m_element; }
    // Shows a new tree (nothing when it shows it already): unbinds the old
    // one, lays the new one out to the bounds when allowed, binds it and
    // redraws. A tree that another view took meanwhile (see
    // KRDOMElementHost) is put up again.
    void setElement(KRDOMElementRef root);
    // Whether `root` is the tree this view shows and still bound to it.
    bool showsElement(const KRDOMElementRef& root) const
    {
        return root == m_element && (!root || m_host.isBound(*root));
    }
    // When set, the root is laid out to the view's size whenever the tree or
    // the size changes.
    bool isAllowAutoLayout() const { return m_allowAutoLayout; }
    void setAllowAutoLayout(bool allow) { m_allowAutoLayout = allow; }
    std::shared_ptr<KRDOMViewDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(std::weak_ptr<KRDOMViewDelegate> delegate) { m_delegate = std::move(delegate); }
    // The delegate as interface files set it; an object that is no
    // KRDOMViewDelegate clears it.
    pf::ObjectRef delegateObject() const { return std::dynamic_pointer_cast<pf::Object>(delegate()); }
    void setDelegateObject(const pf::ObjectRef& delegate)
    {
        m_delegate = std::dynamic_pointer_cast<KRDOMViewDelegate>(delegate);
    }

    // Makes this view the delegate of the element and its subtree, or takes
    // it away from those elements whose delegate it is.
    void viewBindElement(const KRDOMElementRef& element);
    void viewUnBindElement(const KRDOMElementRef& element);

    // Also lays the tree out again when allowed (a new frame comes through here).
    void setBounds(const pf::Rect& bounds) override;

    // A point of this view in the element's coordinates.
    pf::Point locationInElement(const KRDOMElement& element, pf::Point location) const;
    // Routes one touch event from `element` down (the point in its own
    // coordinates); true when an element took a touch-down.
    bool touchesElement(const KRDOMElementRef& element, pf::Point location, KRDOMTouchType type);

    // The native view kept for an element id; null when none is.
    pf::ViewRef elementViewForId(std::string_view eid) const { return m_host.elementViewForId(eid); }
    std::size_t elementViewCount() const { return m_host.elementViewCount(); }

    // pf::View
    bool drawsContent() const override { return true; }
    // Rows and documents often show only in part.
    bool backsInBands() const override { return true; }
    void draw(pf::GraphicsContext& context, const pf::Rect& rect) override;
    void layoutSubviews() override;
    void touchesBegan(const pf::TouchSet& touches) override;
    void touchesMoved(const pf::TouchSet& touches) override;
    void touchesEnded(const pf::TouchSet& touches) override;
    void touchesCancelled(const pf::TouchSet& touches) override;

    // KRDOMElementDelegate
    void krDOMElementDoAction(KRDOMElement& element) override;
    void krDOMElementDoNeedDisplay(KRDOMElement& element) override;
    bool hasKRDOMElementHosting() const override { return true; }
    void krDOMElementAddLayer(KRDOMElement& element, const std::shared_ptr<KRDOMLayer>& layer,
                              const pf::Rect& frame) override;
    void krDOMElementAddView(KRDOMElement* element, const pf::ViewRef& view, const pf::Rect& frame) override;
    pf::ViewRef krDOMElementView(KRDOMElement& element, const KRDOMViewClass& viewClass) override;

private:
    void layoutToBounds();
    void cancelTrackedTouch();
    void routeTracked(const pf::TouchSet& touches, KRDOMTouchType type);

    KRDOMElementHost m_host;
    bool m_allowAutoLayout = false;
    KRDOMElementRef m_element;
    std::weak_ptr<KRDOMViewDelegate> m_delegate;
    // The tree was last laid out to this size (auto layout).
    std::optional<pf::Size> m_laidOutSize;
    // The touch being routed, the element that took it and whether the
    // routing of its last event reached that element.
    std::optional<int> m_trackedTouch;
    pf::Point m_trackedLocation;
    std::weak_ptr<KRDOMElement> m_touchOwner;
    bool m_ownerReached = false;
};
