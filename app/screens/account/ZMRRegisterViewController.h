#pragma once

// The sign-up screen: a login name, a password and a nickname, checked here
// (first broken rule only, each shown in an alert with the single button
// "确定"), then sent as one ZMRRegisterTask, after withdrawing a ZZ or
// Voxly sign-in not yet answered. The authentication service
// stores the new user's sign-in before the success arrives; the screen then
// opens "<alias>/recommend-follow" below itself.
//
// While the task is on its way the status view shows "loading" and takes
// no touches, and going back does nothing; either answer gives the form
// back. A tap outside the fields
// closes the keyboard; the return key walks login name, password,
// nickname, then closes it.
//
// A sign-up whose answer was lost may have created the account. When a
// later sign-up with that same login name is refused because the name
// exists (264), the screen signs in with the name and password just typed
// (ZMRLoginTask): if that succeeds it goes on as after a sign-up, and only
// if the server refuses it with an error code is the name's refusal shown.
// A sign-in that got no answer shows its own failure and leaves the name
// as possibly made, so the next 注册 tries the sign-in again. That way the
// person who made the account is not pushed towards a second one.
//
// Main queue only.

#include "app/screens/shared/ZMRViewController.h"
#include "framework/core/IKRTask.h"
#include "platform/controls/TextField.h"

#include <optional>
#include <string>

class KRStatusView;

class ZMRRegisterViewController : public ZMRViewController,
                                  public IKRUplinkTaskDelegate,
                                  public pf::TextFieldDelegate {
public:
    struct Fields {
        std::string account;
        std::string password;
        std::string nick;
    };
    // The fields as they are checked and sent: login name and nickname
    // trimmed of blanks and line breaks at both ends, the password as typed.
    static Fields sentFields(const Fields& typed);
    // The message of the first rule `sent` breaks: an empty login name, a
    // password under 6 characters, a nickname whose text length is not 4 to
    // 24. Nothing when all pass.
    static std::optional<std::string> refusal(const Fields& sent);

    const std::shared_ptr<pf::TextField>& accountField() const { return m_accountField; }
    void setAccountField(std::shared_ptr<pf::TextField> field) { m_accountField = std::move(field); }
    const std::shared_ptr<pf::TextField>& passwordField() const { return m_passwordField; }
    void setPasswordField(std::shared_ptr<pf::TextField> field) { m_passwordField = std::move(field); }
    const std::shared_ptr<pf::TextField>& nickField() const { return m_nickField; }
    void setNickField(std::shared_ptr<pf::TextField> field) { m_nickField = std::move(field); }
    const std::shared_ptr<KRStatusView>& statusView() const { return m_statusView; }
    void setStatusView(std::shared_ptr<KRStatusView> view) { m_statusView = std::move(view); }

    void viewDidLoad() override;
    bool isSending() const override;
    void doCancelInputAction(const pf::ObjectRef& sender);
    void doCommitAction(const pf::ObjectRef& sender);

    bool textFieldShouldReturn(pf::TextField& field) override;
    // The sign-up's answers, and those of the sign-in that may follow it.
    void krUploadTaskDidSuccessResults(const pf::ObjectRef& task, const pf::Value& results,
                                       const pf::Protocol* taskType) override;
    void krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error,
                                      const pf::Protocol* taskType) override;

private:
    // Signs in as the account a lost sign-up may have made; false when
    // nothing was sent.
    bool signInAfterLostSignUp(const pf::ObjectRef& refusedTask);

    // The login name of the last sign-up whose result is unknown.
    std::optional<std::string> m_unknownAccount;

    std::shared_ptr<pf::TextField> m_accountField;
    std::shared_ptr<pf::TextField> m_passwordField;
    std::shared_ptr<pf::TextField> m_nickField;
    std::shared_ptr<KRStatusView> m_statusView;
};
