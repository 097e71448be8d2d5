#pragma once

// A data source that loads page by page. Pages count from 1 with 20 objects
// each; reloadData starts again at page 1, loadMoreData asks for the next.
// An answer for page 1 replaces the list, a later page extends it, and
// hasMoreData says whether that page added anything. A load-more that fails
// steps the page index back, so the next load-more asks for the same page.
// Main queue only.

#include "framework/data/KRDataSource.h"

class KRPageDataSource : public KRDataSource, public virtual IKRDownlinkPageTask {
public:
    virtual bool hasMoreData() { return m_hasMoreData; }
    void setHasMoreData(bool hasMore) { m_hasMoreData = hasMore; }
    int pageIndex() const { return m_pageIndex; }
    virtual void setPageIndex(int pageIndex) { m_pageIndex = pageIndex; }
    int pageSize() const { return m_pageSize; }
    virtual void setPageSize(int pageSize) { m_pageSize = pageSize; }

    void reloadData() override;
    // The next page: page index + 1, loading, will-loading.
    virtual void loadMoreData();

    int krDownlinkPageTaskPageSize() const override { return m_pageSize; }
    int krDownlinkPageTaskPageIndex() const override { return m_pageIndex; }
    void krDownlinkTaskDidLoadedFromCache(const pf::Value& data, pf::Date timestamp, const pf::Protocol* taskType) override;
    void krDownlinkTaskDidLoaded(const pf::Value& data, const pf::Protocol* taskType) override;
    void krDownlinkTaskDidFitalError(const pf::Error& error, const pf::Protocol* taskType) override;

private:
    int m_pageIndex = 1;
    int m_pageSize = 20;
    bool m_hasMoreData = false;
    bool m_loadingMore = false; // the load under way asks for a later page
};
