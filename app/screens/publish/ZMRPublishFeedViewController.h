#pragma once

// The screen for publishing a feed post ("publish-feed"). The form is its
// ZMRPublishController companion, whose delegate it is: a success shows
// "发布成功" for 1.2 s and goes back (the URL "." resolved against the
// screen's own, animated); a failure shows the error's message and leaves
// the form as it is.
//
// Main queue only.

#include "app/screens/publish/ZMRPublishController.h"
#include "app/screens/shared/ZMRViewController.h"

class ZMRPublishFeedViewController : public ZMRViewController, public ZMRPublishControllerDelegate {
public:
    void publishControllerDidFailWithError(ZMRPublishController& form, const pf::Error& error) override;
    void publishControllerDidSuccessResults(ZMRPublishController& form, const pf::Value& results) override;
};
