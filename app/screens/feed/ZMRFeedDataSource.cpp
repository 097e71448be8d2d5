#include "app/screens/feed/ZMRFeedDataSource.h"

#include "app/screens/people/ZMRUserFeedDataSource.h"
#include "app/services/ZMRContext.h"
#include "framework/core/IKRUIContext.h"
#include "platform/foundation/Collections.h"

ZMRFeedDataSource::ZMRFeedDataSource()
{
    mirrorPageIndex(pageIndex());
    mirrorPageSize(pageSize());
}

void ZMRFeedDataSource::setPageIndex(int pageIndex)
{
    KRStatusDataSource::setPageIndex(pageIndex);
    mirrorPageIndex(pageIndex);
}

void ZMRFeedDataSource::setPageSize(int pageSize)
{
    KRStatusDataSource::setPageSize(pageSize);
    mirrorPageSize(pageSize);
}

void ZMRFeedDataSource::reloadData()
{
    KRStatusDataSource::reloadData();
    sendList(*this);
}

void ZMRFeedDataSource::loadMoreData()
{
    int before = pageIndex();
    KRStatusDataSource::loadMoreData();
    if (pageIndex() != before) // no page after the last possible one
        sendList(*this);
}

void ZMRFeedDataSource::cancel()
{
    KRStatusDataSource::cancel();
    withdrawList(*this);
}

void ZMRFeedDataSource::setMutual(bool mutual)
{
    if (mutual)
        queryValues()->set("mutual", "1");
    else
        queryValues()->remove("mutual");
}

void ZMRFeedDataSource::loadResultsData(const pf::Value& results)
{
    std::size_t listed = count();
    KRStatusDataSource::loadResultsData(results);
    auto context = std::dynamic_pointer_cast<ZMRContext>(this->context());
    ZMRPrepareFeedEntries(dataObjects(), listed, context.get());
}
