#pragma once

// Shows the objects of a data source as horizontal pages, one item view
// controller per page, in a KRContainerView laid out one page per item. A
// loading view sits left of the first page and one right of the last; a
// strip pulled past either end by more than that view's width and released
// raises the left or right action once, as it springs back inside the
// view's width. A release without deceleration arms nothing. The focused
// page and the item views' actions go to the delegate.
//
// The context and the delegate are not owned; the container view's delegate
// is cleared when the controller goes. Main queue only.

#include "framework/data/KRDataControllerDelegate.h"
#include "framework/data/KRItemViewDataController.h"

class KRDragLoadingView;
class KRPageDataController;

// Every callback is optional; the two questions answer true by default.
class KRPageDataControllerDelegate : public virtual KRDataControllerDelegate {
public:
    virtual bool krPageDataControllerShowLeftLoading(KRPageDataController&) { return true; }
    virtual bool krPageDataControllerShowRightLoading(KRPageDataController&) { return true; }
    virtual void krPageDataControllerLeftAction(KRPageDataController&) {}
    virtual void krPageDataControllerRightAction(KRPageDataController&) {}
    virtual void krPageDataControllerItemViewControllerDoAction(KRPageDataController&, KRItemViewController&,
                                                                const pf::ObjectRef&) {}
    virtual void krPageDataControllerFocusIndexChanged(KRPageDataController&, int) {}
};

class KRPageDataController : public KRItemViewDataController {
public:
    const std::shared_ptr<KRDragLoadingView>& leftLoadingView() const { return m_leftLoadingView; }
    void setLeftLoadingView(std::shared_ptr<KRDragLoadingView> view) { m_leftLoadingView = std::move(view); }
    const std::shared_ptr<KRDragLoadingView>& rightLoadingView() const { return m_rightLoadingView; }
    void setRightLoadingView(std::shared_ptr<KRDragLoadingView> view) { m_rightLoadingView = std::move(view); }

    void startLoading() override;
    void stopLoading() override;
    // Places the two loading views beside the pages, or removes them.
    void resetLoading();

    int numberOfKRContainerLayout(KRContainerLayout& layout) override;
    pf::Size krContainerLayoutItemSizeAtIndex(KRContainerLayout& layout, int index) override;
    std::shared_ptr<KRItemViewController> krContainerViewItemViewAtIndex(KRContainerView& view, int index,
                                                                        const pf::Rect& frame) override;
    void krContainerViewDidContentOffsetChanged(KRContainerView& view, pf::Point offset) override;
    void krContainerViewDidFocusIndexChanged(KRContainerView& view, int index) override;
    void scrollViewDidEndDragging(pf::ScrollView& view, bool willDecelerate) override;
    void krItemViewControllerDoAction(KRItemViewController& item, const pf::ObjectRef& action) override;

private:
    std::shared_ptr<KRPageDataControllerDelegate> pageDelegate() const;
    bool anyLoadingViewAnimating() const;

    bool m_allowLeftAction = false;
    bool m_allowRightAction = false;
    std::shared_ptr<KRDragLoadingView> m_leftLoadingView;
    std::shared_ptr<KRDragLoadingView> m_rightLoadingView;
};
