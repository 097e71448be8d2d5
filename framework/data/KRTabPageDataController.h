#pragma once

// Tabs whose contents lie side by side as the pages of a horizontally
// paging scroll view (best a KRScrollView, which reports every offset). A
// highlight view under the tab buttons follows the page scroll in
// proportion, a tab strip that is itself a scroll view keeps the highlight
// in sight (`leftSpaceWidth` and `rightSpaceWidth` of room beside it), each
// page's controller starts loading on the next turn once its page comes
// into view (only if its source is neither loading nor loaded), and
// finishing a scroll selects the page's tab without moving the page again.
// Content views are never hidden.
//
// A page view of no width or an offset that is no number is not tracked.
// Main queue only.

#include "framework/data/KRTabDataController.h"
#include "framework/ui/KRScrollView.h"

class KRTabPageDataController : public KRTabDataController, public KRScrollViewDelegate {
public:
    const std::shared_ptr<pf::ScrollView>& pageContentView() const { return m_pageContentView; }
    // The page view's delegate becomes the controller.
    void setPageContentView(std::shared_ptr<pf::ScrollView> view);
    const pf::ViewRef& tabBackgroundView() const { return m_tabBackgroundView; }
    void setTabBackgroundView(pf::ViewRef view) { m_tabBackgroundView = std::move(view); }
    double leftSpaceWidth() const { return m_leftSpaceWidth; }
    void setLeftSpaceWidth(double width) { m_leftSpaceWidth = width; }
    double rightSpaceWidth() const { return m_rightSpaceWidth; }
    void setRightSpaceWidth(double width) { m_rightSpaceWidth = width; }

    void setSelectedIndex(unsigned index) override { setSelectedIndex(index, false, false); }
    void setSelectedIndex(unsigned index, bool animated) { setSelectedIndex(index, animated, false); }
    // The same index only keeps the highlight in sight. Otherwise the buttons
    // change, the highlight moves to the button (over 0.2 s when animated),
    // the page view scrolls there unless `withoutOffset`, and the delegate is told.
    void setSelectedIndex(unsigned index, bool animated, bool withoutOffset);

    // The element at the index; past the end (a negative index counts as
    // past it) the last one; null for an empty list.
    std::shared_ptr<pf::Control> tabButtonAtIndex(int index) const;
    pf::ViewRef contentViewAtIndex(int index) const;
    pf::ObjectRef controllerAtIndex(int index) const;

    // Centres the highlight on the button, then keeps it in sight.
    void scrollToTabButton(int index);
    void scrollToTabBackgroundVisable(bool animated);
    // Schedules the controller's reload on the next turn when its source is
    // neither loading nor loaded; a controller without a source is left alone.
    void reloadDataController(const pf::ObjectRef& controller);

    void scrollViewDidContentOffsetChanged(KRScrollView& scrollView, pf::Point offset) override;
    void scrollViewDidEndScrollingAnimation(pf::ScrollView& scrollView) override;
    void scrollViewDidEndDecelerating(pf::ScrollView& scrollView) override;
    void scrollViewDidEndDragging(pf::ScrollView& scrollView, bool willDecelerate) override;

private:
    void selectPageUnderOffset(pf::ScrollView& scrollView);

    std::shared_ptr<pf::ScrollView> m_pageContentView;
    pf::ViewRef m_tabBackgroundView;
    double m_leftSpaceWidth = 0;
    double m_rightSpaceWidth = 0;
};
