#pragma once

// The base task and uplink task: plain objects that describe a request.
// Main queue only, like the bus they travel on.

#include "framework/core/IKRTask.h"
#include "platform/foundation/Object.h"

class KRTask : public pf::Object, public virtual IKRTask {
public:
    KRTask() = default;
    explicit KRTask(const pf::ObjectRef& source) { setSource(source); }

    pf::ObjectRef source() const override { return m_source.lock(); }
    void setSource(const pf::ObjectRef& source) override;
    const pf::Object* sourceIdentity() const override { return m_sourceIdentity; }

private:
    pf::WeakObject m_source;
    const pf::Object* m_sourceIdentity = nullptr;
};

class KRUplinkTask : public KRTask, public virtual IKRUplinkTask {
public:
    using KRTask::KRTask;

    std::shared_ptr<IKRUplinkTaskDelegate> delegate() const override { return m_delegate.lock(); }
    void setDelegate(std::weak_ptr<IKRUplinkTaskDelegate> delegate) override { m_delegate = std::move(delegate); }

private:
    std::weak_ptr<IKRUplinkTaskDelegate> m_delegate;
};
