#include "app/services/ZMRUplinkRequest.h"

#include "framework/core/KRAPITask.h"
#include "framework/core/KRHttpFormBody.h"
#include "framework/core/KRService.h"
#include "framework/core/KRTaskTypes.h"
#include "platform/foundation/CachedCast.h"

#include <cstdio>

std::shared_ptr<KRHttpFormBody> ZMRRequestBody(const char* serverTaskName)
{
    auto body = std::make_shared<KRHttpFormBody>();
    body->addItemValue("config_zmr", "config");
    body->addItemValue(serverTaskName, "taskType");
    return body;
}

std::string ZMRFormDecimal(double value)
{
    // The largest double has 309 digits before the point.
    char text[400];
    std::snprintf(text, sizeof text, "%lf", value);
    return text;
}

std::shared_ptr<KRAPIRequestTask> ZMRMakeRequest(const pf::Protocol* taskType, const pf::ObjectRef& task,
                                                 std::shared_ptr<KRHttpFormBody> body, pf::Value userInfo)
{
    auto appTask = pf::cachedCast<IKRTask>(task);
    if (!appTask)
        return nullptr;
    auto request = std::make_shared<KRAPIRequestTask>();
    request->setTaskType(taskType);
    request->setTask(task);
    request->setSource(appTask->source());
    request->setApiKey("url");
    request->setBody(std::move(body));
    request->setUserInfo(std::move(userInfo));
    return request;
}

bool ZMRSendRequest(KRService& service, const pf::Protocol* taskType, const pf::ObjectRef& task,
                    std::shared_ptr<KRHttpFormBody> body, ZMRFormFill fill,
                    pf::Value userInfo)
{
    auto request = ZMRMakeRequest(taskType, task, std::move(body), std::move(userInfo));
    if (!request)
        return false;
    if (auto context = service.context()) {
        if (fill == ZMRFormFill::Now)
            context->handle(proto::IKRAPIWillRequestTask(), request, 0);
        context->handle(proto::IKRAPIRequestTask(), request, 0);
    }
    return true;
}

std::shared_ptr<IKRAPIResponseTask> ZMRResponseOf(const pf::Protocol* offeredType, const pf::ObjectRef& task,
                                                  const pf::Protocol* taskType)
{
    if (offeredType != proto::IKRAPIResponseTask())
        return nullptr;
    auto response = pf::cachedCast<IKRAPIResponseTask>(task);
    if (!response || response->taskType() != taskType)
        return nullptr;
    return response;
}
