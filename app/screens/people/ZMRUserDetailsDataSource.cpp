#include "app/screens/people/ZMRUserDetailsDataSource.h"

#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/IKRUIContext.h"
#include "framework/core/KRDataOutlet.h"
#include "platform/foundation/Collections.h"

void ZMRUserDetailsDataSource::setUid(long long uid)
{
    m_uid = uid;
    queryValues()->set("uid", std::to_string(uid));
}

void ZMRUserDetailsDataSource::loadResultsData(const pf::Value& results)
{
    // The base would take an array's members for profiles.
    pf::Value profile = dataKey() ? dataForKeyPath(results, *dataKey()) : results;
    if (profile.isDictionary())
        dataObjects()->add(profile);
}

void ZMRUserDetailsDataSource::krDownlinkTaskDidLoaded(const pf::Value& data, const pf::Protocol* taskType)
{
    auto self = shared_from_this();
    ZMRPageDataSource::krDownlinkTaskDidLoaded(data, taskType);
    pf::Value profile = dataKey() ? dataForKeyPath(data, *dataKey()) : data;
    auto context = this->context();
    if (!profile.isDictionary() || !context)
        return;
    auto task = std::make_shared<ZMRRefreshUserTask>();
    task->setData(profile);
    context->handle(proto::IZMRRefreshUserTask(), task, 0);
}
