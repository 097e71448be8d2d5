#pragma once

// Comments: "zmr-body" and either the post ("zmr-pid", when the publish id
// is not 0) or the comment answered ("zmr-cid"). The outcome goes only to
// the task's delegate; failures are errors of domain "ZMRCommentService"
// (a transport failure with code 0). Main queue only.

#include "framework/core/KRUplinkService.h"

class ZMRCommentService final : public KRUplinkService {
public:
    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority) override;
};
