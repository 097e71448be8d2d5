#include "app/services/ZMRImageUploadService.h"

#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/KRHttpFormBody.h"
#include "framework/core/KRTaskTypes.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/ImageCodec.h"
#include "platform/net/HttpRequest.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double uploadTimeout = 120.0;
constexpr double jpegQuality = 0.8;

// The image no wider than `maxWidth` points, and its size in points.
pf::BitmapRef scaledImage(const pf::BitmapRef& image, float maxWidth, pf::Size& size)
{
    size = image ? image->size() : pf::Size{};
    // A limit that is not positive would leave nothing to send.
    if (!image || !(maxWidth > 0) || !(size.width > maxWidth))
        return image;
    float width = maxWidth;
    float height = static_cast<float>(size.height) / static_cast<float>(size.width) * maxWidth;
    int pixelWidth = std::max(1, static_cast<int>(std::lround(width)));
    int pixelHeight = std::max(1, static_cast<int>(std::lround(height)));
    auto bitmap = pf::Bitmap::create(pixelWidth, pixelHeight, 1);
    if (!bitmap)
        return image;
    auto context = pf::GraphicsContext::create(**bitmap);
    if (!context)
        return image;
    (*context)->drawImage(*image, pf::Rect({0, 0}, {width, height}));
    context->reset();
    size = {width, height};
    return *bitmap;
}

}

bool ZMRImageUploadService::handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int)
{
    PF_ASSERT_MAIN_THREAD();
    if (taskType != proto::IZMRImageUploadTask())
        return false;
    auto upload = std::dynamic_pointer_cast<IZMRImageUploadTask>(task);
    auto uplink = std::dynamic_pointer_cast<IKRTask>(task);
    if (!upload || !uplink)
        return false;

    pf::Size size;
    pf::BitmapRef image = scaledImage(upload->image(), upload->maxWidth(), size);
    upload->setImageSize(size);
    auto data = std::make_shared<pf::Bytes>();
    if (image) {
        if (auto jpeg = pf::encodeJpeg(*image, jpegQuality))
            *data = std::move(*jpeg);
        else
            pf::log("ZMRImageUploadService: cannot encode the image: %s", jpeg.error().description.c_str());
    }

    std::string url = config() ? config()->string("url").value_or("") : "";
    pf::logLevel(pf::LogLevel::Debug, "%s", pf::redactSecrets(url).c_str());
    auto form = std::make_shared<KRHttpFormBody>();
    form->addItemBytes(data, "image/jpg", "uri");
    pf::HttpRequest request(url, pf::URLRequestCachePolicy::ReloadIgnoringLocalCacheData,
                            std::chrono::duration<double>(uploadTimeout));
    request.setHttpBody(form->bytesBody());
    request.setHttpMethod("POST");
    request.addValue(form->contentType().value_or(""), "Content-Type");

    auto http = std::make_shared<ZMRImageUploadHttpTask>();
    http->setRequest(std::move(request));
    http->setResponseType(KRHttpResponseType::JSON);
    http->setTask(task);
    http->setTaskType(proto::IZMRImageUploadTask());
    http->setSource(uplink->source());
    http->setDelegate(std::static_pointer_cast<ZMRImageUploadService>(shared_from_this()));
    m_exchanges.push_back(http);

    auto context = this->context();
    if (!context || !context->handle(proto::IKRHttpUploadTask(), http, 0)) {
        std::weak_ptr<ZMRImageUploadService> weakSelf = std::static_pointer_cast<ZMRImageUploadService>(shared_from_this());
        pf::RunLoop::main().post([weakSelf, http] {
            if (auto self = weakSelf.lock())
                // Nothing went out: the person reads it as a network failure.
                self->krHttpTaskDidFailError(*http, pf::Error{"ZMRImageUploadService", ZMRNotAnsweredCode, "nobody uploads"});
        });
    }
    return true;
}

bool ZMRImageUploadService::cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task)
{
    PF_ASSERT_MAIN_THREAD();
    if (taskType != proto::IZMRImageUploadTask())
        return false;
    auto snapshot = m_exchanges;
    for (const auto& http : snapshot) {
        if (http->task() != task)
            continue;
        std::erase(m_exchanges, http);
        if (auto context = this->context())
            context->cancelHandle(proto::IKRHttpUploadTask(), http);
    }
    return true;
}

bool ZMRImageUploadService::cancelHandleForSource(const pf::Object* source)
{
    PF_ASSERT_MAIN_THREAD();
    if (source)
        std::erase_if(m_exchanges, [&](const auto& http) { return http->sourceIdentity() == source; });
    return false;
}

std::shared_ptr<ZMRImageUploadHttpTask> ZMRImageUploadService::takeExchange(const KRHttpTask& task)
{
    auto found = std::find_if(m_exchanges.begin(), m_exchanges.end(), [&](const auto& http) { return http.get() == &task; });
    if (found == m_exchanges.end())
        return nullptr; // withdrawn meanwhile
    auto http = *found;
    m_exchanges.erase(found);
    if (http->taskType() != proto::IZMRImageUploadTask())
        return nullptr;
    return http;
}

void ZMRImageUploadService::krHttpTaskDidLoaded(KRHttpTask& task)
{
    PF_ASSERT_MAIN_THREAD();
    auto self = shared_from_this();
    auto http = takeExchange(task);
    if (!http)
        return;
    auto upload = std::dynamic_pointer_cast<IZMRImageUploadTask>(http->task());
    pf::Value body = http->responseBody();
    if (upload)
        upload->setResultsData(body);
    pf::logLevel(pf::LogLevel::Debug, "%s", pf::redactSecrets(body.description()).c_str());
    krUplinkTaskDidSuccessResults(http->task(), body, http->taskType());
}

void ZMRImageUploadService::krHttpTaskDidFailError(KRHttpTask& task, const pf::Error& error)
{
    PF_ASSERT_MAIN_THREAD();
    auto self = shared_from_this();
    auto http = takeExchange(task);
    if (!http)
        return;
    if (auto upload = std::dynamic_pointer_cast<IZMRImageUploadTask>(http->task()))
        upload->setResultsData(pf::Value());
    krUplinkTaskDidFailWithError(http->task(), error, http->taskType());
}
