#pragma once

// The sign-in screen: account and password from its interface file's two
// fields, checked here (the account trimmed of every Unicode blank, the
// password sent as typed) and sent as a ZMRLoginTask, after withdrawing a
// ZZ or Voxly sign-in not yet answered (the account typed is the one the
// person chose last). While the task runs
// the status view shows "loading" and takes no touches, so the fields and
// the sign-in button inside it cannot start a second task. Success opens
// the signed-in start page ("url-auth"); a refusal shows the server's
// message in an alert and keeps the fields as typed. The ZZ and Voxly
// buttons only start the context's own sign-ins, and only while no
// password sign-in is on its way: meanwhile they are disabled (dimmed), so
// the account typed stays the one chosen last and no token sign-in waits
// behind it.
//
// Main queue only.

#include "app/screens/shared/ZMRViewController.h"
#include "framework/core/IKRTask.h"
#include "platform/controls/TextField.h"

class KRStatusView;
namespace pf {
class Button;
}

class ZMRLoginViewController : public ZMRViewController,
                               public pf::TextFieldDelegate,
                               public IKRUplinkTaskDelegate {
public:
    const std::shared_ptr<pf::TextField>& accountField() const { return m_accountField; }
    void setAccountField(std::shared_ptr<pf::TextField> field) { m_accountField = std::move(field); }
    const std::shared_ptr<pf::TextField>& passwordField() const { return m_passwordField; }
    void setPasswordField(std::shared_ptr<pf::TextField> field) { m_passwordField = std::move(field); }
    const std::shared_ptr<KRStatusView>& statusView() const { return m_statusView; }
    void setStatusView(std::shared_ptr<KRStatusView> view) { m_statusView = std::move(view); }
    const std::shared_ptr<pf::Button>& zzButton() const { return m_zzButton; }
    void setZzButton(std::shared_ptr<pf::Button> button) { m_zzButton = std::move(button); }
    const std::shared_ptr<pf::Button>& voxlyButton() const { return m_voxlyButton; }
    void setVoxlyButton(std::shared_ptr<pf::Button> button) { m_voxlyButton = std::move(button); }

    // Button actions; the sender is not read.
    void loginAction(const pf::ObjectRef& sender);
    void voxlyLoginAction(const pf::ObjectRef& sender);
    void zzLoginAction(const pf::ObjectRef& sender);

    // Return in the account field moves to the password field; in the
    // password field it only ends editing.
    bool textFieldShouldReturn(pf::TextField& field) override;

    // Only IZMRLoginTask answers act; others are ignored.
    void krUploadTaskDidSuccessResults(const pf::ObjectRef& task, const pf::Value& results,
                                       const pf::Protocol* taskType) override;
    void krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error,
                                      const pf::Protocol* taskType) override;

private:
    // The spinner, and the fields and every sign-in button held still.
    void setSigningIn(bool signingIn);
    bool isSigningIn() const;

    std::shared_ptr<pf::TextField> m_accountField;
    std::shared_ptr<pf::TextField> m_passwordField;
    std::shared_ptr<KRStatusView> m_statusView;
    std::shared_ptr<pf::Button> m_zzButton;
    std::shared_ptr<pf::Button> m_voxlyButton;
};
