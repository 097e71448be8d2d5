#include "app/services/ZMRTaskTypes.h"

#include "framework/core/KRTaskTypes.h"
#include "platform/foundation/Object.h"

namespace proto {

const pf::Protocol* IZMRAPITask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRAPITask", {IKRTask()});
    return p;
}

const pf::Protocol* IZMRAuthTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRAuthTask", {IZMRAPITask(), IKRUplinkTask()});
    return p;
}

const pf::Protocol* IZMRLoginTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRLoginTask", {IZMRAPITask(), IKRUplinkTask()});
    return p;
}

const pf::Protocol* IZMRRegisterTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRRegisterTask", {IZMRAPITask(), IKRUplinkTask()});
    return p;
}

const pf::Protocol* IZMRLogoutTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRLogoutTask", {IZMRAPITask(), IKRUplinkTask()});
    return p;
}

const pf::Protocol* IZMRVoxlyLoginTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRVoxlyLoginTask", {IZMRAPITask(), IKRUplinkTaskDelegate()});
    return p;
}

const pf::Protocol* IZMRVoxlyBindTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRVoxlyBindTask", {IZMRAPITask(), IKRUplinkTaskDelegate()});
    return p;
}

const pf::Protocol* IZMRZZLoginTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRZZLoginTask", {IZMRAPITask(), IKRUplinkTaskDelegate()});
    return p;
}

const pf::Protocol* IZMRZZBindTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRZZBindTask", {IZMRAPITask(), IKRUplinkTaskDelegate()});
    return p;
}

const pf::Protocol* IZMRUpdateUserTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRUpdateUserTask", {IZMRAPITask(), IKRUplinkTask()});
    return p;
}

const pf::Protocol* IZMRCoinTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRCoinTask", {IZMRAPITask(), IKRUplinkTask()});
    return p;
}

const pf::Protocol* IZMRPrizeBuyTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRPrizeBuyTask", {IZMRAPITask(), IKRUplinkTask()});
    return p;
}

const pf::Protocol* IZMRClassifyTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRClassifyTask", {IZMRAPITask(), IKRUplinkTask()});
    return p;
}

const pf::Protocol* IZMRClassifyGetTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRClassifyGetTask", {IKRTask()});
    return p;
}

const pf::Protocol* IZMRImageUploadTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRImageUploadTask", {IKRUplinkTask()});
    return p;
}

const pf::Protocol* IZMRFollowTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRFollowTask", {IZMRAPITask(), IKRUplinkTask()});
    return p;
}

const pf::Protocol* IZMRUnFollowTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRUnFollowTask", {IZMRAPITask(), IKRUplinkTask()});
    return p;
}

const pf::Protocol* IZMRConcernTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRConcernTask", {IKRTask(), IZMRAPITask()});
    return p;
}

const pf::Protocol* IZMRRefreshUserTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRRefreshUserTask", {IKRTask()});
    return p;
}

const pf::Protocol* IZMRBooksCreateTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRBooksCreateTask", {IZMRAPITask(), IKRUplinkTask()});
    return p;
}

const pf::Protocol* IZMRBooksSearchTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRBooksSearchTask", {IZMRAPITask(), IKRUplinkTask()});
    return p;
}

const pf::Protocol* IZMRLikeTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRLikeTask", {IZMRAPITask(), IKRUplinkTask()});
    return p;
}

const pf::Protocol* IZMRUnLikeTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRUnLikeTask", {IZMRAPITask(), IKRUplinkTask()});
    return p;
}

const pf::Protocol* IZMRCommentTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRCommentTask", {IZMRAPITask(), IKRUplinkTask()});
    return p;
}

const pf::Protocol* IZMRPublishTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRPublishTask", {IZMRAPITask(), IKRUplinkTask()});
    return p;
}

const pf::Protocol* IZMRDownlinkTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IZMRDownlinkTask", {IZMRAPITask(), IKRDownlinkPageTask()});
    return p;
}

void defineServicesProtocols()
{
    const pf::Protocol* (*const all[])() = {
        IZMRAPITask,
        IZMRAuthTask,
        IZMRLoginTask,
        IZMRRegisterTask,
        IZMRLogoutTask,
        IZMRVoxlyLoginTask,
        IZMRVoxlyBindTask,
        IZMRZZLoginTask,
        IZMRZZBindTask,
        IZMRUpdateUserTask,
        IZMRCoinTask,
        IZMRPrizeBuyTask,
        IZMRClassifyTask,
        IZMRClassifyGetTask,
        IZMRImageUploadTask,
        IZMRFollowTask,
        IZMRUnFollowTask,
        IZMRConcernTask,
        IZMRRefreshUserTask,
        IZMRBooksCreateTask,
        IZMRBooksSearchTask,
        IZMRLikeTask,
        IZMRUnLikeTask,
        IZMRCommentTask,
        IZMRPublishTask,
        IZMRDownlinkTask,
    };
    for (auto define : all)
        define();
}

}

bool ZMRIsSignIn(const pf::Protocol* taskType)
{
    return taskType == proto::IZMRLoginTask() || taskType == proto::IZMRRegisterTask() ||
           taskType == proto::IZMRVoxlyLoginTask() || taskType == proto::IZMRZZLoginTask();
}
