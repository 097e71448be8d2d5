#include "app/screens/people/ZMRUserFeedDataSource.h"

#include "app/screens/shared/ZMRDisplayFields.h"
#include "app/services/ZMRContext.h"
#include "framework/core/IKRUIContext.h"
#include "platform/foundation/Collections.h"

void ZMRPrepareFeedEntries(const pf::ArrayRef& objects, std::size_t listed, const ZMRContext* context)
{
    if (!objects)
        return;
    for (std::size_t i = 0; i < objects->count(); ++i) {
        auto item = objects->at(i).dictionary();
        if (!item)
            continue;
        if (i >= listed)
            item->remove("html");
        ZMRAddDisplayFields(*item, context);
    }
}

void ZMRUserFeedDataSource::setUid(long long uid)
{
    m_uid = uid;
    queryValues()->set("uid", std::to_string(uid));
}

void ZMRUserFeedDataSource::loadResultsData(const pf::Value& results)
{
    std::size_t listed = count();
    ZMRPageDataSource::loadResultsData(results);
    auto context = std::dynamic_pointer_cast<ZMRContext>(this->context());
    ZMRPrepareFeedEntries(dataObjects(), listed, context.get());
}
