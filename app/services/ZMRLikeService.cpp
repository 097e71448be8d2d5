#include "app/services/ZMRLikeService.h"

#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "app/services/ZMRUplinkRequest.h"
#include "framework/core/KRAPITask.h"
#include "framework/core/KRHttpFormBody.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"

const char* const ZMRLikeChangedNotification = "ZMRLikeChangedNotification";

namespace {

std::optional<long long> pidOf(const pf::Protocol* taskType, const pf::ObjectRef& task)
{
    if (taskType != proto::IZMRLikeTask() && taskType != proto::IZMRUnLikeTask())
        return std::nullopt;
    if (auto like = std::dynamic_pointer_cast<IZMRLikeTask>(task)) // an unlike has the same fields
        return like->pid();
    return std::nullopt;
}

}

bool ZMRLikeService::handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int)
{
    PF_ASSERT_MAIN_THREAD();
    if (taskType == proto::IZMRLikeTask() || taskType == proto::IZMRUnLikeTask()) {
        auto pid = pidOf(taskType, task);
        if (!pid)
            return false;
        auto body = ZMRRequestBody(taskType == proto::IZMRLikeTask() ? "ZMRLikeTask" : "ZMRUnLikeTask");
        body->addItemValue(std::to_string(*pid), "zmr-pid");
        return ZMRSendRequest(*this, taskType, task, std::move(body));
    }
    auto response = ZMRResponseOf(taskType, task, proto::IZMRLikeTask());
    if (!response)
        response = ZMRResponseOf(taskType, task, proto::IZMRUnLikeTask());
    if (!response)
        return false;
    answer(*response);
    return true;
}

void ZMRLikeService::answer(const IKRAPIResponseTask& response)
{
    auto self = shared_from_this();
    ZMRAnswer answer = ZMRReadAnswer(response, "ZMRLikeService");
    if (answer.error) {
        krUplinkTaskDidFailWithError(response.task(), *answer.error, response.taskType());
        return;
    }
    pf::NotificationCenter::defaultCenter().post(ZMRLikeChangedNotification);
    krUplinkTaskDidSuccessResults(response.task(), pf::Value(answer.results), response.taskType());
}
