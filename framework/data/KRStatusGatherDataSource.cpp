#include "framework/data/KRStatusGatherDataSource.h"

KRStatusGatherDataSource::~KRStatusGatherDataSource()
{
    for (const auto& member : m_dataSources) {
        member->setContext({});
        member->setDelegate(nullptr);
    }
}

std::shared_ptr<KRStatusDataSource> KRStatusGatherDataSource::dataSource() const
{
    // No status matches nothing, not even a member without one.
    if (status()) {
        for (const auto& member : m_dataSources) {
            if (member->status() == status())
                return member;
        }
    }
    return m_dataSources.empty() ? nullptr : m_dataSources.front();
}

bool KRStatusGatherDataSource::isLoading() const
{
    auto active = dataSource();
    return active && active->isLoading();
}

bool KRStatusGatherDataSource::isLoaded() const
{
    auto active = dataSource();
    return active && active->isLoaded();
}

bool KRStatusGatherDataSource::isEmpty()
{
    auto active = dataSource();
    return !active || active->isEmpty();
}

bool KRStatusGatherDataSource::hasMoreData()
{
    auto active = dataSource();
    return active && active->hasMoreData();
}

pf::ArrayRef KRStatusGatherDataSource::dataObjects()
{
    auto active = dataSource();
    return active ? active->dataObjects() : nullptr;
}

void KRStatusGatherDataSource::reloadData()
{
    if (auto active = dataSource())
        active->reloadData();
}

void KRStatusGatherDataSource::refreshData()
{
    if (auto active = dataSource())
        active->refreshData();
}

void KRStatusGatherDataSource::cancel()
{
    if (auto active = dataSource())
        active->cancel();
}

void KRStatusGatherDataSource::loadMoreData()
{
    if (auto active = dataSource())
        active->loadMoreData();
}

void KRStatusGatherDataSource::setPageIndex(int pageIndex)
{
    KRStatusDataSource::setPageIndex(pageIndex);
    if (auto active = dataSource())
        active->setPageIndex(pageIndex);
}

void KRStatusGatherDataSource::setPageSize(int pageSize)
{
    KRStatusDataSource::setPageSize(pageSize);
    if (auto active = dataSource())
        active->setPageSize(pageSize);
}

void KRStatusGatherDataSource::setContext(std::weak_ptr<IKRUIContext> context)
{
    KRStatusDataSource::setContext(context);
    for (const auto& member : m_dataSources)
        member->setContext(context);
}

std::shared_ptr<KRDataSourceDelegate> KRStatusGatherDataSource::relayFor(const KRDataSource& sender) const
{
    auto active = dataSource();
    if (active.get() != &sender)
        return nullptr;
    return dataSourceDelegate();
}

void KRStatusGatherDataSource::krDataSourceWillLoading(KRDataSource& sender)
{
    if (auto delegate = relayFor(sender))
        delegate->krDataSourceWillLoading(*this);
}

void KRStatusGatherDataSource::krDataSourceDidLoadedFromCache(KRDataSource& sender, pf::Date timestamp)
{
    if (auto delegate = relayFor(sender))
        delegate->krDataSourceDidLoadedFromCache(*this, timestamp);
}

void KRStatusGatherDataSource::krDataSourceDidLoaded(KRDataSource& sender)
{
    if (auto delegate = relayFor(sender))
        delegate->krDataSourceDidLoaded(*this);
}

void KRStatusGatherDataSource::krDataSourceDidFitalError(KRDataSource& sender, const pf::Error& error)
{
    if (auto delegate = relayFor(sender))
        delegate->krDataSourceDidFitalError(*this, error);
}

void KRStatusGatherDataSource::krDataSourceDidContentChanged(KRDataSource& sender)
{
    if (auto delegate = relayFor(sender))
        delegate->krDataSourceDidContentChanged(*this);
}
