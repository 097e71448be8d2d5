#include "app/screens/ZMRScreensRegistration.h"

#include "app/screens/ZMRCommentListDataSource.h"
#include "app/screens/ZMRConcernDataSource.h"
#include "app/screens/ZMRFeedDataSource.h"
#include "app/screens/ZMRPageDataSource.h"
#include "app/screens/ZMRPrizeSearchDataSource.h"
#include "app/screens/ZMRSearchNearUserDataSource.h"
#include "app/screens/ZMRTagController.h"
#include "app/services/ZMRServicesRegistration.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/data/KRDataRegistration.h"
#include "platform/foundation/ClassBuilder.h"

namespace {

// The list query's accessors as members of a source class.
template <class T>
pf::ClassBuilder<T>& withListQuery(pf::ClassBuilder<T>& builder)
{
    using TaskTypeGetter = const std::optional<std::string>& (T::*)() const;
    using TaskTypeSetter = void (T::*)(std::optional<std::string>);
    using AllowGetter = bool (T::*)() const;
    using AllowSetter = void (T::*)(bool);
    return builder.adopts(proto::IZMRDownlinkTask())
        .property("taskType", static_cast<TaskTypeGetter>(&T::taskType), static_cast<TaskTypeSetter>(&T::setTaskType))
        .property("allowCached", static_cast<AllowGetter>(&T::isAllowCached), static_cast<AllowSetter>(&T::setAllowCached));
}

}

void registerScreensClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    registerDataClasses();
    registerServicesClasses();
    pf::ClassBuilder<ZMRPageDataSource> page("ZMRPageDataSource");
    withListQuery(page.superclass<KRPageDataSource>()).commit();
    pf::ClassBuilder<ZMRFeedDataSource> feed("ZMRFeedDataSource");
    withListQuery(feed.superclass<KRStatusDataSource>()).commit();
    // The people, comment and prize lists.
    pf::ClassBuilder<ZMRCommentListDataSource>("ZMRCommentListDataSource").superclass<ZMRPageDataSource>().commit();
    pf::ClassBuilder<ZMRConcernDataSourceSection>("ZMRConcernDataSourceSection")
        .property("py", &ZMRConcernDataSourceSection::py, &ZMRConcernDataSourceSection::setPy)
        .readonlyProperty("dataObjects", &ZMRConcernDataSourceSection::dataObjects)
        .commit();
    pf::ClassBuilder<ZMRConcernDataSource>("ZMRConcernDataSource")
        .superclass<KRPageDataSource>()
        .property("mutual", &ZMRConcernDataSource::isMutual, &ZMRConcernDataSource::setMutual)
        .commit();
    pf::ClassBuilder<ZMRSearchNearUserDataSource>("ZMRSearchNearUserDataSource").superclass<ZMRPageDataSource>().commit();
    pf::ClassBuilder<ZMRPrizeSearchDataSource>("ZMRPrizeSearchDataSource")
        .superclass<ZMRPageDataSource>()
        .property("timestampKey", &ZMRPrizeSearchDataSource::timestampKey, &ZMRPrizeSearchDataSource::setTimestampKey)
        .property("timestamp", &ZMRPrizeSearchDataSource::timestamp, &ZMRPrizeSearchDataSource::setTimestamp)
        .readonlyProperty("nowTimestamp", &ZMRPrizeSearchDataSource::nowTimestamp)
        .commit();
    pf::ClassBuilder<ZMRTagController>("ZMRTagController")
        .superclass<KRController>()
        .property("contentView", &ZMRTagController::contentView, &ZMRTagController::setContentView)
        .commit();
}
