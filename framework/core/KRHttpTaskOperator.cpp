#include "framework/core/KRHttpTaskOperator.h"

#include "platform/foundation/BriefLook.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/net/HttpConnection.h"

#include <chrono>

namespace {

pf::Error timeoutError()
{
    return pf::Error{"KRHttpService", -3, "http connect timeout"};
}

pf::Error redirectError(const std::string& description)
{
    return pf::Error{"KRHttpService", -4, description};
}

}

std::shared_ptr<KRHttpTaskOperator> KRHttpTaskOperator::create(std::shared_ptr<IKRHttpTask> task, double timeout)
{
    if (!task)
        return nullptr;
    std::shared_ptr<KRHttpTaskOperator> op(new KRHttpTaskOperator(task, timeout));
    // From here on the main queue waits for this exchange's last event. The
    // hint is held from the start, not from when a queue thread takes the
    // operation: the main thread usually goes idle before that.
    op->m_answerExpected.emplace();
    if (task->isAllowWillRequest() && !op->prepareNow())
        return nullptr;
    return op;
}

bool KRHttpTaskOperator::prepareNow()
{
    auto request = m_task->doWillRequeset();
    prepareRelays();
    std::lock_guard lock(m_mutex);
    m_request = std::move(request);
    m_requestReady = true;
    return m_request.has_value();
}

bool KRHttpTaskOperator::isPrepared()
{
    std::lock_guard lock(m_mutex);
    return m_requestReady;
}

KRHttpTaskOperator::KRHttpTaskOperator(std::shared_ptr<IKRHttpTask> task, double timeout)
    : m_task(std::move(task)), m_timeout(timeout)
{
}

KRHttpTaskOperator::~KRHttpTaskOperator()
{
    if (m_allowShowNetworkStatus && m_networkStatusUpdate)
        pf::dispatchMain(std::move(m_networkStatusUpdate));
    // The last release of a task happens on the main queue, where its owner
    // and delegate live.
    if (m_task && !pf::RunLoop::main().isMainThread())
        pf::dispatchMain([task = std::move(m_task)]() mutable { task.reset(); });
}

void KRHttpTaskOperator::prepareRelays()
{
    m_wantsLoading = m_task->hasDoLoading();
    m_wantsResponse = m_task->hasDoResponse();
    m_wantsData = m_task->hasDoReceiveData();
    m_wantsBodySent = m_task->hasDoSendBodyDataBytes();
}

void KRHttpTaskOperator::main()
{
    if (isCancelled())
        return;
    if (m_allowShowNetworkStatus && m_networkStatusUpdate)
        pf::dispatchMain(m_networkStatusUpdate);

    bool ready;
    {
        std::lock_guard lock(m_mutex);
        ready = m_requestReady;
    }
    if (!ready) {
        auto self = std::static_pointer_cast<KRHttpTaskOperator>(shared_from_this());
        pf::dispatchMain([self] { self->mainWillRequest(); });
        // The main queue usually prepares the request within microseconds:
        // look again for a short while before sleeping.
        pf::lookBriefly([this] { return !m_requestReady.load(std::memory_order_acquire) && !isCancelled(); });
        std::unique_lock lock(m_mutex);
        m_prepared.wait(lock, [&] { return m_requestReady || isCancelled(); });
    }
    if (!isCancelled())
        runExchanges();
    if (!m_finalPosted)
        postFinal(nullptr);
}

void KRHttpTaskOperator::mainWillRequest()
{
    std::optional<pf::HttpRequest> request;
    if (!isCancelled()) {
        request = m_task->doWillRequeset();
        prepareRelays();
    }
    {
        std::lock_guard lock(m_mutex);
        m_request = std::move(request);
        m_requestReady = true;
    }
    m_prepared.notify_all();
}

void KRHttpTaskOperator::post(std::function<void(IKRHttpTask&)> relay)
{
    auto self = std::static_pointer_cast<KRHttpTaskOperator>(shared_from_this());
    pf::dispatchMain([self, relay = std::move(relay)] {
        if (!self->isCancelled())
            relay(*self->m_task);
    });
}

