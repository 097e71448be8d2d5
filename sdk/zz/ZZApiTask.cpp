#include "sdk/zz/ZZApiTask.h"

#include "platform/foundation/Collections.h"
#include "platform/graphics/Image.h"
#include "sdk/zz/CVOSDKServers.h"
#include "sdk/zz/JSZZApi.h"
#include "sdk/zz/ZZApiMessage.h"
#include "sdk/zz/ZZApiScaledImage.h"

#include <atomic>

namespace {

std::atomic<const ZZApiTask*> g_running{nullptr};
pf::Seconds g_timeout{5.0};

std::shared_ptr<ZZApiURLObject> linkOf(const std::shared_ptr<ZZApiMessage>& message)
{
    return message ? std::dynamic_pointer_cast<ZZApiURLObject>(message->object()) : nullptr;
}

}

ZZApiTask::~ZZApiTask()
{
    const ZZApiTask* self = this;
    g_running.compare_exchange_strong(self, nullptr);
    if (m_timeout)
        m_timeout->invalidate();
}

void ZZApiTask::postOnMainThread()
{
    auto self = std::static_pointer_cast<ZZApiTask>(shared_from_this());
    pf::RunLoop::main().post([self] { self->internalMain(); });
}

void ZZApiTask::internalMain()
{
    const ZZApiTask* empty = nullptr;
    if (!g_running.compare_exchange_strong(empty, this))
        return;
    auto keep = shared_from_this();
    main();
}

bool ZZApiTask::isTaskRunning()
{
    return g_running.load() != nullptr;
}

pf::Seconds ZZApiTask::timeoutInterval()
{
    return g_timeout;
}

void ZZApiTask::setTimeoutInterval(pf::Seconds interval)
{
    g_timeout = interval;
}

void ZZApiTask::scheduleTimeout()
{
    cancelPreviousPerformRequests();
    auto self = std::static_pointer_cast<ZZApiTask>(shared_from_this());
    m_pending = self;
    std::weak_ptr<ZZApiTask> weak = self;
    m_timeout = pf::RunLoop::main().scheduleTimer(g_timeout, false, [weak] {
        auto task = weak.lock();
        if (!task)
            return;
        task->m_pending.reset();
        task->m_timeout.reset();
        task->onTimeout();
    });
}

void ZZApiTask::cancelPreviousPerformRequests()
{
    if (m_timeout)
        m_timeout->invalidate();
    m_timeout.reset();
    m_pending.reset();
}

void ZZApiPreviewTask::startRequest(const pf::DictionaryRef& params, const std::string& method, const std::string& url)
{
    stopRequest();
    auto self = std::static_pointer_cast<ZZApiPreviewTask>(shared_from_this());
    m_request = CorvanaRequest::getRequestWithParams(params, method, std::weak_ptr<CorvanaRequestDelegate>(self), url);
    m_request->connect();
    scheduleTimeout();
}

void ZZApiPreviewTask::stopRequest()
{
    if (!m_request)
        return;
    m_request->setDelegate({});
    m_request->cancel();
}

void ZZApiPreviewTask::onTimeout()
{
    stopRequest();
    resendShareMessage();
}

void ZZApiPreviewTask::resendShareMessage()
{
    auto self = shared_from_this();
    if (std::shared_ptr<ZZApiMessage> message = std::move(m_urlMsg); linkOf(message)) {
        // Attached while the scripts have it, so that asking for the preview
        // again does not start another task for the same message.
        message->setAssociatedTask(self);
        JSZZApi::js_sendMessageToZZ(message);
    }
    cancelPreviousPerformRequests();
}

std::shared_ptr<ZZApiTaskUploadURLObjectPreviewData>
ZZApiTaskUploadURLObjectPreviewData::initWithURLMessage(std::shared_ptr<ZZApiMessage> message)
{
    return std::make_shared<ZZApiTaskUploadURLObjectPreviewData>(std::move(message));
}

void ZZApiTaskUploadURLObjectPreviewData::main()
{
    auto link = linkOf(m_urlMsg);
    if (!link || !link->previewImageData())
        return;
    std::optional<pf::Bytes> jpeg;
    if (auto scaled = ZZApiScaledImage(ZZApiImageWithData(*link->previewImageData()), kPreviewSide, kPreviewSide)) {
        if (auto encoded = scaled->jpegRepresentation(0.8))
            jpeg = std::move(encoded.value());
    }
    if (!jpeg) {
        // A preview we cannot read or shrink would not reach ZZ either: the
        // message goes without it rather than not at all.
        link->setPreviewImageData(std::nullopt);
        auto self = std::static_pointer_cast<ZZApiTaskUploadURLObjectPreviewData>(shared_from_this());
        pf::RunLoop::main().post([self] { self->resendShareMessage(); });
        return;
    }
    startRequest(pf::Dictionary::create({{"share_image", pf::Value::data(std::move(*jpeg))}}), "POST",
                 CVOSDKServers::url(CVOSDKServers::Row::Connect, kUploadPath));
}

void ZZApiTaskUploadURLObjectPreviewData::requestDidLoad(CorvanaRequest&, const pf::Value& result, const pf::Bytes&)
{
    auto link = linkOf(m_urlMsg);
    pf::DictionaryRef answer = result.dictionary();
    pf::DictionaryRef inner = answer ? answer->get("result").dictionary() : nullptr;
    if (link && inner) {
        pf::Value given = inner->get("url");
        if (const std::string* text = given.string())
            if (auto url = pf::URL::create(*text))
                link->setPreviewImageURL(std::move(url));
    }
    resendShareMessage();
}

std::shared_ptr<ZZApiTaskDownloadURLObjectPreviewData>
ZZApiTaskDownloadURLObjectPreviewData::initWithURLMessage(std::shared_ptr<ZZApiMessage> message)
{
    return std::make_shared<ZZApiTaskDownloadURLObjectPreviewData>(std::move(message));
}

void ZZApiTaskDownloadURLObjectPreviewData::main()
{
    auto link = linkOf(m_urlMsg);
    if (!link || !link->previewImageURL())
        return;
    startRequest(nullptr, "GET", link->previewImageURL()->absoluteString());
}

void ZZApiTaskDownloadURLObjectPreviewData::requestDidLoadRawResponse(CorvanaRequest&, const pf::Bytes& data)
{
    auto link = linkOf(m_urlMsg);
    if (link && data.size() <= kMaxPreviewSize && ZZApiImageWithData(data))
        link->setPreviewImageData(data);
    resendShareMessage();
}

void ZZApiTaskDownloadURLObjectPreviewData::requestDidWriteData(CorvanaRequest&, std::int64_t, std::int64_t total,
                                                               std::int64_t expected)
{
    if (total > std::int64_t(kMaxPreviewSize) || expected > std::int64_t(kMaxPreviewSize)) {
        stopRequest();
        resendShareMessage();
    }
}
