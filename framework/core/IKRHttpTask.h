#pragma once

// The HTTP task types and the delegate of an HTTP task.
//
// IKRHttpTask is what KRHttpService runs: the operator calls the do…()
// operations, the doBackground…() ones on the exchange thread and all others
// on the main queue, in the order the exchange produced the events.

#include "framework/core/IKRTask.h"
#include "platform/net/HttpRequest.h"
#include "platform/net/HttpResponse.h"

#include <cstdint>
#include <optional>

class KRHttpTask;

namespace proto {
// IKRHttpTask and IKRHttpAPITask are in KRTaskTypes.h.
const pf::Protocol* IKRHttpUploadTask();
const pf::Protocol* IKRHttpResourceTask();
}

// All callbacks are optional and run on the main queue; the defaults do what
// the task does without a delegate. The has…() queries tell the HTTP layer
// whether progress events are wanted at all.
class IKRHttpTaskDelegate {
public:
    virtual ~IKRHttpTaskDelegate() = default;
    virtual void krHttpTaskWillRequest(KRHttpTask& task);
    virtual void krHttpTaskDidFailError(KRHttpTask& task, const pf::Error& error);
    virtual void krHttpTaskDidLoaded(KRHttpTask& task);
    virtual void krHttpTaskDidLoading(KRHttpTask& task);
    virtual void krHttpTaskDidResponse(KRHttpTask& task);
    virtual void krHttpTaskDidReceiveData(KRHttpTask& task, const pf::Bytes& data, std::uint64_t bytesDownload,
                                          std::uint64_t totalBytes);
    virtual void krHttpTaskDidSendBodyDataBytesWritten(KRHttpTask& task, std::int64_t bytesWritten,
                                                       std::int64_t totalBytesWritten);
    // Whether krHttpTaskDidLoading is wanted; a delegate that ignores it
    // spares the main queue a wake-up during each exchange.
    virtual bool hasKrHttpTaskDidLoading() const { return true; }
    virtual bool hasKrHttpTaskDidResponse() const { return false; }
    virtual bool hasKrHttpTaskDidReceiveData() const { return false; }
    virtual bool hasKrHttpTaskDidSendBodyData() const { return false; }
};

class IKRHttpTask : public virtual IKRTask {
public:
    // Main queue. The request to send, or nothing when the task was answered
    // (or failed) during preparation.
    virtual std::optional<pf::HttpRequest> doWillRequeset() = 0;
    virtual void doFailError(const pf::Error& error) = 0;
    virtual void doLoaded() = 0;
    virtual bool hasDoLoading() const = 0;
    virtual void doLoading() = 0;
    virtual bool hasDoResponse() const = 0;
    virtual void doResponse() = 0;
    virtual bool hasDoReceiveData() const = 0;
    virtual void doReceiveData(const pf::Bytes& data) = 0;
    virtual bool hasDoSendBodyDataBytes() const = 0;
    virtual void doSendBodyDataBytesWritten(std::int64_t bytesWritten, std::int64_t totalBytesWritten) = 0;

    // Exchange thread. An error ends the exchange with that failure.
    virtual std::optional<pf::Error> doBackgroundResponse(const pf::HttpResponse& response) = 0;
    virtual std::optional<pf::Error> doBackgroundReceiveData(const std::uint8_t* bytes, std::size_t length) = 0;
    virtual void doBackgroundLoaded() = 0;
    // The exchange failed or was cancelled after it started.
    virtual void doBackgroundFailed() = 0;
    // Just before doBackgroundFailed: the whole request had gone out when
    // its answer was lost (reset, cut, missing or late), so the server may
    // have acted on it.
    virtual void doBackgroundAnswerLost() = 0;

    virtual std::optional<pf::HttpRequest> request() const = 0;
    virtual void setRequest(std::optional<pf::HttpRequest> request) = 0;
    virtual bool isAllowWillRequest() const = 0;
    virtual bool isAllowStatusCode302() const = 0;
};

class IKRHttpResourceTask : public virtual IKRHttpTask {
public:
    virtual bool allowCheckContentLength() const = 0;
    virtual void setAllowCheckContentLength(bool allow) = 0;
    virtual bool forceUpdateResource() const = 0;
    virtual void setForceUpdateResource(bool force) = 0;
    virtual bool allowResume() const = 0;
    virtual void setAllowResume(bool allow) = 0;
};
