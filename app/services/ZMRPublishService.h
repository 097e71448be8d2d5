#pragma once

// Publishing a post. Each photo of an IZMRPublishTask is first uploaded
// through the image upload service (at most 640 points wide), all side by
// side; only when every upload has answered with a stored image ("uri") is
// the post sent, its "zmr-images" listing the images in photo order. A post
// without photos is sent at once.
//
// The first upload that fails, or that answers without a non-empty text
// "uri", ends the post: its delegate hears one failure (the upload's own
// error, or domain "ZMRPublishService", code 0, "上传图片失败") and later
// upload outcomes are ignored. Cancelling the publish task, or every task of
// its source, withdraws its uploads as well as its request; its delegate
// then hears nothing. The answer is reported as the server gives it
// (failures of domain "ZMRPublishService"); nothing is stored or posted.
// Main queue only.

#include "framework/core/IKRTask.h"
#include "framework/core/KRUplinkService.h"

#include <vector>

class IKRAPIResponseTask;
class ZMRPublishImageUploadTask;

// One post waiting for its uploads. Its image tasks link back to it weakly;
// the links are cleared when the worker gives up or goes away.
class ZMRPublishWorker final : public pf::Object {
public:
    ~ZMRPublishWorker() override;

    const pf::ObjectRef& task() const { return m_task; }
    void setTask(pf::ObjectRef task) { m_task = std::move(task); }
    const pf::Protocol* taskType() const { return m_taskType; }
    void setTaskType(const pf::Protocol* taskType) { m_taskType = taskType; }
    // The user the post is for (nil for nobody).
    const pf::Value& user() const { return m_user; }
    void setUser(pf::Value user) { m_user = std::move(user); }
    const std::vector<std::shared_ptr<ZMRPublishImageUploadTask>>& imageTasks() const { return m_imageTasks; }
    void addImageTask(std::shared_ptr<ZMRPublishImageUploadTask> imageTask);

    // Records a usable answer of one of its uploads; true once all have one.
    bool markUploaded(const ZMRPublishImageUploadTask& imageTask);
    void clearLinks();

private:
    pf::ObjectRef m_task;
    const pf::Protocol* m_taskType = nullptr;
    pf::Value m_user;
    std::vector<std::shared_ptr<ZMRPublishImageUploadTask>> m_imageTasks;
    std::vector<bool> m_uploaded; // per image task
};

class ZMRPublishService final : public KRUplinkService, public IKRUplinkTaskDelegate {
public:
    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority) override;
    bool cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task) override;
    bool cancelHandleForSource(const pf::Object* source) override;

    // Builds and sends the publish request; `imageTasks` null for a post without photos.
    void sendRequestPublishTask(const pf::ObjectRef& task, const pf::Protocol* taskType,
                                const std::vector<std::shared_ptr<ZMRPublishImageUploadTask>>* imageTasks);

    void krUploadTaskDidSuccessResults(const pf::ObjectRef& task, const pf::Value& results, const pf::Protocol* taskType) override;
    void krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error, const pf::Protocol* taskType) override;

private:
    std::shared_ptr<ZMRPublishWorker> workerOf(const pf::ObjectRef& imageTask) const;
    void fail(const std::shared_ptr<ZMRPublishWorker>& worker, const pf::Error& error);
    void withdraw(const std::shared_ptr<ZMRPublishWorker>& worker);
    void answer(const IKRAPIResponseTask& response);

    std::vector<std::shared_ptr<ZMRPublishWorker>> m_workers;
};
