#pragma once

// What the nickname and the profile screens share when they save the user:
// one ZMRUpdateUserTask on its way at a time, while the status view shows
// "loading" and takes no touches. A refusal gives the form back and shows
// the server's message; a success gives the form back and calls
// userUpdateDidSucceed. Answers of other task types are not theirs.
//
// Main queue only.

#include "app/screens/shared/ZMRViewController.h"
#include "framework/core/IKRTask.h"

class KRStatusView;
class ZMRUpdateUserTask;

class ZMRUserUpdateScreen : public ZMRViewController, public IKRUplinkTaskDelegate {
public:
    const std::shared_ptr<KRStatusView>& statusView() const { return m_statusView; }
    void setStatusView(std::shared_ptr<KRStatusView> view) { m_statusView = std::move(view); }

    void krUploadTaskDidSuccessResults(const pf::ObjectRef& task, const pf::Value& results,
                                       const pf::Protocol* taskType) override;
    void krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error,
                                      const pf::Protocol* taskType) override;

protected:
    // Sends the task as the form's, showing the sending state until its answer.
    void sendUpdate(const std::shared_ptr<ZMRUpdateUserTask>& task);
    // After the sending state ended; may release the screen.
    virtual void userUpdateDidSucceed() = 0;

private:
    std::shared_ptr<KRStatusView> m_statusView;
};
