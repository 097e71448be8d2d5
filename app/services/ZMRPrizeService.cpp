#include "app/services/ZMRPrizeService.h"

#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRCoinService.h"
#include "app/services/ZMRTaskTypes.h"
#include "app/services/ZMRUplinkRequest.h"
#include "framework/core/KRAPITask.h"
#include "framework/core/KRHttpFormBody.h"
#include "framework/core/KRJSON.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/RunLoop.h"

const char* const ZMRPrizeExchangedNotification = "ZMRPrizeExchangedNotification";

bool ZMRPrizeService::handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int)
{
    PF_ASSERT_MAIN_THREAD();
    if (taskType == proto::IZMRPrizeBuyTask()) {
        auto prize = std::dynamic_pointer_cast<IZMRPrizeBuyTask>(task);
        if (!prize)
            return false;
        auto delivery = pf::Dictionary::create();
        auto put = [&](const char* key, const std::optional<std::string>& value) {
            if (value)
                delivery->set(key, *value);
        };
        put("address", prize->address());
        put("postCode", prize->postCode());
        put("name", prize->name());
        // The exchange screen requires a phone number for the delivery; the
        // courier cannot hand over a prize without it.
        put("phone", prize->phone());
        put("other", prize->other());
        auto body = ZMRRequestBody("ZMRPrizeBuyTask");
        body->addItemValue(std::to_string(prize->productId()), "zmr-productId");
        body->addItemValue(KRJSON::encodeObject(pf::Value(delivery)), "zmr-body");
        return ZMRSendRequest(*this, taskType, task, std::move(body));
    }
    auto response = ZMRResponseOf(taskType, task, proto::IZMRPrizeBuyTask());
    if (!response)
        return false;
    ZMRApplyCoinAnswer(*this, *response, "ZMRPrizeService", ZMRRequestKind::Write, ZMRPrizeExchangedNotification);
    return true;
}
