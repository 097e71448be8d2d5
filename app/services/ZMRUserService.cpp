#include "app/services/ZMRUserService.h"

#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRContext.h"
#include "app/services/ZMRTaskTypes.h"
#include "app/services/ZMRUplinkRequest.h"
#include "framework/core/KRAPITask.h"
#include "framework/core/KRHttpFormBody.h"
#include "platform/foundation/RunLoop.h"

#include <algorithm>

namespace {

constexpr const char* domain = "ZMRUserService";
constexpr float portraitMaxWidth = 160;

pf::Error portraitFailure()
{
    return pf::Error{domain, 0, "上传头像失败"};
}

pf::Error userChangedFailure()
{
    return pf::Error{domain, 0, "已切换账号，资料未保存"};
}

}

bool ZMRUserService::handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int)
{
    PF_ASSERT_MAIN_THREAD();
    if (taskType == proto::IZMRUpdateUserTask()) {
        auto update = std::dynamic_pointer_cast<IZMRUpdateUserTask>(task);
        if (!update)
            return false;
        if (!update->logo() && update->logoImage())
            upload(task);
        else
            sendProfile(task);
        return true;
    }
    auto response = ZMRResponseOf(taskType, task, proto::IZMRUpdateUserTask());
    if (!response)
        return false;
    answer(*response);
    return true;
}

void ZMRUserService::upload(const pf::ObjectRef& task)
{
    auto update = std::dynamic_pointer_cast<IZMRUpdateUserTask>(task);
    auto self = std::static_pointer_cast<ZMRUserService>(shared_from_this());
    auto portrait = std::make_shared<ZMRUserImageUploadTask>();
    portrait->setImage(update->logoImage());
    portrait->setMaxWidth(portraitMaxWidth);
    portrait->setTask(task);
    portrait->setTaskType(proto::IZMRUpdateUserTask());
    portrait->setSource(update->source());
    portrait->setDelegate(self);
    portrait->setUser(ZMRSignedInUser(*this));
    m_uploads.push_back(portrait);
    auto context = this->context();
    if (context && context->handle(proto::IZMRImageUploadTask(), portrait, 0))
        return;
    // Nobody uploads; the sender hears of it on a later turn.
    std::weak_ptr<ZMRUserService> weakSelf = self;
    pf::RunLoop::main().post([weakSelf, portrait] {
        if (auto service = weakSelf.lock())
            service->krUploadTaskDidFailWithError(portrait, portraitFailure(), proto::IZMRImageUploadTask());
    });
}

void ZMRUserService::sendProfile(const pf::ObjectRef& task)
{
    auto update = std::dynamic_pointer_cast<IZMRUpdateUserTask>(task);
    auto body = ZMRRequestBody("ZMRUpdateUserTask");
    body->addItemValue(update->nick().value_or(""), "zmr-nick");
    body->addItemValue(std::to_string(update->age()), "zmr-age");
    body->addItemValue(update->logo().value_or(""), "zmr-logo");
    body->addItemValue(update->constellation().value_or(""), "zmr-constellation");
    body->addItemValue(update->job().value_or(""), "zmr-job");
    body->addItemValue(update->city().value_or(""), "zmr-city");
    ZMRSendRequest(*this, proto::IZMRUpdateUserTask(), task, std::move(body));
}

std::shared_ptr<ZMRUserImageUploadTask> ZMRUserService::takeUpload(const pf::ObjectRef& uploadTask)
{
    auto found = std::find_if(m_uploads.begin(), m_uploads.end(), [&](const auto& u) { return u == uploadTask; });
    if (found == m_uploads.end())
        return nullptr;
    auto portrait = *found;
    m_uploads.erase(found);
    if (portrait->taskType() != proto::IZMRUpdateUserTask())
        return nullptr;
    return portrait;
}

void ZMRUserService::krUploadTaskDidSuccessResults(const pf::ObjectRef& task, const pf::Value& results,
                                                   const pf::Protocol* taskType)
{
    PF_ASSERT_MAIN_THREAD();
    if (taskType != proto::IZMRImageUploadTask())
        return;
    auto portrait = takeUpload(task);
    if (!portrait)
        return;
    auto self = shared_from_this();
    auto update = std::dynamic_pointer_cast<IZMRUpdateUserTask>(portrait->task());
    if (!update)
        return;
    pf::Value uri = results.isDictionary() ? ZMRPresent(results, "uri") : pf::Value();
    const std::string* text = uri.string();
    // Without a stored image the profile would lose its portrait, or resend
    // it without end.
    if (!text || text->empty()) {
        krUplinkTaskDidFailWithError(portrait->task(), portraitFailure(), proto::IZMRUpdateUserTask());
        return;
    }
    // Sent now, the profile would replace the one of the user signed in
    // since the upload began.
    if (!ZMRIsSignedIn(*this, portrait->user())) {
        krUplinkTaskDidFailWithError(portrait->task(), userChangedFailure(), proto::IZMRUpdateUserTask());
        return;
    }
    update->setLogo(*text);
    handle(proto::IZMRUpdateUserTask(), portrait->task(), 0);
}

void ZMRUserService::krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error,
                                                  const pf::Protocol* taskType)
{
    PF_ASSERT_MAIN_THREAD();
    if (taskType != proto::IZMRImageUploadTask())
        return;
    auto portrait = takeUpload(task);
    if (!portrait)
        return;
    auto self = shared_from_this();
    krUplinkTaskDidFailWithError(portrait->task(), error, proto::IZMRUpdateUserTask());
}

bool ZMRUserService::cancelHandle(const pf::Protocol* taskType, const pf::ObjectRef& task)
{
    PF_ASSERT_MAIN_THREAD();
    if (taskType == proto::IZMRUpdateUserTask()) {
        auto snapshot = m_uploads;
        for (const auto& portrait : snapshot) {
            if (portrait->task() != task)
                continue;
            std::erase(m_uploads, portrait);
            if (auto context = this->context())
                context->cancelHandle(proto::IZMRImageUploadTask(), portrait);
        }
    }
    return KRUplinkService::cancelHandle(taskType, task);
}

bool ZMRUserService::cancelHandleForSource(const pf::Object* source)
{
    PF_ASSERT_MAIN_THREAD();
    if (!source)
        return false;
    auto snapshot = m_uploads;
    for (const auto& portrait : snapshot) {
        if (portrait->sourceIdentity() != source)
            continue;
        std::erase(m_uploads, portrait);
        if (auto context = this->context())
            context->cancelHandle(proto::IZMRImageUploadTask(), portrait);
    }
    // Other services hold tasks of the same source.
    return false;
}

void ZMRUserService::answer(const IKRAPIResponseTask& response)
{
    auto self = shared_from_this();
    ZMRAnswer answer = ZMRReadAnswer(response, domain);
    if (answer.error) {
        krUplinkTaskDidFailWithError(response.task(), *answer.error, response.taskType());
        return;
    }
    pf::Value results(answer.results);
    pf::Value user = ZMRPresent(results, "user-results");
    // A profile answered for a previous user is not the signed-in one's.
    if (user.isDictionary() && ZMRAnsweredForSignedInUser(*this, response)) {
        if (auto context = std::dynamic_pointer_cast<ZMRContext>(this->context())) {
            context->setNick(ZMRPresent(user, "nick").stringValue());
            context->setUserInfo(user);
        }
    }
    krUplinkTaskDidSuccessResults(response.task(), results, response.taskType());
}
