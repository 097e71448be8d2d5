#pragma once

// The screen for publishing a bargain ("publish-cheap"): the publish form
// without a usual price. When it loads and the stored position is stale it
// restarts position tracking, so that a fresh position is at hand when the
// form publishes (it does not wait for one). Outcomes as the feed post's
// screen: "发布成功" for 1.2 s and back, or the error's message.
//
// Main queue only.

#include "app/screens/publish/ZMRPublishFeedViewController.h"

// The outcomes are the feed post screen's own.
class ZMRPublishCheapViewController : public ZMRPublishFeedViewController {
public:
    void viewDidLoad() override;
};
