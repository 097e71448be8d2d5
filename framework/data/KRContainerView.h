#pragma once

// The recycling grid and list view: a scroll view that shows item view
// controllers at the rects of its container layout, below an optional
// header view and above an optional footer view (both full width), over an
// optional background view pinned to the visible area. Only items whose
// rects meet the visible area have controllers; those scrolled out of sight
// are reset (no item, index KRItemIndexNone) and wait in a reuse queue under
// their reuse identifier (a controller without one is dropped). The
// delegate supplies the controller for each index, new or dequeued; a
// delegate answering none leaves that item out.
//
// Every content-offset change runs a layout pass on the next pass of the
// main loop, followed by krContainerViewDidContentOffsetChanged. reloadData
// asks again for every visible controller; relayout only moves them. Any
// number of reloads in one pass is followed by one krContainerViewDidLayout
// on the next pass. A frame that changes the inner size relayouts once on
// the next pass.
//
// The focus index is the current item (for paging): it stays while its
// item is on screen, else moves to the first fully visible item, else the
// first visible one, else KRItemIndexNone.
//
// Main queue only; every deferred call runs on the main loop. The delegate
// is the scroll view's (not retained) and must be a KRContainerViewDelegate.

#include "platform/controls/ScrollView.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

class KRContainerLayout;
class KRContainerView;
class KRItemViewController;

class KRContainerViewDelegate : public pf::ScrollViewDelegate {
public:
    // The controller for `index`, new or dequeued; `frame` is in container coordinates.
    virtual std::shared_ptr<KRItemViewController> krContainerViewItemViewAtIndex(KRContainerView& view, int index,
                                                                                const pf::Rect& frame) = 0;
    virtual void krContainerViewDidContentOffsetChanged(KRContainerView&, pf::Point) {}
    virtual void krContainerViewDidLayout(KRContainerView&) {}
    virtual void krContainerViewWillLayout(KRContainerView&) {}
    virtual void krContainerViewDidFocusIndexChanged(KRContainerView&, int) {}
};

class KRContainerView : public pf::ScrollView {
public:
    explicit KRContainerView(const pf::Rect& frame = {});

    const std::shared_ptr<KRContainerLayout>& containerLayout() const { return m_containerLayout; }
    void setContainerLayout(std::shared_ptr<KRContainerLayout> layout) { m_containerLayout = std::move(layout); }
    // A different view replaces the old one (removed from the container)
    // and runs a layout pass; the same view again does nothing.
    const pf::ViewRef& headerView() const { return m_headerView; }
    void setHeaderView(pf::ViewRef view);
    const pf::ViewRef& footerView() const { return m_footerView; }
    void setFooterView(pf::ViewRef view);
    const pf::ViewRef& backgroundView() const { return m_backgroundView; }
    void setBackgroundView(pf::ViewRef view);

    int focusIndex() const { return m_focusIndex; }
    void setFocusIndex(int index) { setFocusIndex(index, false); }
    // Stores the index and scrolls its item (below the header) into view;
    // an index outside the layout only is stored.
    void setFocusIndex(int index, bool animated);

    // The layout recomputed at the inner size, then a pass that asks again
    // for every visible controller.
    void reloadData();
    // The same, keeping the visible controllers' content.
    void relayout();
    void layoutItemViews(bool reload);

    // The first queued controller with that identifier; it stays queued
    // until a layout pass takes it.
    std::shared_ptr<KRItemViewController> dequeueReusableItemViewWithIdentifier(const std::string& identifier) const;
    std::shared_ptr<KRItemViewController> itemViewControllerAtIndex(int index) const;
    // The layout's rect (without the header height); zero outside the layout.
    pf::Rect itemRectAtIndex(int index) const;
    bool isVisableRect(const pf::Rect& rect) const;
    bool isFullVisableRect(const pf::Rect& rect) const;
    // The bounds size less the content insets.
    pf::Size innerSize() const;

    // Relayouts on the next pass when the inner size changed.
    void setFrame(const pf::Rect& frame) override;
    using pf::ScrollView::setContentOffset;
    void setContentOffset(pf::Point offset) override;
    void layoutSubviews() override;

    const std::vector<std::shared_ptr<KRItemViewController>>& itemViewControllers() const { return m_active; }
    const std::vector<std::shared_ptr<KRItemViewController>>& queueItemViewControllers() const { return m_queue; }

    // For tests: "visible i j …", one "i {x, y, w, h}" line per active
    // controller in index order, "queue n", "focus i" ("focus none").
    std::string dumpText() const;

private:
    std::shared_ptr<KRContainerViewDelegate> containerDelegate() const;
    void reload(bool reload);
    void scheduleDidLayout();
    void scheduleRelayoutIfResized();
    void contentOffsetChanged();
    void replaceView(pf::ViewRef& slot, pf::ViewRef view);
    void recycle(const std::shared_ptr<KRItemViewController>& controller);
    void removeItemViewController(const std::shared_ptr<KRItemViewController>& controller);
    void removeQueueItemViewController(const std::shared_ptr<KRItemViewController>& controller);

    std::vector<std::shared_ptr<KRItemViewController>> m_queue;
    std::vector<std::shared_ptr<KRItemViewController>> m_active;
    std::shared_ptr<KRContainerLayout> m_containerLayout;
    pf::ViewRef m_headerView;
    pf::ViewRef m_footerView;
    pf::ViewRef m_backgroundView;
    int m_focusIndex = 0;
};
