#pragma once

// Binds a data source to a KRContainerView: every entry shows in an item
// view controller (of `itemViewClass`, from `itemViewNib`, reused under that
// name), with fixed header and footer item view controllers around them, a
// pull-to-refresh view above the items, a load-more view below them, the
// last-update text in both, a not-found view over an empty list and views
// that fade while the list scrolls.
//
// A pull past the top view's height, released, reloads the source (which
// may first show its cached first page) as the list springs back. Load-more
// is tested only when a drag or a deceleration ends, and is queued for the
// next pass of the main loop, where it runs only if the source still has
// more data and is not loading (two queued requests never skip a page).
// Images of the item views download after every layout and when scrolling
// comes to rest; while scrolling, items ask only the local caches.
//
// The context and the delegate are not owned; the container view's delegate
// is cleared when the controller goes. Main queue only.

#include "framework/data/KRDataControllerDelegate.h"
#include "framework/data/KRItemViewDataController.h"
#include "framework/data/KRListLoadingViews.h"
#include "platform/foundation/Collections.h"

#include <optional>
#include <string>
#include <vector>

class KRDragLoadingView;
class KRContainerDataController;

class KRContainerDataControllerDelegate : public virtual KRDataControllerDelegate {
public:
    virtual void krContainerDataControllerItemViewControllerDoAction(KRContainerDataController&,
                                                                     KRItemViewController&, const pf::ObjectRef&) {}
};

class KRContainerDataController : public KRItemViewDataController, public KRListLoadingViews {
public:
    // Item view controllers shown before and after the entries.
    const pf::ArrayRef& headerItemViewControllers() const { return m_headerItems; }
    void setHeaderItemViewControllers(pf::ArrayRef items) { m_headerItems = std::move(items); }
    const pf::ArrayRef& footerItemViewControllers() const { return m_footerItems; }
    void setFooterItemViewControllers(pf::ArrayRef items) { m_footerItems = std::move(items); }
    pf::Size itemSize() const { return m_itemSize; }
    void setItemSize(pf::Size size) { m_itemSize = size; }
    bool allowRefresh() const { return m_allowRefresh; }

    void startLoading() override;
    void stopLoading() override;
    // Writes the last-update text into both loading views; none writes "".
    void setLastUpdateDate(std::optional<pf::Date> date);

    int numberOfKRContainerLayout(KRContainerLayout& layout) override;
    pf::Size krContainerLayoutItemSizeAtIndex(KRContainerLayout& layout, int index) override;
    std::shared_ptr<KRItemViewController> krContainerViewItemViewAtIndex(KRContainerView& view, int index,
                                                                        const pf::Rect& frame) override;
    void krContainerViewDidContentOffsetChanged(KRContainerView& view, pf::Point offset) override;
    void krContainerViewDidLayout(KRContainerView& view) override;
    void scrollViewDidEndDragging(pf::ScrollView& view, bool willDecelerate) override;
    void scrollViewDidEndDecelerating(pf::ScrollView& view) override;
    void scrollViewDidEndScrollingAnimation(pf::ScrollView& view) override;
    void krItemViewControllerDoAction(KRItemViewController& item, const pf::ObjectRef& action) override;

    void krDataSourceWillLoading(KRDataSource& dataSource) override;
    void krDataSourceDidLoadedFromCache(KRDataSource& dataSource, pf::Date timestamp) override;
    void krDataSourceDidLoaded(KRDataSource& dataSource) override;
    void krDataSourceDidContentChanged(KRDataSource& dataSource) override;

private:
    void loadMoreIfNear(pf::ScrollView& view);
    void downloadImages();
    std::shared_ptr<KRItemViewController> fixedItem(const pf::ArrayRef& items, int index, const char* identifier);

    bool m_allowRefresh = false;
    pf::Point m_preContentOffset;
    pf::ArrayRef m_headerItems;
    pf::ArrayRef m_footerItems;
    pf::Size m_itemSize;
};
