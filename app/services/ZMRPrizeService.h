#pragma once

// Prize exchange: each IZMRPrizeBuyTask sends the product id and, in
// "zmr-body", the JSON of the delivery fields that are set (address,
// postCode, name, phone, other). The answer carries the new points balance
// and is handled as the points service handles its own (domain
// "ZMRPrizeService"); a successful exchange also posts
// "ZMRPrizeExchangedNotification" (no object) before the task's delegate
// hears of it, since a prize's count of exchanges changed. Main queue only.

#include "framework/core/KRUplinkService.h"

class ZMRPrizeService final : public KRUplinkService {
public:
    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority) override;
};

extern const char* const ZMRPrizeExchangedNotification;
