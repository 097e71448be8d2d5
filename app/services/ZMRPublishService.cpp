#include "app/services/ZMRPublishService.h"

#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "app/services/ZMRUplinkRequest.h"
#include "framework/core/KRAPITask.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/core/KRHttpFormBody.h"
#include "framework/core/KRJSON.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"

#include <algorithm>

namespace {

constexpr const char* domain = "ZMRPublishService";
constexpr float photoMaxWidth = 640;

// The stored image's address in an upload answer, when it is usable.
std::optional<std::string> uploadedUri(const pf::Value& results)
{
    if (!results.isDictionary())
        return std::nullopt;
    pf::Value value = ZMRPresent(results, "uri");
    const std::string* uri = value.string();
    if (!uri || uri->empty())
        return std::nullopt;
    return *uri;
}

}

ZMRPublishWorker::~ZMRPublishWorker()
{
    clearLinks();
}

void ZMRPublishWorker::addImageTask(std::shared_ptr<ZMRPublishImageUploadTask> imageTask)
{
    m_imageTasks.push_back(std::move(imageTask));
    m_uploaded.push_back(false);
}

bool ZMRPublishWorker::markUploaded(const ZMRPublishImageUploadTask& imageTask)
{
    for (std::size_t i = 0; i < m_imageTasks.size(); ++i) {
        if (m_imageTasks[i].get() == &imageTask)
            m_uploaded[i] = true;
    }
    return std::all_of(m_uploaded.begin(), m_uploaded.end(), [](bool done) { return done; });
}

void ZMRPublishWorker::clearLinks()
{
    for (const auto& imageTask : m_imageTasks)
        imageTask->setWorker(nullptr);
}

bool ZMRPublishService::handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int)
{
    PF_ASSERT_MAIN_THREAD();
    if (taskType == proto::IZMRPublishTask()) {
        auto publish = std::dynamic_pointer_cast<IZMRPublishTask>(task);
        if (!publish)
            return false;
        const pf::ArrayRef& photos = publish->images();
        if (!photos || photos->empty()) {
            sendRequestPublishTask(task, taskType, nullptr);
            return true;
        }
        auto self = shared_from_this();
        auto worker = std::make_shared<ZMRPublishWorker>();
        worker->setTask(task);
        worker->setTaskType(taskType);
        worker->setUser(ZMRSignedInUser(*this));
        m_workers.push_back(worker);
        for (const pf::Value& photo : *photos) {
            auto imageTask = std::make_shared<ZMRPublishImageUploadTask>();
            imageTask->setSource(publish->source());
            imageTask->setMaxWidth(photoMaxWidth);
            if (auto image = photo.objectAs<pf::Image>())
                imageTask->setImage(image->bitmap());
            imageTask->setDelegate(std::static_pointer_cast<ZMRPublishService>(self));
            imageTask->setWorker(worker);
            worker->addImageTask(std::move(imageTask));
        }
        // A copy: an upload that fails at once may drop the worker meanwhile.
        auto imageTasks = worker->imageTasks();
        auto context = this->context();
        for (const auto& imageTask : imageTasks) {
            if (!imageTask->worker())
                break;
            if (!context || !context->handle(proto::IZMRImageUploadTask(), imageTask, 0)) {
                // Nobody uploads: the post can never be sent. The sender
                // hears of it on a later turn, not inside this call.
                withdraw(worker);
                std::weak_ptr<ZMRPublishService> weakSelf = std::static_pointer_cast<ZMRPublishService>(self);
                pf::RunLoop::main().post([weakSelf, task, taskType] {
                    if (auto service = weakSelf.lock())
                        service->krUplinkTaskDidFailWithError(task, pf::Error{domain, 0, "上传图片失败"}, taskType);
                });
                break;
            }
        }
        return true;
    }
    auto response = ZMRResponseOf(taskType, task, proto::IZMRPublishTask());
    if (!response)
        return false;
    answer(*response);
    return true;
}

