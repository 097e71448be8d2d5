#pragma once

// A window laid over the status bar that shows something in its place and
// fades in and out over 0.3 s. While shown it sits in a class-wide list,
// which keeps it alive; a finished close keeps it to the end of the current
// run-loop turn.
//
// Main thread only; the delayed close follows the animation clock.

#include "platform/ui/Window.h"

#include <memory>
#include <string>
#include <vector>

class KRAppStatusView : public pf::Window {
public:
    // Over the application's status-bar frame, at status-bar level, black.
    static std::shared_ptr<KRAppStatusView> create();
    KRAppStatusView();

    void show(bool animated);
    void close(bool animated);
    // Shows, then closes animated after `seconds` (plus the fade-in when animated).
    void show(bool animated, double seconds);

    // The status views now shown, in the order shown.
    static const std::vector<std::shared_ptr<KRAppStatusView>>& shownViews();

private:
    std::shared_ptr<KRAppStatusView> self();
};

// A status view showing a message: white 12-point text, centred.
class KRAppStatusMessageView : public KRAppStatusView {
public:
    static std::shared_ptr<KRAppStatusMessageView> create(const std::string& title);
};
