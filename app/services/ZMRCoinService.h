#pragma once

// The points balance: each IZMRCoinTask asks the server for the user's
// points. A successful answer with "coin-results" stores the balance in the
// user context and posts "ZMRUserInfoChangedNotification" before the task's
// delegate hears of the success; failures (server refusals with their code
// and text, transport failures with code 0) reach the delegate as errors of
// domain "ZMRCoinService" and leave the points alone. Main queue only.

#include "framework/core/KRUplinkService.h"

#include <string_view>

class IKRAPIResponseTask;
enum class ZMRRequestKind;

class ZMRCoinService final : public KRUplinkService {
public:
    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority) override;
};

// Shared with the prize exchange, whose answers carry the new balance too:
// reads the answer, stores and announces the balance on success, posts
// `successNotification` (when given, no object), then tells the task's
// delegate.
void ZMRApplyCoinAnswer(KRUplinkService& service, const IKRAPIResponseTask& response, std::string_view domain,
                        ZMRRequestKind kind, const char* successNotification = nullptr);
