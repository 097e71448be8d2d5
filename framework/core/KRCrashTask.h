#pragma once

// A crash report on its way: the uncaught-exception handler wraps the
// exception in a KRCrashTask (no source) and hands it to the bus as
// IKRCrashTask (proto::IKRCrashTask() in KRTaskTypes.h). Main queue, or the
// thread that met the exception. The crash service reads any IKRCrashTask.

#include "framework/core/IKRTask.h"
#include "framework/core/KRTask.h"
#include "platform/foundation/Exception.h"

class IKRCrashTask : public virtual IKRTask {
public:
    virtual const std::shared_ptr<pf::Exception>& exception() const = 0;
    virtual void setException(std::shared_ptr<pf::Exception> exception) = 0;
};

class KRCrashTask final : public KRTask, public IKRCrashTask {
public:
    const std::shared_ptr<pf::Exception>& exception() const override { return m_exception; }
    void setException(std::shared_ptr<pf::Exception> exception) override { m_exception = std::move(exception); }

private:
    std::shared_ptr<pf::Exception> m_exception;
};
