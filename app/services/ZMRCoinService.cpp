#include "app/services/ZMRCoinService.h"

#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRContext.h"
#include "app/services/ZMRTaskTypes.h"
#include "app/services/ZMRUplinkRequest.h"
#include "framework/core/KRAPITask.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"

bool ZMRCoinService::handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int)
{
    PF_ASSERT_MAIN_THREAD();
    if (taskType == proto::IZMRCoinTask())
        return ZMRSendRequest(*this, taskType, task, ZMRRequestBody("ZMRCoinTask"));
    auto response = ZMRResponseOf(taskType, task, proto::IZMRCoinTask());
    if (!response)
        return false;
    ZMRApplyCoinAnswer(*this, *response, "ZMRCoinService", ZMRRequestKind::Read);
    return true;
}

void ZMRApplyCoinAnswer(KRUplinkService& service, const IKRAPIResponseTask& response, std::string_view domain,
                        ZMRRequestKind kind, const char* successNotification)
{
    auto self = service.shared_from_this();
    pf::ObjectRef task = response.task();
    const pf::Protocol* taskType = response.taskType();
    ZMRAnswer answer = ZMRReadAnswer(response, domain, kind);
    if (answer.error) {
        service.krUplinkTaskDidFailWithError(task, *answer.error, taskType);
        return;
    }
    pf::Value results(answer.results);
    pf::Value coin = ZMRPresent(results, "coin-results");
    // Points answered for a previous user are not the signed-in one's.
    if (!coin.isNil() && ZMRAnsweredForSignedInUser(service, response)) {
        if (auto context = std::dynamic_pointer_cast<ZMRContext>(service.context()))
            context->setIntegral(coin.longLongValue());
        pf::NotificationCenter::defaultCenter().post(ZMRUserInfoChangedNotification);
    }
    if (successNotification)
        pf::NotificationCenter::defaultCenter().post(successNotification);
    service.krUplinkTaskDidSuccessResults(task, results, taskType);
}
