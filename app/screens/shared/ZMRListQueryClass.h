#pragma once

#include "app/screens/shared/ZMRListQuery.h"
#include "app/services/ZMRTaskTypes.h"
#include "platform/foundation/ClassBuilder.h"

// The list query's accessors as members of a source class (the paged and the
// feed sources both carry a query). Included only by registration files.
template <class T>
pf::ClassBuilder<T>& withListQuery(pf::ClassBuilder<T>& builder)
{
    // Members of the query itself: a call through a pointer to a member of
    // a base at an offset must be typed with that base, not with T.
    return builder.adopts(proto::IZMRDownlinkTask())
        .property("taskType", &ZMRListQuery::taskType, &ZMRListQuery::setTaskType)
        .property("allowCached", &ZMRListQuery::isAllowCached, &ZMRListQuery::setAllowCached);
}
