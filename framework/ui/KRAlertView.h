#pragma once

// A toast: a rounded, dark, translucent box with one centred white text,
// placed on the main screen by edge insets (left before right, top before
// bottom, centred where both are zero) and shown in an alert-level window of
// its own that takes no touches, so taps reach the windows below.
//
// Main thread only. showDuration() keeps the toast alive until its delayed
// close has run; the delay follows the animation clock.

#include "platform/graphics/Font.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/View.h"

#include <memory>
#include <string>

class KRAlertView : public pf::View {
public:
    // The box is the text measured in the 14-point system font within the
    // screen width less 20, plus 20 wide and 10 high.
    static std::shared_ptr<KRAlertView> create(const std::string& title, const pf::EdgeInsets& insets = {});
    static std::shared_ptr<KRAlertView> create(const std::string& title, const pf::Font& font, pf::Size size,
                                               const pf::EdgeInsets& insets);
    explicit KRAlertView(const pf::Rect& frame = {}) : pf::View(frame) {}

    // The first show makes the window; later ones unhide it.
    void show();
    void showDuration(double seconds);
    // Hides and forgets the window; a later show builds a new one.
    void close();

    // The window of the current show, or null.
    const pf::WindowRef& alertWindow() const { return m_alertWindow; }

private:
    pf::WindowRef m_alertWindow;
};
