#include "app/screens/shared/ZMRListQuery.h"

#include "app/services/ZMRTaskTypes.h"
#include "framework/data/KRDataSource.h"
#include "platform/foundation/Collections.h"

#include <string>

pf::DictionaryRef ZMRListQuery::queryValues()
{
    if (!m_queryValues)
        m_queryValues = pf::Dictionary::create();
    return m_queryValues;
}

pf::Value ZMRListQuery::queryValue(std::string_view key) const
{
    return m_queryValues ? m_queryValues->get(key) : pf::Value();
}

std::optional<pf::Error> ZMRListQuery::setQueryValueForKey(std::string_view key, const pf::Value& value)
{
    if (value.isNilOrNull()) {
        queryValues()->remove(key);
        return std::nullopt;
    }
    std::string text;
    if (const std::string* string = value.string()) {
        text = *string;
    } else if (value.isNumber()) {
        // Whole numbers in full ("%lld"), booleans "1"/"0", reals in their shortest form.
        text = value.description();
    } else {
        return pf::Error{"ZMRListQuery", 1, "query value \"" + std::string(key) + "\" takes a text or a number"};
    }
    queryValues()->set(key, std::move(text));
    return std::nullopt;
}

void ZMRListQuery::mirrorPageIndex(int pageIndex)
{
    queryValues()->set("pageIndex", std::to_string(pageIndex));
}

void ZMRListQuery::mirrorPageSize(int pageSize)
{
    queryValues()->set("pageSize", std::to_string(pageSize));
}

void ZMRListQuery::sendList(KRDataSource& source)
{
    auto context = source.context();
    if (!context)
        return;
    auto self = source.shared_from_this();
    context->cancelHandle(proto::IZMRDownlinkTask(), self);
    context->handle(proto::IZMRDownlinkTask(), self, 0);
}

void ZMRListQuery::withdrawList(KRDataSource& source)
{
    if (auto context = source.context())
        context->cancelHandle(proto::IZMRDownlinkTask(), source.shared_from_this());
}
