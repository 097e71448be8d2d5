#include "app/screens/shared/ZMRPageDataSource.h"

ZMRPageDataSource::ZMRPageDataSource()
{
    mirrorPageIndex(pageIndex());
    mirrorPageSize(pageSize());
}

void ZMRPageDataSource::setPageIndex(int pageIndex)
{
    KRPageDataSource::setPageIndex(pageIndex);
    mirrorPageIndex(pageIndex);
}

void ZMRPageDataSource::setPageSize(int pageSize)
{
    KRPageDataSource::setPageSize(pageSize);
    mirrorPageSize(pageSize);
}

void ZMRPageDataSource::reloadData()
{
    KRPageDataSource::reloadData();
    sendList(*this);
}

void ZMRPageDataSource::loadMoreData()
{
    int before = pageIndex();
    KRPageDataSource::loadMoreData();
    if (pageIndex() != before) // no page after the last possible one
        sendList(*this);
}

void ZMRPageDataSource::cancel()
{
    KRPageDataSource::cancel();
    withdrawList(*this);
}
