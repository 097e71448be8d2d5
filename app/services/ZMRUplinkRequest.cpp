#include "app/services/ZMRUplinkRequest.h"

#include "app/services/ZMRContext.h"
#include "framework/core/KRAPITask.h"
#include "framework/core/KRHttpFormBody.h"
#include "framework/core/KRService.h"
#include "framework/core/KRTaskTypes.h"
#include "platform/foundation/CachedCast.h"

#include <cstdio>

namespace {

// What a request's user information holds: the caller's own and the user
// signed in as the request was made.
class RequestInfo final : public pf::Object {
public:
    RequestInfo(pf::Value user, pf::Value info) : user(std::move(user)), info(std::move(info)) { }
    const pf::Value user;
    const pf::Value info;
};

}

pf::Value ZMRSignedInUser(const KRService& service)
{
    auto context = std::dynamic_pointer_cast<ZMRContext>(service.context());
    return context ? context->uid() : pf::Value();
}

bool ZMRIsSignedIn(const KRService& service, const pf::Value& user)
{
    return user == ZMRSignedInUser(service);
}

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

std::shared_ptr<KRAPIRequestTask> ZMRMakeRequest(const KRService& service, const pf::Protocol* taskType,
                                                 const pf::ObjectRef& task, std::shared_ptr<KRHttpFormBody> body,
                                                 pf::Value userInfo)
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
    request->setUserInfo(pf::Value(std::make_shared<RequestInfo>(ZMRSignedInUser(service), std::move(userInfo))));
    return request;
}

bool ZMRSendRequest(KRService& service, const pf::Protocol* taskType, const pf::ObjectRef& task,
                    std::shared_ptr<KRHttpFormBody> body, ZMRFormFill fill,
                    pf::Value userInfo)
{
    auto request = ZMRMakeRequest(service, taskType, task, std::move(body), std::move(userInfo));
    if (!request)
        return false;
    if (auto context = service.context()) {
        if (fill == ZMRFormFill::Now)
            context->handle(proto::IKRAPIWillRequestTask(), request, 0);
        context->handle(proto::IKRAPIRequestTask(), request, 0);
    }
    return true;
}

pf::Value ZMRRequestUserInfo(const IKRAPITask& task)
{
    auto info = task.userInfo().objectAs<RequestInfo>();
    return info ? info->info : pf::Value();
}

bool ZMRAnsweredForSignedInUser(const KRService& service, const IKRAPIResponseTask& response)
{
    auto info = response.userInfo().objectAs<RequestInfo>();
    return info && ZMRIsSignedIn(service, info->user);
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
