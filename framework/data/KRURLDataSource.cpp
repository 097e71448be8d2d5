#include "framework/data/KRURLDataSource.h"

#include "framework/core/KRDataOutlet.h"
#include "platform/foundation/Collections.h"

#include <utility>

pf::DictionaryRef KRURLDataSource::queryValues() { return std::as_const(*this).queryValues(); }

pf::DictionaryRef KRURLDataSource::queryValues() const
{
    if (!m_queryValues)
        m_queryValues = pf::Dictionary::create();
    return m_queryValues;
}

void KRURLDataSource::setQueryValues(pf::DictionaryRef values)
{
    m_queryValues = values ? values->mutableCopy() : nullptr;
}

pf::Value KRURLDataSource::templateValue(std::string_view keyPath)
{
    return dataForKeyPath(pf::Value(shared_from_this()), keyPath);
}

void KRURLDataSource::send()
{
    auto context = this->context();
    if (!context)
        return;
    auto self = shared_from_this();
    context->cancelHandle(proto::IKRURLDownlinkTask(), self);
    context->handle(proto::IKRURLDownlinkTask(), self, 0);
}

void KRURLDataSource::reloadData()
{
    KRPageDataSource::reloadData();
    send();
}

void KRURLDataSource::loadMoreData()
{
    int before = pageIndex();
    KRPageDataSource::loadMoreData();
    if (pageIndex() != before) // no page after the last possible one
        send();
}

void KRURLDataSource::cancel()
{
    KRPageDataSource::cancel();
    if (auto context = this->context())
        context->cancelHandle(proto::IKRURLDownlinkTask(), shared_from_this());
}
