#include "app/services/ZMRPageDataSource.h"

#include "app/services/ZMRTaskTypes.h"
#include "framework/core/IKRService.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/RunLoop.h"

#include <cassert>
#include <limits>

pf::DictionaryRef ZMRPageDataSource::queryValues()
{
    if (!m_queryValues)
        m_queryValues = pf::Dictionary::create();
    return m_queryValues;
}

void ZMRPageDataSource::setPageIndex(int pageIndex)
{
    m_pageIndex = pageIndex;
    queryValues()->set("pageIndex", std::to_string(pageIndex));
}

void ZMRPageDataSource::setPageSize(int pageSize)
{
    m_pageSize = pageSize;
    queryValues()->set("pageSize", std::to_string(pageSize));
}

void ZMRPageDataSource::load()
{
    PF_ASSERT_MAIN_THREAD();
    if (!m_queryValues || !m_queryValues->contains("pageSize"))
        setPageSize(m_pageSize);
    if (auto context = this->context())
        context->handle(proto::IZMRDownlinkTask(), shared_from_this(), 0);
}

void ZMRPageDataSource::reloadData()
{
    setSkipCached(false);
    setPageIndex(1);
    load();
}

void ZMRPageDataSource::loadMoreData()
{
    if (m_pageIndex < std::numeric_limits<int>::max())
        setPageIndex(m_pageIndex + 1);
    load();
}

void ZMRPageDataSource::refreshData()
{
    setSkipCached(true);
    setPageIndex(1);
    load();
}

void ZMRPageDataSource::cancel()
{
    PF_ASSERT_MAIN_THREAD();
    if (auto context = this->context())
        context->cancelHandle(proto::IZMRDownlinkTask(), shared_from_this());
}
