#pragma once

// Likes and un-likes of feed posts ("zmr-pid"). A successful answer posts
// "ZMRLikeChangedNotification" (no object) before the task's delegate hears
// of the success; a failure (a server refusal, or a transport failure with
// code 0) reaches the delegate as an error of domain "ZMRLikeService" and
// posts nothing. Nothing is stored. Main queue only.

#include "framework/core/KRUplinkService.h"

class IKRAPIResponseTask;

class ZMRLikeService final : public KRUplinkService {
public:
    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority) override;

private:
    void answer(const IKRAPIResponseTask& response);
};

extern const char* const ZMRLikeChangedNotification;
