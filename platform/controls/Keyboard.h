#pragma once

// The on-screen keyboard: a 216-point panel (or a text control's own input
// view, at its height) that slides up from the bottom of the screen in
// 0.25 s when a text control starts editing and down when editing ends.
// Around each slide it posts, in this order, the change-frame and then the
// show or hide notification of the "Will" kind before the slide starts and
// of the "Did" kind after it ends; each carries the keyboard's end frame in
// screen coordinates under KeyboardFrameEndKey (a pf::Rect in a Boxed value)
// and the slide's duration under KeyboardAnimationDurationKey. The panel's
// keys type into the key window's first responder (KeyboardPanel).
//
// Main thread only. One keyboard for the screen.

#include "platform/graphics/Geometry.h"
#include "platform/ui/Forward.h"

#include <memory>
#include <string>

namespace pf {

inline const std::string KeyboardWillShowNotification = "pf::KeyboardWillShowNotification";
inline const std::string KeyboardDidShowNotification = "pf::KeyboardDidShowNotification";
inline const std::string KeyboardWillHideNotification = "pf::KeyboardWillHideNotification";
inline const std::string KeyboardDidHideNotification = "pf::KeyboardDidHideNotification";
inline const std::string KeyboardWillChangeFrameNotification = "pf::KeyboardWillChangeFrameNotification";
inline const std::string KeyboardDidChangeFrameNotification = "pf::KeyboardDidChangeFrameNotification";
inline const std::string KeyboardFrameEndKey = "pf::KeyboardFrameEndKey";
inline const std::string KeyboardAnimationDurationKey = "pf::KeyboardAnimationDurationKey";

class Keyboard {
public:
    static constexpr double PanelHeight = 216;
    static constexpr double SlideDuration = 0.25;

    static Keyboard& shared();

    // Shows the panel, or `inputView` in its place; while shown, a new input
    // view replaces the old one in place (a frame change without a slide
    // when the height is the same).
    void show(const ViewRef& inputView = nullptr);
    void hide();
    bool isVisible() const { return m_visible; }
    // Where the keyboard is (or is going), in screen coordinates; empty when hidden.
    Rect frame() const;
    // The view on screen: the panel or the input view.
    ViewRef currentView() const;

    Keyboard(const Keyboard&) = delete;
    Keyboard& operator=(const Keyboard&) = delete;

private:
    Keyboard();
    void post(const std::string& name, const Rect& endFrame);
    void slide(const Rect& from, const Rect& to, bool showing);

    WindowRef m_window;
    ViewRef m_panel;
    ViewRef m_inputView;
    bool m_visible = false;
    unsigned m_generation = 0; // a newer slide makes an older one's end stale
};

}
