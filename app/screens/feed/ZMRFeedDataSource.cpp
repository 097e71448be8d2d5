#include "app/screens/feed/ZMRFeedDataSource.h"

#include "app/screens/people/ZMRUserFeedDataSource.h"
#include "app/services/ZMRContext.h"
#include "framework/core/IKRUIContext.h"
#include "platform/foundation/Collections.h"

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
    ZMRPagedList::loadResultsData(results);
    auto context = std::dynamic_pointer_cast<ZMRContext>(this->context());
    ZMRPrepareFeedEntries(dataObjects(), listed, context.get());
}
