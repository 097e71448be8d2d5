#include "sdk/analytics/MCA4ZCDispatcher.h"

#include "platform/foundation/DispatchQueue.h"
#include "platform/net/HttpConnection.h"
#include "sdk/analytics/MCA4ZCDataConfigHolder.h"
#include "sdk/analytics/MCA4ZCEvent.h"
#include "sdk/analytics/MCA4ZCHelper.h"
#include "sdk/analytics/TXJSONDecoder.h"

#include <cctype>

namespace {

bool containsIgnoringCase(std::string text, const std::string& part)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text.find(part) != std::string::npos;
}

}

std::shared_ptr<MCA4ZCDispatcher> MCA4ZCDispatcher::getInstance()
{
    static auto* instance = new std::shared_ptr<MCA4ZCDispatcher>(std::make_shared<MCA4ZCDispatcher>());
    return *instance;
}

MCA4ZCDispatcher::MCA4ZCDispatcher() : m_queue(pf::DispatchQueue::create("MCA4ZCHttpDispatcher")) {}

void MCA4ZCDispatcher::setBaseURL(std::string url)
{
    std::lock_guard lock(m_mutex);
    m_baseURL = std::move(url);
}

std::string MCA4ZCDispatcher::baseURL() const
{
    std::lock_guard lock(m_mutex);
    return m_baseURL;
}

void MCA4ZCDispatcher::sendEvent(const MCA4ZCEvent& event, Callback callback)
{
    send({event.toJsonString()}, std::move(callback));
}

void MCA4ZCDispatcher::send(std::vector<std::string> texts, Callback callback)
{
    if (texts.empty())
        return;
    m_queue->async([self = shared_from_this(), texts = std::move(texts), callback = std::move(callback)] {
        if (self->baseURL().empty()) {
            if (callback)
                callback(Outcome::NotSent);
            return;
        }
        std::string joined = "[";
        for (std::size_t i = 0; i < texts.size(); ++i) {
            if (i)
                joined += ',';
            joined += texts[i];
        }
        joined += ']';
        pf::Bytes reply;
        bool ok = self->nsRequest(pf::Bytes(joined.begin(), joined.end()), &reply);
        if (callback)
            callback(ok ? Outcome::Sent : Outcome::Failed);
        if (!ok || reply.empty())
            return;
        TXJKError error;
        pf::Value decoded = objectFromJSONData(reply, 0, &error);
        if (!decoded.isDictionary())
            return;
        if (auto holder = MCA4ZCDataConfigHolder::getInstance())
            holder->updateOnlineConfig(decoded);
    });
}

bool MCA4ZCDispatcher::makePayload(const pf::Bytes& body, pf::Bytes* payload, std::string* contentEncoding)
{
    if (body.size() < 256) {
        *payload = body;
        *contentEncoding = "rc4";
    } else {
        pf::Bytes packed;
        if (MCA4ZCHelper::GZip(body, &packed) != 0 || body.size() > 0xFFFFFFFFu)
            return false;
        auto length = static_cast<std::uint32_t>(body.size());
        payload->assign({static_cast<std::uint8_t>(length >> 24), static_cast<std::uint8_t>(length >> 16),
                         static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length)});
        payload->insert(payload->end(), packed.begin(), packed.end());
        *contentEncoding = "rc4,gzip";
    }
    MCA4ZCHelper::ChiperRC4(*payload);
    return true;
}

bool MCA4ZCDispatcher::nsRequest(const pf::Bytes& body, pf::Bytes* reply)
{
    pf::Bytes payload;
    std::string contentEncoding;
    if (!makePayload(body, &payload, &contentEncoding))
        return false;
    std::string base = baseURL();
    if (base.empty())
        return false;
    pf::HttpRequest request(base + kPath, pf::URLRequestCachePolicy::UseProtocolCachePolicy, std::chrono::seconds(10));
    request.setHttpMethod("POST");
    request.setValue("keep-alive", "Connection");
    request.setValue("json", "Content-Type");
    request.setValue(contentEncoding, "Content-Encoding");
    request.setHttpBody(std::move(payload));

    auto result = pf::HttpConnection::sendSynchronousRequest(request, kMaxReplySize);
    if (!result.ok() || result->response.statusCode() != 200)
        return false;
    // The upload itself went through; only an oversized reply is ignored.
    if (result->bodyTooLarge)
        return true;
    pf::Bytes& received = result->body;
    const pf::HttpResponse& response = result->response;
    if (!received.empty() && containsIgnoringCase(response.valueForHTTPHeaderField("Content-Encoding").value_or(""), "rc4"))
        MCA4ZCHelper::ChiperRC4(received);
    if (reply)
        *reply = std::move(received);
    return true;
}
