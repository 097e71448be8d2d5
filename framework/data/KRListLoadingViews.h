#pragma once

// What the table and container data controllers share around their loading
// views: the last-update text in both views, the not-found view over an
// empty list, and the queued load-more.
//
// Main queue only.

#include "framework/data/KRLastUpdateText.h"
#include "platform/ui/Forward.h"

#include <memory>
#include <optional>

class KRDataController;
class KRDataSource;
class KRDragLoadingView;

struct KRLoadingViews {
    std::shared_ptr<KRDragLoadingView> top;
    std::shared_ptr<KRDragLoadingView> bottom;

    bool anyAnimating() const;
    void startAnimation() const;
    // Writes the last-update text of `date` into the time label of each
    // view that has one; no date writes "".
    void setLastUpdateDate(std::optional<pf::Date> date, KRSameDayForm sameDay) const;
};

// True for a page source that has more.
bool KRHasMoreData(const std::shared_ptr<KRDataSource>& source);

// After a load: over an empty list the not-found view covers `host` (its
// bounds, growing with it), added once; over a list with data, or without
// a source, it is removed.
void KRPlaceNotFoundDataView(const pf::ViewRef& view, pf::View& host, const std::shared_ptr<KRDataSource>& source);

// Asks the controller's page source for its next page on the next pass of
// the main loop, once per pass however often asked (a scroll reports many
// steps before the loop turns). When it runs it asks again: only a source
// that still has more and is not loading loads, so a second request never
// skips a page.
void KRQueueLoadMore(KRDataController& controller);
