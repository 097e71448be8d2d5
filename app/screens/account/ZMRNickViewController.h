#pragma once

// The nickname screen: where a signed-in user without a usable nickname
// (the shell's "url-nick") chooses one. The field starts with the stored
// user's "title" unless that is a placeholder (it begins with "#": the
// server's stand-in of "#" and the account). Submitting checks the name
// (ZMRNickRule.h; a refusal is an alert with the single button "确定") and
// sends it alone in a ZMRUpdateUserTask; while it is on its way the status
// view shows "loading" and takes no touches. Success opens the signed-in
// start page; a refusal shows the server's message and keeps the text.
// The return key submits on the next turn of the main loop; "sign out"
// signs out through the context.
//
// Main queue only.

#include "app/screens/account/ZMRUserUpdateScreen.h"
#include "platform/controls/TextField.h"

class ZMRNickViewController : public ZMRUserUpdateScreen, public pf::TextFieldDelegate {
public:
    const std::shared_ptr<pf::TextField>& nickField() const { return m_nickField; }
    void setNickField(std::shared_ptr<pf::TextField> field) { m_nickField = std::move(field); }

    void viewDidLoad() override;
    void doSubmitAction(const pf::ObjectRef& sender);
    void doLogoutAction(const pf::ObjectRef& sender);

    bool textFieldShouldReturn(pf::TextField& field) override;

protected:
    void userUpdateDidSucceed() override;

private:
    std::shared_ptr<pf::TextField> m_nickField;
};
