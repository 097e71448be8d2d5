#pragma once

// A scrolling host of one element tree that may be far taller than the
// screen. The root is laid out for the view's width (and an unbounded
// height); the scrollable height follows it. The tree is drawn in tiles,
// horizontal pages `pageScale` times the view's height (twice it by
// default): only the pages that intersect the visible part are subviews,
// and tiles scrolled away are detached and reused. The whole tree is laid
// out again only when the view's size changes or a reload is forced;
// scrolling only moves and redraws tiles.
//
// The view is the delegate of every element of its tree: it places their
// highlight layers and native views above the tiles (native views kept by
// the element's "id", as KRDOMView keeps them: see KRDOMElementHost),
// redraws the tiles when an element asks (a picture that arrived) and
// routes touches. A touch-down reaches every visible
// element under it, parents first; the moves, end or cancel of that touch
// reach every element of the tree, so no highlight is left behind. Element
// actions have no receiver here.
//
// Content taller than the drawable range is cut to it (with a log line).
// The tree is unbound, and a touch in progress cancelled, when it is
// replaced or the view goes away. A new tree is laid out before it is bound,
// so its native views are placed at their final frames.
//
// Main queue only. Made with create().

#include "framework/dom/KRDOMElementDelegate.h"
#include "framework/dom/KRDOMElementHost.h"
#include "framework/dom/KRDOMView.h"
#include "framework/dom/Forward.h"
#include "platform/controls/ScrollView.h"

#include <optional>
#include <string_view>
#include <vector>

class KRDOMScrollContentView;

class KRDOMScrollView : public pf::ScrollView, public KRDOMElementDelegate {
public:
    // The tallest content drawn; the tree's elements are not drawn further down.
    static constexpr double kMaxContentHeight = 1 << 20;

    static std::shared_ptr<KRDOMScrollView> create(const pf::Rect& frame = {});
    explicit KRDOMScrollView(const pf::Rect& frame = {});
    ~KRDOMScrollView() override;

    const KRDOMElementRef& element() const { return m_element; }
    // Shows a new tree (nothing when it shows it already): cancels a touch
    // in progress, unbinds the old tree, binds the new one and forces a
    // reload. A tree that another view took meanwhile is put up again.
    void setElement(KRDOMElementRef root);
    // Page height as a multiple of the view's height; 0 means 2. Both take
    // effect at the next reload.
    double pageScale() const { return m_pageScale; }
    void setPageScale(double scale) { m_pageScale = scale; }
    pf::Size layoutSize() const { return m_layoutSize; }
    void setLayoutSize(pf::Size size) { m_layoutSize = size; }

    // Lays the tree out again when the size changed or `force` is set
    // (then also redraws every tile) and shows the tiles of the visible pages.
    void reloadContents(bool force);

    void viewBindElement(const KRDOMElementRef& element);
    void viewUnBindElement(const KRDOMElementRef& element);
    // Offers one touch event to `element` and its subtree (the point in the
    // element's own coordinates).
    void touchesElement(const KRDOMElementRef& element, pf::Point location, KRDOMTouchType type);

    // Every tile made so far, free or in use.
    const std::vector<std::shared_ptr<KRDOMScrollContentView>>& contentViews() const { return m_contentViews; }
    // The pages shown, in ascending order.
    std::vector<std::int32_t> visiblePages() const;
    pf::ViewRef elementViewForId(std::string_view eid) const;
    std::size_t elementViewCount() const { return m_host.elementViewCount(); }

    // Also reloads; new frames and content offsets come through here.
    void setBounds(const pf::Rect& bounds) override;

    // pf::View
    void touchesBegan(const pf::TouchSet& touches) override;
    void touchesMoved(const pf::TouchSet& touches) override;
    void touchesEnded(const pf::TouchSet& touches) override;
    void touchesCancelled(const pf::TouchSet& touches) override;

    // KRDOMElementDelegate
    void krDOMElementDoNeedDisplay(KRDOMElement& element) override;
    bool hasKRDOMElementHosting() const override { return true; }
    void krDOMElementAddLayer(KRDOMElement& element, const std::shared_ptr<KRDOMLayer>& layer,
                              const pf::Rect& frame) override;
    void krDOMElementAddView(KRDOMElement* element, const pf::ViewRef& view, const pf::Rect& frame) override;
    pf::ViewRef krDOMElementView(KRDOMElement& element, const KRDOMViewClass& viewClass) override;

protected:
    void layoutSubviews() override;

private:
    void freeTile(KRDOMScrollContentView& tile);
    void freeAllTiles();
    double layOutTree();
    void routeTouch(const pf::TouchSet& touches, KRDOMTouchType type);
    void cancelTouch();

    std::vector<std::shared_ptr<KRDOMScrollContentView>> m_contentViews;
    KRDOMElementHost m_host;
    KRDOMElementRef m_element;
    double m_pageScale = 0;
    pf::Size m_layoutSize;
    bool m_reloading = false;
    // The one touch routed to the tree, and where it was last.
    std::optional<int> m_touch;
    pf::Point m_touchLocation;
};
