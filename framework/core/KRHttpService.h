#pragma once

// Runs every HTTP task of the system: it takes any task that is an
// IKRHttpTask, whatever task type it was sent under, wraps it in a
// KRHttpTaskOperator and queues that on its operation queue, whose width is
// the setting "maxThreadCount" (at least 1). Settings: "timeout" (seconds for
// the whole exchange; 0 or none: only the request's own time-out) and
// "allowShowNetworkStatus" (keep the network activity indicator in step with
// the queue).
//
// Main queue only; task callbacks arrive on the main queue, never inside
// handle() unless the task prepares its request at submission and is
// answered from its cache. Destroying the service cancels every exchange.

#include "framework/core/KRService.h"

#include <memory>
#include <vector>

namespace pf {
class OperationQueue;
}

class KRHttpTaskOperator;

class KRHttpService final : public KRService {
public:
    KRHttpService();
    ~KRHttpService() override;

    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority) override;
    // Cancels the task's exchanges sent under that task type or one
    // conforming to it; a null task cancels every exchange sent under that
    // very type. Always true.
    bool cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task) override;
    bool cancelHandleForSource(const pf::Object* source) override;

    // Null until the first task was taken.
    pf::OperationQueue* operationQueue() const { return m_operationQueue.get(); }
    // The platform's network activity indicator; main queue.
    static bool isNetworkActivityIndicatorVisible();

private:
    void updateNetworkStatus();
    void forget(const KRHttpTaskOperator* op);

    std::unique_ptr<pf::OperationQueue> m_operationQueue;
    // Operators from submission until their last event ran on the main
    // queue: a finished exchange may still have events on their way.
    std::vector<std::shared_ptr<KRHttpTaskOperator>> m_operators;
};
