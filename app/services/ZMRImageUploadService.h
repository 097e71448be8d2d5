#pragma once

// Stores one picture on the server. An IZMRImageUploadTask's image is
// scaled down to its `maxWidth` (points) when wider, encoded as JPEG at
// quality 0.8 and posted as a multipart form (one "uri" part, "image/jpg")
// to the "url" of the service's configuration entry, read at each upload.
// The upload goes to the HTTP service as IKRHttpUploadTask, not through the
// API envelope. The task's `imageSize` is the size sent.
//
// The task's delegate hears krUploadTaskDidSuccessResults with the decoded
// answer (also kept as the task's `resultsData`), whatever it holds, or
// krUploadTaskDidFailWithError with the HTTP error; task type
// IZMRImageUploadTask. When nobody runs HTTP uploads the failure arrives
// later, never inside handle(). Cancelling an upload task withdraws its
// exchange; its delegate then hears nothing. Main queue only.

#include "framework/core/IKRHttpTask.h"
#include "framework/core/KRHttpTask.h"
#include "framework/core/KRUplinkService.h"

#include <vector>

// The exchange of one upload; holds the upload task until it ends.
class ZMRImageUploadHttpTask final : public KRHttpTask {
public:
    const pf::ObjectRef& task() const { return m_task; }
    void setTask(pf::ObjectRef task) { m_task = std::move(task); }
    const pf::Protocol* taskType() const { return m_taskType; }
    void setTaskType(const pf::Protocol* taskType) { m_taskType = taskType; }

private:
    pf::ObjectRef m_task;
    const pf::Protocol* m_taskType = nullptr;
};

class ZMRImageUploadService final : public KRUplinkService, public IKRHttpTaskDelegate {
public:
    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority) override;
    bool cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task) override;
    // Forgets the exchanges of that source, which the HTTP service withdraws.
    bool cancelHandleForSource(const pf::Object* source) override;

    void krHttpTaskDidLoaded(KRHttpTask& task) override;
    void krHttpTaskDidFailError(KRHttpTask& task, const pf::Error& error) override;
    bool hasKrHttpTaskDidLoading() const override { return false; }

private:
    std::shared_ptr<ZMRImageUploadHttpTask> takeExchange(const KRHttpTask& task);

    // Exchanges under way, so that their uploads can be withdrawn.
    std::vector<std::shared_ptr<ZMRImageUploadHttpTask>> m_exchanges;
};