void ZMRPublishService::sendRequestPublishTask(const pf::ObjectRef& task, const pf::Protocol* taskType,
                                               const std::vector<std::shared_ptr<ZMRPublishImageUploadTask>>* imageTasks)
{
    auto publish = std::dynamic_pointer_cast<IZMRPublishTask>(task);
    if (!publish)
        return;
    auto body = ZMRRequestBody("ZMRPublishTask");
    body->addItemValue(publish->body().value_or(""), "zmr-body");
    std::string tags;
    if (const auto& tagObjects = publish->tagObjects()) {
        for (const pf::Value& tag : *tagObjects) {
            if (!tags.empty())
                tags += ",";
            tags += dataForKeyPath(tag, "tag").stringValue().value_or("");
        }
    }
    body->addItemValue(tags, "zmr-tags");
    std::string cids;
    if (const auto& classifyObjects = publish->classifyObjects()) {
        for (const pf::Value& classify : *classifyObjects) {
            if (!cids.empty())
                cids += ",";
            cids += std::to_string(dataForKeyPath(classify, "cid").longLongValue());
        }
    }
    body->addItemValue(cids, "zmr-cids");
    if (imageTasks) {
        auto images = pf::Array::create();
        for (const auto& imageTask : *imageTasks) {
            auto uri = uploadedUri(imageTask->resultsData());
            if (!uri)
                continue;
            pf::Size size = imageTask->imageSize();
            images->add(pf::Dictionary::create({{"uri", *uri}, {"width", ZMRFormDecimal(size.width)}, {"height", ZMRFormDecimal(size.height)}}));
        }
        body->addItemValue(KRJSON::encodeObject(pf::Value(images)), "zmr-images");
    }
    body->addItemValue(ZMRFormDecimal(publish->latitude()), "zmr-latitude");
    body->addItemValue(ZMRFormDecimal(publish->longitude()), "zmr-longitude");
    body->addItemValue(ZMRFormDecimal(publish->payMoney()), "zmr-payMoney");
    body->addItemValue(ZMRFormDecimal(publish->expendMoney()), "zmr-expendMoney");
    if (publish->toVoxly())
        body->addItemValue("1", "zmr-toVoxly");
    if (publish->toZZ())
        body->addItemValue("1", "zmr-toZZ");
    ZMRSendRequest(*this, taskType, task, std::move(body));
}

std::shared_ptr<ZMRPublishWorker> ZMRPublishService::workerOf(const pf::ObjectRef& imageTask) const
{
    auto upload = std::dynamic_pointer_cast<ZMRPublishImageUploadTask>(imageTask);
    if (!upload)
        return nullptr;
    auto worker = std::dynamic_pointer_cast<ZMRPublishWorker>(upload->worker());
    // Only a worker still waiting counts.
    if (!worker || std::find(m_workers.begin(), m_workers.end(), worker) == m_workers.end())
        return nullptr;
    return worker;
}

void ZMRPublishService::krUploadTaskDidSuccessResults(const pf::ObjectRef& task, const pf::Value& results,
                                                      const pf::Protocol* taskType)
{
    PF_ASSERT_MAIN_THREAD();
    if (taskType != proto::IZMRImageUploadTask())
        return;
    auto worker = workerOf(task);
    if (!worker)
        return;
    if (!uploadedUri(results)) {
        fail(worker, pf::Error{domain, 0, "上传图片失败"});
        return;
    }
    auto upload = std::static_pointer_cast<ZMRPublishImageUploadTask>(task);
    if (!worker->markUploaded(*upload))
        return;
    // Sent now, the post would appear as the user signed in since the
    // uploads began.
    if (!ZMRIsSignedIn(*this, worker->user())) {
        fail(worker, pf::Error{domain, 0, "已切换账号，未发布"});
        return;
    }
    auto self = shared_from_this();
    std::erase(m_workers, worker);
    worker->clearLinks();
    sendRequestPublishTask(worker->task(), worker->taskType(), &worker->imageTasks());
}

void ZMRPublishService::krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error,
                                                     const pf::Protocol* taskType)
{
    PF_ASSERT_MAIN_THREAD();
    if (taskType != proto::IZMRImageUploadTask())
        return;
    if (auto worker = workerOf(task))
        fail(worker, error);
}

void ZMRPublishService::fail(const std::shared_ptr<ZMRPublishWorker>& worker, const pf::Error& error)
{
    auto self = shared_from_this();
    std::erase(m_workers, worker);
    worker->clearLinks();
    krUplinkTaskDidFailWithError(worker->task(), error, worker->taskType());
}

void ZMRPublishService::withdraw(const std::shared_ptr<ZMRPublishWorker>& worker)
{
    std::erase(m_workers, worker);
    worker->clearLinks();
    if (auto context = this->context()) {
        for (const auto& imageTask : worker->imageTasks())
            context->cancelHandle(proto::IZMRImageUploadTask(), imageTask);
    }
}

bool ZMRPublishService::cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task)
{
    PF_ASSERT_MAIN_THREAD();
    if (taskType == proto::IZMRPublishTask()) {
        auto snapshot = m_workers;
        for (const auto& worker : snapshot) {
            if (worker->task() == task)
                withdraw(worker);
        }
    }
    return KRUplinkService::cancelHandle(taskType, task);
}

bool ZMRPublishService::cancelHandleForSource(const pf::Object* source)
{
    PF_ASSERT_MAIN_THREAD();
    if (!source)
        return false;
    auto snapshot = m_workers;
    for (const auto& worker : snapshot) {
        auto task = std::dynamic_pointer_cast<IKRTask>(worker->task());
        if (task && task->sourceIdentity() == source)
            withdraw(worker);
    }
    // Other services hold tasks of the same source.
    return false;
}

void ZMRPublishService::answer(const IKRAPIResponseTask& response)
{
    auto self = shared_from_this();
    ZMRAnswer answer = ZMRReadAnswer(response, domain);
    if (answer.error)
        krUplinkTaskDidFailWithError(response.task(), *answer.error, response.taskType());
    else
        krUplinkTaskDidSuccessResults(response.task(), pf::Value(answer.results), response.taskType());
}
