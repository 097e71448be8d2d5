#include "app/screens/account/ZMRLoginViewController.h"

#include "app/screens/shared/ZMRSending.h"
#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRAuthTasks.h"
#include "app/services/ZMRContext.h"
#include "app/services/ZMRMessage.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/IKRUIContext.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/AlertView.h"
#include "platform/controls/Button.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Text.h"

void ZMRLoginViewController::loginAction(const pf::ObjectRef&)
{
    std::string account = pf::trimWhitespaceAndNewlines(m_accountField ? m_accountField->text() : std::string());
    std::string password = m_passwordField ? m_passwordField->text() : std::string();
    if (account.empty()) {
        showAlert("请输入登录名");
        return;
    }
    if (password.empty()) {
        showAlert("请输入密码");
        return;
    }
    auto context = this->context();
    if (!context)
        return;
    setSigningIn(true);
    // The account typed now is the one the person chose last.
    if (auto app = std::dynamic_pointer_cast<ZMRContext>(context))
        app->withdrawTokenSignIn();
    auto self = std::dynamic_pointer_cast<ZMRLoginViewController>(weak_from_this().lock());
    auto task = std::make_shared<ZMRLoginTask>();
    task->setAccount(account);
    task->setPassword(password);
    task->setDelegate(self);
    task->setSource(self);
    context->handle(proto::IZMRLoginTask(), task, 0);
}

void ZMRLoginViewController::voxlyLoginAction(const pf::ObjectRef&)
{
    // The account on its way was chosen after any token this would bring.
    if (isSigningIn())
        return;
    if (auto context = std::dynamic_pointer_cast<ZMRContext>(this->context()))
        context->voxlyLogin();
}

void ZMRLoginViewController::zzLoginAction(const pf::ObjectRef&)
{
    if (isSigningIn())
        return;
    if (auto context = std::dynamic_pointer_cast<ZMRContext>(this->context()))
        context->zzLogin();
}

bool ZMRLoginViewController::textFieldShouldReturn(pf::TextField& field)
{
    if (m_accountField && &field == m_accountField.get() && m_passwordField)
        m_passwordField->becomeFirstResponder();
    else
        field.resignFirstResponder();
    return true;
}

void ZMRLoginViewController::setSigningIn(bool signingIn)
{
    ZMRSetSending(m_statusView.get(), signingIn);
    for (const auto& button : {m_zzButton, m_voxlyButton})
        if (button)
            button->setEnabled(!signingIn);
}

bool ZMRLoginViewController::isSigningIn() const
{
    return ZMRIsSending(m_statusView.get());
}

void ZMRLoginViewController::krUploadTaskDidSuccessResults(const pf::ObjectRef&, const pf::Value&,
                                                           const pf::Protocol* taskType)
{
    if (taskType != proto::IZMRLoginTask())
        return;
    auto keep = weak_from_this().lock(); // opening the start page takes this screen off the stack
    setSigningIn(false);
    if (auto context = std::dynamic_pointer_cast<ZMRContext>(this->context()))
        context->toRootViewController(true);
}

void ZMRLoginViewController::krUploadTaskDidFailWithError(const pf::ObjectRef&, const pf::Error& error,
                                                          const pf::Protocol* taskType)
{
    if (taskType != proto::IZMRLoginTask())
        return;
    setSigningIn(false);
    // Another account was chosen or made meanwhile: the person is with it now.
    if (error.code != ZMRSupersededCode)
        showAlert(ZMRMessage(error));
}
