#pragma once

// Turns API request tasks into HTTP exchanges with JSON answers and hands the
// outcome back to the bus as response tasks.
//
// - handle() takes IKRAPIRequestTask only. Just before the HTTP request is
//   built the request is offered to the bus as IKRAPIWillRequestTask (so that
//   listeners add common form items), then the URL comes from `apiUrl` or the
//   configuration value at the key path `apiKey`, plus the query values; the
//   request asks for "gzip, deflate" and uses the setting "timeout".
// - A 2xx answer whose JSON text closes its outermost dictionary or array is
//   a success: it waits in a pending list and is handed over on a later
//   main-queue turn, so that a cancel in between suppresses it. Anything else
//   (transport failure, time-out, another status, an answer that is not such
//   JSON or is cut short, a request with no URL) is a response task with an
//   error, handed over at once. The response says the result is unknown when
//   the request had gone out and no usable answer came back: its answer was
//   lost or cut, or it was answered by another status or a body that is not
//   such JSON (a gateway's error page after a slow upstream). The server may
//   have acted on it.
// - cancelHandle() takes the request task itself (IKRAPIRequestTask) or a
//   KRAPITask naming the application task and its type (IKRAPICancelTask);
//   cancelHandleForSource() cancels everything of a source and answers false,
//   since other services share sources.
//
// Main queue only. Logged URLs and bodies have their secrets redacted.

#include "framework/core/IKRHttpTask.h"
#include "framework/core/KRService.h"

#include <vector>

// Errors of the API service's own domain. An answer with a status outside
// 2xx fails with that status as its code (0 when the exchange gave none).
inline constexpr const char* KRAPIErrorDomain = "KRAPIService";
enum KRAPIErrorCode : long long {
    KRAPINoURLError = -1,         // the request names no usable URL: nothing was sent
    KRAPINotJSONError = -2,       // the body is not a JSON dictionary or array
    KRAPINoHttpServiceError = -3, // nobody runs HTTP tasks: nothing was sent
    KRAPIAnswerCutError = -4,     // the JSON text ends before it closes
};

class KRAPIRequestTask;
class KRAPIResponseTask;
class KRHttpTask;

class KRAPIService final : public KRService, public IKRHttpTaskDelegate {
public:
    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority) override;
    bool cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task) override;
    bool cancelHandleForSource(const pf::Object* source) override;

    // IKRHttpTaskDelegate
    void krHttpTaskWillRequest(KRHttpTask& task) override;
    void krHttpTaskDidLoaded(KRHttpTask& task) override;
    void krHttpTaskDidFailError(KRHttpTask& task, const pf::Error& error) override;
    bool hasKrHttpTaskDidLoading() const override { return false; }

    std::size_t httpTaskCount() const { return m_httpTasks.size(); }
    std::size_t pendingResponseCount() const { return m_responses.size(); }

private:
    struct Pending {
        std::shared_ptr<KRAPIResponseTask> response;
        const pf::Object* request = nullptr; // identity only
    };

    std::shared_ptr<KRAPIRequestTask> requestOf(const KRHttpTask& task) const;
    std::shared_ptr<KRAPIResponseTask> makeResponse(const KRAPIRequestTask& request, const KRHttpTask& task) const;
    // Removes the HTTP task; false when it was no longer in flight.
    bool forget(const KRHttpTask& task);
    void fail(KRHttpTask& task, const pf::Error& error, bool resultUnknown = false);
    void deliver(const std::shared_ptr<KRAPIResponseTask>& response);
    void cancelHttpTasks(const std::function<bool(const KRHttpTask&, const KRAPIRequestTask&)>& matches);

    std::vector<std::shared_ptr<KRHttpTask>> m_httpTasks;
    std::vector<Pending> m_responses;
    // The address last composed from a URL text without query values, which
    // nearly every request of a service repeats.
    std::string m_composedFrom;
    std::string m_composed;
};
