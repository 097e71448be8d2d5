#include "sdk/zz/ZZApiTaskGetZZUinOnlineStatues.h"

#include "platform/foundation/Text.h"
#include "platform/net/HttpRequest.h"
#include "platform/net/URLConnection.h"
#include "sdk/zz/ZZOpenApiUtility.h"

std::shared_ptr<ZZApiTaskGetZZUinOnlineStatues>
ZZApiTaskGetZZUinOnlineStatues::initWithZZUins(std::vector<std::string> uins, std::weak_ptr<ZZApiInterfaceDelegate> delegate)
{
    return std::make_shared<ZZApiTaskGetZZUinOnlineStatues>(std::move(uins), std::move(delegate));
}

ZZApiTaskGetZZUinOnlineStatues::~ZZApiTaskGetZZUinOnlineStatues()
{
    if (m_connection)
        m_connection->cancel();
}

void ZZApiTaskGetZZUinOnlineStatues::main()
{
    dropConnection();
    pf::HttpRequest request(ZZOpenApiUtility::urlStringWithZZUinsArray(m_uins),
                            pf::URLRequestCachePolicy::UseProtocolCachePolicy, pf::Seconds(60.0));
    // The connection holds the task until it ends, as the task's only owner
    // once its creator has let go.
    auto self = std::static_pointer_cast<ZZApiTaskGetZZUinOnlineStatues>(shared_from_this());
    pf::URLConnectionCallbacks callbacks;
    callbacks.data = [self](const pf::Bytes& data) { self->connectionDidReceiveData(data); };
    callbacks.finished = [self] { self->connectionDidFinishLoading(); };
    callbacks.failed = [self](const pf::Error&) { self->dropConnection(); };
    m_connection = pf::URLConnection::start(std::move(request), std::move(callbacks));
}

void ZZApiTaskGetZZUinOnlineStatues::connectionDidReceiveData(const pf::Bytes& data)
{
    if (!m_stringData) {
        m_stringData.emplace();
        m_stringData->reserve(2048);
    }
    if (m_stringData->size() + data.size() > kMaxAnswerSize) {
        if (m_connection)
            m_connection->cancel();
        dropConnection();
        return;
    }
    m_stringData->insert(m_stringData->end(), data.begin(), data.end());
}

void ZZApiTaskGetZZUinOnlineStatues::connectionDidFinishLoading()
{
    auto keep = shared_from_this();
    pf::Bytes data = m_stringData.value_or(pf::Bytes());
    dropConnection();
    std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
    if (!pf::isValidUtf8(text))
        return;
    if (auto delegate = m_delegate.lock())
        delegate->isOnlineResponse(ZZOpenApiUtility::dictionaryWithReturnString(text, m_uins));
}

void ZZApiTaskGetZZUinOnlineStatues::dropConnection()
{
    m_connection.reset();
    m_stringData.reset();
}
