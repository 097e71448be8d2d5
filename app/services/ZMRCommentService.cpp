#include "app/services/ZMRCommentService.h"

#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "app/services/ZMRUplinkRequest.h"
#include "framework/core/KRAPITask.h"
#include "framework/core/KRHttpFormBody.h"
#include "platform/foundation/RunLoop.h"

bool ZMRCommentService::handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int)
{
    PF_ASSERT_MAIN_THREAD();
    if (taskType == proto::IZMRCommentTask()) {
        auto comment = std::dynamic_pointer_cast<IZMRCommentTask>(task);
        if (!comment)
            return false;
        auto body = ZMRRequestBody("ZMRCommentTask");
        body->addItemValue(comment->body().value_or(""), "zmr-body");
        if (comment->publishId() != 0)
            body->addItemValue(std::to_string(comment->publishId()), "zmr-pid");
        else
            body->addItemValue(std::to_string(comment->commentId()), "zmr-cid");
        return ZMRSendRequest(*this, taskType, task, std::move(body));
    }
    auto response = ZMRResponseOf(taskType, task, proto::IZMRCommentTask());
    if (!response)
        return false;
    auto self = shared_from_this();
    ZMRAnswer answer = ZMRReadAnswer(*response, "ZMRCommentService");
    if (answer.error)
        krUplinkTaskDidFailWithError(response->task(), *answer.error, response->taskType());
    else
        krUplinkTaskDidSuccessResults(response->task(), pf::Value(answer.results), response->taskType());
    return true;
}
