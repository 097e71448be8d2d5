#include "framework/data/KRPageDataSource.h"

#include "framework/data/KRDataSourceDelegate.h"
#include "platform/foundation/Collections.h"

#include <limits>

void KRPageDataSource::reloadData()
{
    m_loadingMore = false;
    setPageIndex(1);
    KRDataSource::reloadData();
}

void KRPageDataSource::loadMoreData()
{
    if (m_pageIndex == std::numeric_limits<int>::max())
        return;
    m_loadingMore = true;
    setPageIndex(m_pageIndex + 1);
    setLoading(true);
    if (auto delegate = dataSourceDelegate())
        delegate->krDataSourceWillLoading(*this);
}

void KRPageDataSource::krDownlinkTaskDidLoadedFromCache(const pf::Value& data, pf::Date timestamp, const pf::Protocol* taskType)
{
    KRDataSource::krDownlinkTaskDidLoadedFromCache(data, timestamp, taskType);
    m_hasMoreData = true;
}

void KRPageDataSource::krDownlinkTaskDidLoaded(const pf::Value& data, const pf::Protocol*)
{
    auto self = shared_from_this();
    m_loadingMore = false;
    std::size_t before = count();
    setLoading(false);
    if (m_pageIndex == 1) {
        clearDataObjects();
        before = 0;
    }
    loadResultsData(data);
    m_hasMoreData = count() != before;
    if (auto delegate = dataSourceDelegate())
        delegate->krDataSourceDidLoaded(*this);
    setLoaded(true);
    setSkipCached(false);
}

void KRPageDataSource::krDownlinkTaskDidFitalError(const pf::Error& error, const pf::Protocol* taskType)
{
    if (m_loadingMore && m_pageIndex > 1)
        setPageIndex(m_pageIndex - 1);
    m_loadingMore = false;
    KRDataSource::krDownlinkTaskDidFitalError(error, taskType);
}