void KRHttpTaskOperator::postFinal(std::function<void(IKRHttpTask&)> relay)
{
    m_finalPosted = true;
    // Posted after every other relay of this exchange, so it runs after them.
    auto self = std::static_pointer_cast<KRHttpTaskOperator>(shared_from_this());
    pf::dispatchMain([self, relay = std::move(relay)] {
        if (relay && !self->isCancelled())
            relay(*self->m_task);
        if (self->m_done)
            self->m_done(self.get());
        // The exchange is over: the task is let go here, on the main queue,
        // so that a queue thread dropping the operator last need not wake
        // the main queue again just to release it.
        self->m_task.reset();
    });
    m_answerExpected.reset();
}

void KRHttpTaskOperator::runExchanges()
{
    std::optional<pf::HttpRequest> request;
    {
        // Nothing reads the prepared request after this point.
        std::lock_guard lock(m_mutex);
        request = std::move(m_request);
        m_request.reset();
    }
    if (!request)
        return; // preparation has answered the task already

    using Clock = pf::HttpConnection::Clock;
    std::optional<Clock::time_point> deadline;
    if (m_timeout > 0)
        deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(m_timeout));

    IKRHttpTask& task = *m_task;
    int hops = 0;
    while (request && !isCancelled()) {
        auto connection = std::make_shared<pf::HttpConnection>(std::move(*request));
        request.reset();
        {
            std::lock_guard lock(m_mutex);
            m_connection = connection;
        }
        if (isCancelled())
            break;
        if (m_wantsLoading)
            post([](IKRHttpTask& t) { t.doLoading(); });

        std::optional<pf::HttpRequest> next;
        std::optional<pf::Error> failure;
        pf::HttpConnectionCallbacks callbacks;
        callbacks.response = [&](const pf::HttpResponse& response) {
            std::optional<std::string> location;
            if (response.statusCode() == 302 && task.isAllowStatusCode302())
                location = response.valueForHTTPHeaderField("Location");
            if (location) {
                auto resolved = pf::resolveHttpLocation(connection->request().url(), *location);
                if (!resolved)
                    failure = redirectError("redirect to an unsupported location");
                else if (++hops > maxRedirects)
                    failure = redirectError("too many redirects");
                else
                    next = pf::HttpRequest(*resolved, pf::URLRequestCachePolicy::ReloadIgnoringLocalCacheData,
                                           std::chrono::duration<double>(m_timeout));
                connection->cancel();
                return;
            }
            if ((failure = task.doBackgroundResponse(response))) {
                connection->cancel();
                return;
            }
            if (m_wantsResponse)
                post([](IKRHttpTask& t) { t.doResponse(); });
        };
        callbacks.data = [&](const std::uint8_t* bytes, std::size_t length) {
            if ((failure = task.doBackgroundReceiveData(bytes, length))) {
                connection->cancel();
                return;
            }
            if (m_wantsData)
                post([data = pf::Bytes(bytes, bytes + length)](IKRHttpTask& t) { t.doReceiveData(data); });
        };
        callbacks.bodySent = [&](std::int64_t written, std::int64_t total, std::int64_t) {
            if (m_wantsBodySent)
                post([written, total](IKRHttpTask& t) { t.doSendBodyDataBytesWritten(written, total); });
        };

        auto error = connection->run(callbacks, deadline);
        {
            std::lock_guard lock(m_mutex);
            m_connection.reset();
        }
        if (isCancelled()) {
            task.doBackgroundFailed();
            return;
        }
        if (next && !failure) {
            request = std::move(next);
            continue;
        }
        if (!failure && error && connection->isRequestWritten() && pf::isAnswerLost(*error))
            task.doBackgroundAnswerLost();
        if (!failure && error) {
            bool timedOut = error->domain == pf::httpConnectionErrorDomain
                            && error->code == static_cast<long long>(pf::HttpConnectionError::DeadlineExceeded);
            failure = timedOut ? timeoutError() : *error;
        }
        if (failure) {
            task.doBackgroundFailed();
            postFinal([failure = *failure](IKRHttpTask& t) { t.doFailError(failure); });
            return;
        }
        if (m_answerExpected)
            m_answerExpected->arriving();
        task.doBackgroundLoaded();
        postFinal([](IKRHttpTask& t) { t.doLoaded(); });
        return;
    }
}

void KRHttpTaskOperator::cancel()
{
    pf::Operation::cancel();
    std::shared_ptr<pf::HttpConnection> connection;
    {
        std::lock_guard lock(m_mutex);
        connection = m_connection;
    }
    if (connection)
        connection->cancel();
    m_prepared.notify_all();
}
