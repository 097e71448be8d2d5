#include "app/screens/account/ZMRUserUpdateScreen.h"

#include "app/screens/shared/ZMRSending.h"
#include "app/services/ZMRMessage.h"
#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/ui/KRStatusView.h"

void ZMRUserUpdateScreen::sendUpdate(const std::shared_ptr<ZMRUpdateUserTask>& task)
{
    ZMRSetSending(m_statusView.get(), true);
    if (!sendFormTask(proto::IZMRUpdateUserTask(), task))
        ZMRSetSending(m_statusView.get(), false);
}

void ZMRUserUpdateScreen::krUploadTaskDidSuccessResults(const pf::ObjectRef&, const pf::Value&,
                                                        const pf::Protocol* taskType)
{
    if (taskType != proto::IZMRUpdateUserTask())
        return;
    auto keep = weak_from_this().lock();
    ZMRSetSending(m_statusView.get(), false);
    userUpdateDidSucceed();
}

void ZMRUserUpdateScreen::krUploadTaskDidFailWithError(const pf::ObjectRef&, const pf::Error& error,
                                                       const pf::Protocol* taskType)
{
    if (taskType != proto::IZMRUpdateUserTask())
        return;
    ZMRSetSending(m_statusView.get(), false);
    showAlert(ZMRMessage(error));
}

