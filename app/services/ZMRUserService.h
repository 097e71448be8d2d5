#pragma once

// Saving the signed-in user's profile. An IZMRUpdateUserTask with a picked
// portrait (`logoImage`) and no `logo` first uploads the portrait through
// the image upload service, at most 160 points wide; the profile then goes
// out with the stored image's "uri" as "zmr-logo". A successful answer
// stores the answer's "user-results" (its "nick", then the whole
// dictionary) in the user context, which posts
// "ZMRUserInfoChangedNotification", before the delegate hears of it.
//
// Failures reach the delegate with task type IZMRUpdateUserTask: the
// upload's own error; "上传头像失败" (domain "ZMRUserService", code 0) when
// the upload answers without a non-empty text "uri"; a server refusal with
// its code and text, or a transport failure with code 0 (domain
// "ZMRUserService"). Cancelling the update withdraws a portrait upload
// still under way. Main queue only.

#include "framework/core/IKRTask.h"
#include "framework/core/KRUplinkService.h"

#include <vector>

class IKRAPIResponseTask;
class ZMRUserImageUploadTask;

class ZMRUserService final : public KRUplinkService, public IKRUplinkTaskDelegate {
public:
    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority) override;
    bool cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task) override;
    bool cancelHandleForSource(const pf::Object* source) override;

    void krUploadTaskDidSuccessResults(const pf::ObjectRef& task, const pf::Value& results, const pf::Protocol* taskType) override;
    void krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error, const pf::Protocol* taskType) override;

private:
    void upload(const pf::ObjectRef& task);
    void sendProfile(const pf::ObjectRef& task);
    void answer(const IKRAPIResponseTask& response);
    // The portrait upload of a waiting update, taken out of the waiting list.
    std::shared_ptr<ZMRUserImageUploadTask> takeUpload(const pf::ObjectRef& uploadTask);

    // Portrait uploads under way, so that their updates can be withdrawn.
    std::vector<std::shared_ptr<ZMRUserImageUploadTask>> m_uploads;
};
