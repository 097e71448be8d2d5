#include "framework/data/KRDataSource.h"

#include "framework/core/KRDataOutlet.h"
#include "framework/data/KRDataSourceDelegate.h"
#include "platform/foundation/Collections.h"
#include "platform/ui/Compositor.h"

void KRDataSourceDelegate::krDataSourceWillLoading(KRDataSource&) {}
void KRDataSourceDelegate::krDataSourceDidLoadedFromCache(KRDataSource&, pf::Date) {}
void KRDataSourceDelegate::krDataSourceDidLoaded(KRDataSource&) {}
void KRDataSourceDelegate::krDataSourceDidFitalError(KRDataSource&, const pf::Error&) {}
void KRDataSourceDelegate::krDataSourceDidContentChanged(KRDataSource&) {}

KRDataSource::~KRDataSource()
{
    m_loading = false;
    if (auto context = m_context.lock())
        context->cancelHandleForSource(this);
}

void KRDataSource::setContext(std::weak_ptr<IKRUIContext> context)
{
    auto old = m_context.lock();
    auto fresh = context.lock();
    if (old == fresh)
        return;
    if (old)
        old->cancelHandleForSource(this);
    m_context = std::move(context);
}

std::shared_ptr<KRDataSourceDelegate> KRDataSource::dataSourceDelegate() const
{
    return std::dynamic_pointer_cast<KRDataSourceDelegate>(m_delegate.lock());
}

pf::ArrayRef KRDataSource::dataObjects()
{
    if (!m_dataObjects)
        m_dataObjects = pf::Array::create();
    return m_dataObjects;
}

void KRDataSource::clearDataObjects()
{
    // The rows' documents are torn down after the frame that shows what
    // replaces them, not on the way to it.
    if (m_dataObjects && !m_dataObjects->empty())
        pf::Compositor::releaseAfterNextFrame(std::make_shared<pf::Array::Values>(m_dataObjects->take()));
}

std::size_t KRDataSource::count()
{
    auto objects = dataObjects();
    return objects ? objects->count() : 0;
}

pf::Value KRDataSource::dataObjectAtIndex(int index)
{
    auto objects = dataObjects();
    if (!objects || index < 0)
        return {};
    return objects->at(static_cast<std::size_t>(index));
}

pf::Value KRDataSource::dataObject()
{
    return dataObjectAtIndex(0);
}

bool KRDataSource::isEmpty()
{
    return !m_dataObjects || m_dataObjects->empty();
}

void KRDataSource::reloadData()
{
    m_loading = true;
    if (auto delegate = dataSourceDelegate())
        delegate->krDataSourceWillLoading(*this);
}

void KRDataSource::refreshData()
{
    setSkipCached(true);
    reloadData();
}

void KRDataSource::cancel()
{
    m_loading = false;
}

void KRDataSource::loadResultsData(const pf::Value& results)
{
    pf::Value list = m_dataKey ? dataForKeyPath(results, *m_dataKey) : results;
    if (auto array = list.array()) {
        auto objects = dataObjects();
        objects->reserve(objects->count() + array->count());
        for (const pf::Value& item : *array)
            objects->add(item);
    } else if (list.isDictionary()) {
        dataObjects()->add(list);
    }
}

void KRDataSource::krDownlinkTaskDidLoadedFromCache(const pf::Value& data, pf::Date timestamp, const pf::Protocol*)
{
    auto self = shared_from_this(); // the delegate may drop its last reference
    clearDataObjects();
    loadResultsData(data);
    if (auto delegate = dataSourceDelegate())
        delegate->krDataSourceDidLoadedFromCache(*this, timestamp);
}

void KRDataSource::krDownlinkTaskDidLoaded(const pf::Value& data, const pf::Protocol*)
{
    auto self = shared_from_this();
    m_loading = false;
    clearDataObjects();
    loadResultsData(data);
    if (auto delegate = dataSourceDelegate())
        delegate->krDataSourceDidLoaded(*this);
    m_loaded = true;
    setSkipCached(false);
}

void KRDataSource::krDownlinkTaskDidFitalError(const pf::Error& error, const pf::Protocol*)
{
    auto self = shared_from_this();
    m_loading = false;
    if (auto delegate = dataSourceDelegate())
        delegate->krDataSourceDidFitalError(*this, error);
    if (!isEmpty())
        m_loaded = true;
    setSkipCached(false);
}
