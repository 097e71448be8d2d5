#pragma once

// Runs one HTTP task on a queue thread of KRHttpService and relays its events
// to the main queue, in the order the exchange produced them: loading,
// response, data chunks and upload progress, then exactly one of loaded or
// failed. Once cancel() has returned on the main queue no further event
// reaches the task, and a stalled exchange gives its thread back at once.
//
// The time-out covers the whole exchange, redirects included, and fails the
// task with "KRHttpService" -3 "http connect timeout". A 302 answer with a
// "Location" is followed only when the task allows it, at most 10 hops, to
// http and https URLs only; anything else fails the task. A failure after
// the whole request went out (reset, cut or missing answer, time-out) is
// announced to the task first (doBackgroundAnswerLost): the server may have
// acted on it.

#include "framework/core/IKRHttpTask.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/OperationQueue.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace pf {
class HttpConnection;
class Protocol;
}

class KRHttpTaskOperator final : public pf::Operation {
public:
    static constexpr int maxRedirects = 10;

    // Main queue. When the task prepares its request now (isAllowWillRequest)
    // and has none (answered from the cache, or failed), answers null.
    static std::shared_ptr<KRHttpTaskOperator> create(std::shared_ptr<IKRHttpTask> task, double timeout);
    ~KRHttpTaskOperator() override;

    // Main queue. Prepares the request now instead of when the operation
    // starts; false when there is none (the task was answered or failed).
    bool prepareNow();
    bool isPrepared();

    void main() override;   // queue thread
    void cancel() override; // any thread

    // Main queue; null once the exchange's last event has run there.
    const std::shared_ptr<IKRHttpTask>& task() const { return m_task; }
    const pf::Protocol* taskType() const { return m_taskType; }
    void setTaskType(const pf::Protocol* taskType) { m_taskType = taskType; }
    bool isAllowShowNetworkStatus() const { return m_allowShowNetworkStatus; }
    void setAllowShowNetworkStatus(bool allow) { m_allowShowNetworkStatus = allow; }
    // Main queue, posted when the operation starts and when it is destroyed.
    void setNetworkStatusUpdate(std::function<void()> update) { m_networkStatusUpdate = std::move(update); }
    double timeout() const { return m_timeout; }
    // Main queue, posted after the operator's last event (or when it gave up
    // silently): until then a cancel must still be able to reach it.
    void setDoneHandler(std::function<void(KRHttpTaskOperator*)> done) { m_done = std::move(done); }

private:
    KRHttpTaskOperator(std::shared_ptr<IKRHttpTask> task, double timeout);
    // Main queue: prepares the request and hands it to the queue thread.
    void mainWillRequest();
    void runExchanges();
    void post(std::function<void(IKRHttpTask&)> relay);
    // Posts the exchange's last event together with the done handler.
    void postFinal(std::function<void(IKRHttpTask&)> relay);
    void prepareRelays(); // main queue

    std::shared_ptr<IKRHttpTask> m_task;
    const pf::Protocol* m_taskType = nullptr;
    double m_timeout = 0;
    bool m_allowShowNetworkStatus = false;
    std::function<void()> m_networkStatusUpdate;
    std::function<void(KRHttpTaskOperator*)> m_done;
    // Whether the task wants these events; read on the main queue before the
    // exchange starts.
    bool m_finalPosted = false; // queue thread
    // Held from creation (main queue) until the last event is posted (queue
    // thread), or until the operator goes if it never ran.
    std::optional<pf::RunLoop::AnswerExpected> m_answerExpected;
    bool m_wantsLoading = false;
    bool m_wantsResponse = false;
    bool m_wantsData = false;
    bool m_wantsBodySent = false;

    std::mutex m_mutex; // guards the four fields below (the flag is also read without it, to spin on)
    std::condition_variable m_prepared;
    std::atomic<bool> m_requestReady{false};
    std::optional<pf::HttpRequest> m_request;
    std::shared_ptr<pf::HttpConnection> m_connection;
};
