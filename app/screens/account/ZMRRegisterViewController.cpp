#include "app/screens/account/ZMRRegisterViewController.h"

#include "app/screens/shared/ZMRSending.h"
#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRAuthTasks.h"
#include "app/services/ZMRContext.h"
#include "app/services/ZMRMessage.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/IKRUIContext.h"
#include "framework/ui/KRStatusView.h"
#include "framework/util/TextLength.h"
#include "platform/controls/AlertView.h"
#include "platform/controls/Control.h"
#include "platform/foundation/Text.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/Touch.h"

namespace {

// The server's "this login name exists".
constexpr long long kAccountExists = 264;

}

ZMRRegisterViewController::Fields ZMRRegisterViewController::sentFields(const Fields& typed)
{
    return {pf::trimWhitespaceAndNewlines(typed.account), typed.password, pf::trimWhitespaceAndNewlines(typed.nick)};
}

std::optional<std::string> ZMRRegisterViewController::refusal(const Fields& sent)
{
    if (sent.account.empty())
        return std::string("请输入登录名");
    if (pf::utf16Length(sent.password) < 6)
        return std::string("密码最少6位");
    int nick = textLength(sent.nick);
    if (nick < 4 || nick > 24)
        return std::string("昵称应在4~24个字符间");
    return std::nullopt;
}

void ZMRRegisterViewController::viewDidLoad()
{
    ZMRViewController::viewDidLoad();
    std::weak_ptr<pf::Object> weakSelf = weak_from_this();
    auto tap = std::make_shared<pf::TapGestureRecognizer>([weakSelf](pf::GestureRecognizer&) {
        if (auto self = std::dynamic_pointer_cast<ZMRRegisterViewController>(weakSelf.lock()))
            self->doCancelInputAction(nullptr);
    });
    // Touches on the fields and the button stay theirs: only a tap beside
    // them closes the keyboard.
    tap->setShouldReceiveTouch([](pf::GestureRecognizer&, const pf::Touch& touch) {
        return !std::dynamic_pointer_cast<pf::Control>(touch.view());
    });
    view()->addGestureRecognizer(tap);
}

bool ZMRRegisterViewController::isSending() const { return ZMRIsSending(m_statusView.get()); }

void ZMRRegisterViewController::doCancelInputAction(const pf::ObjectRef&)
{
    for (const auto& field : {m_passwordField, m_nickField, m_accountField})
        if (field)
            field->resignFirstResponder();
}

bool ZMRRegisterViewController::textFieldShouldReturn(pf::TextField& field)
{
    if (&field == m_accountField.get() && m_passwordField)
        m_passwordField->becomeFirstResponder();
    else if (&field == m_passwordField.get() && m_nickField)
        m_nickField->becomeFirstResponder();
    else if (&field == m_nickField.get())
        field.resignFirstResponder();
    return true;
}

void ZMRRegisterViewController::doCommitAction(const pf::ObjectRef&)
{
    auto text = [](const std::shared_ptr<pf::TextField>& field) { return field ? field->text() : std::string(); };
    Fields sent = sentFields({text(m_accountField), text(m_passwordField), text(m_nickField)});
    if (auto message = refusal(sent)) {
        showAlert(*message);
        return;
    }
    // The account made now is the one the person chose last.
    if (auto context = std::dynamic_pointer_cast<ZMRContext>(this->context()))
        context->withdrawTokenSignIn();
    auto task = std::make_shared<ZMRRegisterTask>();
    task->setAccount(sent.account);
    task->setPassword(sent.password);
    task->setNick(sent.nick);
    ZMRSetSending(m_statusView.get(), true);
    if (!sendFormTask(proto::IZMRRegisterTask(), task))
        ZMRSetSending(m_statusView.get(), false);
}

void ZMRRegisterViewController::krUploadTaskDidSuccessResults(const pf::ObjectRef&, const pf::Value&, const pf::Protocol*)
{
    auto keep = weak_from_this().lock();
    m_unknownAccount.reset();
    ZMRSetSending(m_statusView.get(), false);
    openRelativeUrl(alias() + "/recommend-follow", pf::Value(), true);
}

void ZMRRegisterViewController::krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error,
                                                             const pf::Protocol* taskType)
{
    auto keep = weak_from_this().lock();
    // Another account was chosen or made meanwhile: the person is with it now.
    if (error.code == ZMRSupersededCode) {
        ZMRSetSending(m_statusView.get(), false);
        return;
    }
    if (taskType == proto::IZMRLoginTask()) {
        ZMRSetSending(m_statusView.get(), false);
        // Only the server's refusal shows the account is not the one the
        // lost sign-up made; without it the account may still be theirs.
        if (error.code != 0 && !ZMRIsUnanswered(error.code)) {
            showAlert(ZMRMessage(pf::Error{error.domain, kAccountExists, ""}));
            return;
        }
        if (auto login = std::dynamic_pointer_cast<IZMRLoginTask>(task))
            m_unknownAccount = login->account();
        showAlert(ZMRMessage(error));
        return;
    }
    auto signUp = std::dynamic_pointer_cast<IZMRRegisterTask>(task);
    if (error.code == ZMRResultUnknownCode && signUp)
        m_unknownAccount = signUp->account();
    else if (error.code == kAccountExists && signInAfterLostSignUp(task))
        return;
    ZMRSetSending(m_statusView.get(), false);
    showAlert(ZMRMessage(error));
}

bool ZMRRegisterViewController::signInAfterLostSignUp(const pf::ObjectRef& refusedTask)
{
    auto signUp = std::dynamic_pointer_cast<IZMRRegisterTask>(refusedTask);
    if (!signUp || !m_unknownAccount || signUp->account() != m_unknownAccount)
        return false;
    m_unknownAccount.reset();
    auto login = std::make_shared<ZMRLoginTask>();
    login->setAccount(signUp->account());
    login->setPassword(signUp->password());
    return sendFormTask(proto::IZMRLoginTask(), login);
}
