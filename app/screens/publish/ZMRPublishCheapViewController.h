#pragma once

// The screen for publishing a bargain ("publish-cheap"): the publish form
// without a usual price. When it loads and the stored position is stale it
// restarts position tracking, so that a fresh position is at hand when the
// form publishes (it does not wait for one). Outcomes as the feed post's
// screen: "发布成功" for 1.2 s and back, or the error's message.
//
// Main queue only.

#include "app/screens/publish/ZMRPublishController.h"
#include "app/screens/shared/ZMRViewController.h"

class ZMRPublishCheapViewController : public ZMRViewController, public ZMRPublishControllerDelegate {
public:
    void viewDidLoad() override;
    void publishControllerDidFailWithError(ZMRPublishController& form, const pf::Error& error) override;
    void publishControllerDidSuccessResults(ZMRPublishController& form, const pf::Value& results) override;
};
