#include "framework/core/KRUplinkService.h"

#include "framework/core/KRAPITask.h"
#include "framework/core/KRTaskTypes.h"
#include "platform/foundation/CachedCast.h"
#include "platform/foundation/RunLoop.h"

#include <cassert>

namespace {

std::shared_ptr<IKRUplinkTaskDelegate> delegateOf(const pf::ObjectRef& task)
{
    auto uplink = pf::cachedCast<IKRUplinkTask>(task);
    return uplink ? uplink->delegate() : nullptr;
}

}

void KRUplinkService::krUplinkTaskDidSuccessResults(const pf::ObjectRef& task, const pf::Value& results,
                                                    const pf::Protocol* taskType)
{
    PF_ASSERT_MAIN_THREAD();
    if (auto delegate = delegateOf(task))
        delegate->krUploadTaskDidSuccessResults(task, results, taskType);
}

void KRUplinkService::krUplinkTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error,
                                                   const pf::Protocol* taskType)
{
    PF_ASSERT_MAIN_THREAD();
    if (auto delegate = delegateOf(task))
        delegate->krUploadTaskDidFailWithError(task, error, taskType);
}

bool KRUplinkService::cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task)
{
    PF_ASSERT_MAIN_THREAD();
    auto cancel = std::make_shared<KRAPITask>();
    cancel->setTaskType(taskType);
    cancel->setTask(task);
    if (auto context = this->context())
        context->cancelHandle(proto::IKRAPICancelTask(), cancel);
    return true;
}
