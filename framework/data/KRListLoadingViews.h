#pragma once

// What the table and container data controllers share around their loading
// views: the pull-to-refresh (top) and load-more (bottom) views, the
// not-found view and the views that fade while scrolling, as interface files
// connect them; the last-update text in both loading views; the not-found
// view over an empty list; and the queued load-more.
//
// Main queue only.

#include "framework/data/KRLastUpdateText.h"
#include "platform/foundation/Forward.h"
#include "platform/ui/Forward.h"

#include <memory>
#include <optional>
#include <vector>

class KRDataController;
class KRDataSource;
class KRDragLoadingView;

class KRListLoadingViews {
public:
    virtual ~KRListLoadingViews() = default;

    const std::shared_ptr<KRDragLoadingView>& topLoadingView() const { return m_topLoadingView; }
    void setTopLoadingView(std::shared_ptr<KRDragLoadingView> view) { m_topLoadingView = std::move(view); }
    const std::shared_ptr<KRDragLoadingView>& bottomLoadingView() const { return m_bottomLoadingView; }
    void setBottomLoadingView(std::shared_ptr<KRDragLoadingView> view) { m_bottomLoadingView = std::move(view); }
    const pf::ViewRef& notFoundDataView() const { return m_notFoundDataView; }
    void setNotFoundDataView(pf::ViewRef view) { m_notFoundDataView = std::move(view); }
    // An array of views, as interface files connect them.
    pf::ArrayRef autoHiddenViews() const;
    void setAutoHiddenViews(pf::ArrayRef views);

protected:
    bool loadingViewsAnimating() const;
    void startLoadingViews() const;
    // Writes the last-update text of `date` into the time label of each
    // loading view that has one; no date writes "".
    void writeLastUpdateDate(std::optional<pf::Date> date, KRSameDayForm sameDay) const;
    // After a load: over an empty list the not-found view covers `host` (its
    // bounds, growing with it), added once; over a list with data, or
    // without a source, it is removed.
    void placeNotFoundDataView(pf::View& host, const std::shared_ptr<KRDataSource>& source) const;

    std::shared_ptr<KRDragLoadingView> m_topLoadingView;
    std::shared_ptr<KRDragLoadingView> m_bottomLoadingView;
    pf::ViewRef m_notFoundDataView;
    std::vector<pf::ViewRef> m_autoHiddenViews;
};

// True for a page source that has more.
bool KRHasMoreData(const std::shared_ptr<KRDataSource>& source);

// Asks the controller's page source for its next page on the next pass of
// the main loop, once per pass however often asked (a scroll reports many
// steps before the loop turns). When it runs it asks again: only a source
// that still has more and is not loading loads, so a second request never
// skips a page.
void KRQueueLoadMore(KRDataController& controller);
