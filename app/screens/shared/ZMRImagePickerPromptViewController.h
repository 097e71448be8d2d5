#pragma once

// A choice prompt shown in a pop window: the view fades in while the panel
// of buttons (`contentView`) slides to the bottom edge; a ZMRKeyButton's
// tap closes the pop window at once and then, on a later turn, hands its
// key (nil for a button without one) to whoever waits with the context's
// waitResultsData. A prompt that goes away without a key (closed any other
// way) clears the waiting callback, so it never answers a later prompt.
//
// Main queue only.

#include "app/screens/shared/ZMRViewController.h"

class ZMRImagePickerPromptViewController : public ZMRViewController {
public:
    const pf::ViewRef& contentView() const { return m_contentView; }
    void setContentView(pf::ViewRef view) { m_contentView = std::move(view); }

    // Button action of the key buttons.
    void doKeyAction(const pf::ObjectRef& sender);

    void viewWillAppear(bool animated) override;
    void viewDidDisappear(bool animated) override;

private:
    pf::ViewRef m_contentView;
    bool m_answered = false;
};
