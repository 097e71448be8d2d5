#pragma once

// A crash report on its way: the uncaught-exception handler wraps the
// exception in a KRCrashTask (no source) and hands it to the bus as
// IKRCrashTask (proto::IKRCrashTask() in KRTaskTypes.h). Main queue, or the
// thread that met the exception.

#include "framework/core/KRTask.h"
#include "platform/foundation/Exception.h"

class KRCrashTask final : public KRTask {
public:
    const std::shared_ptr<pf::Exception>& exception() const { return m_exception; }
    void setException(std::shared_ptr<pf::Exception> exception) { m_exception = std::move(exception); }

private:
    std::shared_ptr<pf::Exception> m_exception;
};
