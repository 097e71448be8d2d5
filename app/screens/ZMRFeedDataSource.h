#pragma once

// The feed lists' data source: a status source (the status word names which
// feed it holds) with the application's list query mechanics, paged and sent
// like ZMRPageDataSource. Main queue only.

#include "app/screens/ZMRListQuery.h"
#include "framework/data/KRStatusDataSource.h"

class ZMRFeedDataSource : public KRStatusDataSource, public ZMRListQuery {
public:
    ZMRFeedDataSource();

    void setPageIndex(int pageIndex) override;
    void setPageSize(int pageSize) override;
    void reloadData() override;
    void loadMoreData() override;
    void cancel() override;
};
