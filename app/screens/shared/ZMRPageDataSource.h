#pragma once

// The application's paged server lists: a page source that is itself the
// list's IZMRDownlinkTask. A new source holds "pageIndex" = "1" and
// "pageSize" = "20" in its query values, and every page change is mirrored
// there, which is how the list service sends the page. reloadData,
// refreshData and loadMoreData send the source (after withdrawing the
// request under way); cancel withdraws it. Main queue only.

#include "app/screens/shared/ZMRListQuery.h"
#include "framework/data/KRPageDataSource.h"

class ZMRPageDataSource : public KRPageDataSource, public ZMRListQuery {
public:
    ZMRPageDataSource();

    void setPageIndex(int pageIndex) override;
    void setPageSize(int pageSize) override;
    void reloadData() override;
    void loadMoreData() override;
    void cancel() override;
    // Undeclared keys are query values (ZMRListQuery.h).
    std::optional<pf::Error> setValueForUndefinedKey(std::string_view key, const pf::Value& value) override
    {
        return setQueryValueForKey(key, value);
    }
    pf::Value valueForUndefinedKey(std::string_view key) const override { return queryValue(key); }
};
