#include "platform/net/HttpExchange.h"

namespace pf {

HttpExchange::HttpExchange(HttpRequest request, HttpExchangeCallbacks callbacks,
                           std::optional<HttpConnection::Clock::time_point> deadline)
    : m_connection(std::move(request)), m_callbacks(std::move(callbacks)), m_deadline(deadline)
{
}

void HttpExchange::main()
{
    auto error = m_connection.run(m_callbacks, m_deadline);
    std::lock_guard lock(m_endMutex);
    if (isCancelled())
        return;
    if (error) {
        if (m_callbacks.failed)
            m_callbacks.failed(*error);
    } else if (m_callbacks.finished) {
        m_callbacks.finished();
    }
}

void HttpExchange::cancel()
{
    Operation::cancel();
    m_connection.cancel();
    std::lock_guard lock(m_endMutex);
}

}
