#include "framework/core/KRHttpService.h"

#include "framework/core/KRHttpTaskOperator.h"
#include "platform/foundation/CachedCast.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"

#include <algorithm>
#include <cassert>

namespace {
bool g_networkActivityIndicatorVisible = false; // main queue
}

KRHttpService::KRHttpService() = default;

KRHttpService::~KRHttpService()
{
    // The queue's destructor cancels every operation and waits for the
    // running ones, which a cancel wakes at once.
    for (const auto& op : m_operators)
        op->cancel();
    m_operationQueue.reset();
}

bool KRHttpService::isNetworkActivityIndicatorVisible()
{
    return g_networkActivityIndicatorVisible;
}

void KRHttpService::updateNetworkStatus()
{
    bool busy = m_operationQueue && m_operationQueue->operationCount() > 0;
    if (busy != g_networkActivityIndicatorVisible)
        g_networkActivityIndicatorVisible = busy;
}

bool KRHttpService::handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int)
{
    PF_ASSERT_MAIN_THREAD();
    auto httpTask = pf::cachedCast<IKRHttpTask>(task);
    if (!httpTask)
        return false;
    auto settings = config();
    if (!m_operationQueue) {
        int width = settings ? settings->get("maxThreadCount").intValue() : 0;
        m_operationQueue = std::make_unique<pf::OperationQueue>(std::max(1, width));
    }
    double timeout = settings ? settings->get("timeout").doubleValue() : 0;
    auto op = KRHttpTaskOperator::create(httpTask, timeout);
    if (!op)
        return true; // answered during preparation
    op->setAllowShowNetworkStatus(settings && settings->get("allowShowNetworkStatus").boolValue());
    op->setTaskType(taskType);
    if (op->isAllowShowNetworkStatus()) {
        op->setNetworkStatusUpdate([weakSelf = std::weak_ptr<pf::Object>(shared_from_this())] {
            if (auto self = std::static_pointer_cast<KRHttpService>(weakSelf.lock()))
                self->updateNetworkStatus();
        });
    }
    auto weakSelf = std::weak_ptr<pf::Object>(shared_from_this());
    op->setDoneHandler([weakSelf](KRHttpTaskOperator* done) {
        if (auto self = std::static_pointer_cast<KRHttpService>(weakSelf.lock()))
            self->forget(done);
    });
    m_operators.push_back(op);
    if (op->isPrepared()) {
        m_operationQueue->addOperation(op);
        return true;
    }
    // Callbacks never run inside handle(), so the request is prepared on a
    // later turn. When a queue thread is free then, the exchange would start
    // at once anyway, and preparing it here saves the queue thread a round
    // trip to the main queue; otherwise it is prepared when it starts.
    pf::dispatchMain([weakSelf, op] {
        auto self = std::static_pointer_cast<KRHttpService>(weakSelf.lock());
        if (!self || op->isCancelled())
            return;
        auto* queue = self->m_operationQueue.get();
        if (static_cast<int>(queue->operationCount()) < queue->maxConcurrentOperationCount() && !op->prepareNow()) {
            self->forget(op.get());
            return;
        }
        queue->addOperation(op);
    });
    return true;
}

void KRHttpService::forget(const KRHttpTaskOperator* op)
{
    std::erase_if(m_operators, [&](const auto& o) { return o.get() == op; });
}

bool KRHttpService::cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task)
{
    PF_ASSERT_MAIN_THREAD();
    auto snapshot = m_operators;
    for (const auto& op : snapshot) {
        // A given task is withdrawn under any type its own type conforms to
        // (IKRHttpTask withdraws a task sent as IKRHttpAPITask); without a
        // task only the exchanges sent under that very type go.
        bool matches = task ? dynamic_cast<const pf::Object*>(op->task().get()) == task.get() && op->taskType()
                                  && op->taskType()->conformsTo(taskType)
                            : op->taskType() == taskType;
        if (matches) {
            op->cancel();
            forget(op.get());
        }
    }
    return true;
}

bool KRHttpService::cancelHandleForSource(const pf::Object* source)
{
    PF_ASSERT_MAIN_THREAD();
    if (!source)
        return false;
    auto snapshot = m_operators;
    for (const auto& op : snapshot) {
        if (op->task()->sourceIdentity() == source) {
            op->cancel();
            forget(op.get());
        }
    }
    return false;
}
