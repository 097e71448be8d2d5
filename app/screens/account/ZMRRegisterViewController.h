#pragma once

// The sign-up screen: a login name, a password and a nickname, checked here
// (first broken rule only, each shown in an alert with the single button
// "确定"), then sent as one ZMRRegisterTask. The authentication service
// stores the new user's sign-in before the success arrives; the screen then
// opens "<alias>/recommend-follow" below itself.
//
// While the task is on its way the status view shows "loading" and takes
// no touches; either answer gives the form back. A tap outside the fields
// closes the keyboard; the return key walks login name, password,
// nickname, then closes it.
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
    void doCancelInputAction(const pf::ObjectRef& sender);
    void doCommitAction(const pf::ObjectRef& sender);

    bool textFieldShouldReturn(pf::TextField& field) override;
    // Both answer whatever the task type: the screen sends only one kind.
    void krUploadTaskDidSuccessResults(const pf::ObjectRef& task, const pf::Value& results,
                                       const pf::Protocol* taskType) override;
    void krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error,
                                      const pf::Protocol* taskType) override;

private:
    void setSending(bool sending);

    std::shared_ptr<pf::TextField> m_accountField;
    std::shared_ptr<pf::TextField> m_passwordField;
    std::shared_ptr<pf::TextField> m_nickField;
    std::shared_ptr<KRStatusView> m_statusView;
};
