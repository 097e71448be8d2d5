#pragma once

// The base of the application's write services. A subclass sends an API
// request for each task it takes and, once the answer is in, reports to the
// task's delegate through the two relays here. Cancelling withdraws the
// task's API request through the bus (IKRAPICancelTask), which also drops an
// answer not yet delivered.
//
// Main queue only. The relays call the delegate at once, on the caller's
// turn; a task without a delegate (or one already released) hears nothing.

#include "framework/core/KRService.h"

class KRUplinkService : public KRService {
public:
    void krUplinkTaskDidSuccessResults(const pf::ObjectRef& task, const pf::Value& results, const pf::Protocol* taskType);
    void krUplinkTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error, const pf::Protocol* taskType);

    // Sends a KRAPITask naming the task and its type as IKRAPICancelTask and
    // answers true, whatever the task type.
    bool cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task) override;
};
