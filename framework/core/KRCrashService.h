#pragma once

// Posts crash reports. It takes every IKRCrashTask (and nothing else) and
// sends its exception, with the application's and the device's facts, as a
// URL-encoded form to the setting "url". The post is synchronous, because the
// process is about to end, and bounded by sendTimeout for the whole exchange,
// so that a dead server cannot hold the dying process. The outcome is only
// logged: a task is taken whether or not the report left, and nothing is kept
// for a later attempt.
//
// Runs on the calling thread (where the exception was met).

#include "framework/core/KRService.h"

#include <chrono>
#include <memory>

class KRHttpFormBody;
namespace pf {
class Exception;
}

class KRCrashService final : public KRService {
public:
    static constexpr std::chrono::seconds sendTimeout{5};

    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority) override;

    // The report: "identifier", "version", "build", "deviceName",
    // "systemName", "systemVersion", "model", "deviceIdentifier" and
    // "exception" (JSON with "name", "reason" when there is one,
    // "callStackSymbols" and "callStackReturnAddresses"), in this order.
    static std::shared_ptr<KRHttpFormBody> reportForm(const pf::Exception& exception, const pf::Bundle& bundle);

    // The application facts come from this bundle; the main bundle unless set.
    void setBundle(std::shared_ptr<pf::Bundle> bundle) { m_bundle = std::move(bundle); }

private:
    std::shared_ptr<pf::Bundle> m_bundle;
};
