#include "app/screens/account/ZMRUserUpdateScreen.h"

#include "app/services/ZMRMessage.h"
#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/ui/KRStatusView.h"

void ZMRUserUpdateScreen::sendUpdate(const std::shared_ptr<ZMRUpdateUserTask>& task)
{
    setSending(true);
    if (!sendFormTask(proto::IZMRUpdateUserTask(), task))
        setSending(false);
}

void ZMRUserUpdateScreen::krUploadTaskDidSuccessResults(const pf::ObjectRef&, const pf::Value&,
                                                        const pf::Protocol* taskType)
{
    if (taskType != proto::IZMRUpdateUserTask())
        return;
    auto keep = weak_from_this().lock();
    setSending(false);
    userUpdateDidSucceed();
}

void ZMRUserUpdateScreen::krUploadTaskDidFailWithError(const pf::ObjectRef&, const pf::Error& error,
                                                       const pf::Protocol* taskType)
{
    if (taskType != proto::IZMRUpdateUserTask())
        return;
    setSending(false);
    showAlert(ZMRMessage(error));
}

void ZMRUserUpdateScreen::setSending(bool sending)
{
    if (!m_statusView)
        return;
    m_statusView->setUserInteractionEnabled(!sending);
    m_statusView->setStatus(sending ? std::optional<std::string>("loading") : std::nullopt);
}
