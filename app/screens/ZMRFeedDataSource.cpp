#include "app/screens/ZMRFeedDataSource.h"

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
