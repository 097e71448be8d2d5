#pragma once

// The side-menu container: a center screen fills the drawer; a left and a
// right screen lie beneath it. A horizontal one-finger drag that starts on
// the center slides it aside, revealing the side it moves away from (each
// side's view fading in from alpha 0.8 to 1 as the center moves), clamped
// so that a 56-point strip of the center stays on screen. Releasing snaps
// by the direction of the last movement only: towards the side revealed
// opens it, the other way closes it. With a side open, a tap on the center
// strip closes it. Snaps last 0.3 s; one asked for during another is
// ignored. Every snap to the center posts ToCenterNotification at once
// with {"sender": the drawer}.
//
// The screen the user sees (topController) may forbid revealing a side with
// a true "fold.disabledLeft" or "fold.disabledRight" in its configuration.
// Config "leftURL" and "rightURL" make the sides (a text that is not a URL
// leaves that side empty, with a log line). URLs of the scheme ("fold" by
// default) whose first path component is "center", "left" or "right" focus
// that child and load the URL into it from "/"; other components change
// nothing. A change of the drawer's size re-applies the open side.
//
// A replaced child loses its parent link; a new center takes the old one's
// place when that was on screen, a new side shows from the next drag or snap.
//
// Main queue only.

#include "framework/ui/KRFoldView.h"
#include "framework/ui/KRViewController.h"

class KRFoldViewController : public KRViewController, public KRFoldViewDelegate {
public:
    static const char* const ToCenterNotification;
    static constexpr double StripWidth = 56;

    KRFoldViewController() = default;
    ~KRFoldViewController() override;

    bool isAnimating() const { return m_animating; }
    bool isDragging() const { return m_dragging; }
    const pf::ViewControllerRef& leftViewController() const { return m_left; }
    void setLeftViewController(const pf::ViewControllerRef& controller) { replace(m_left, controller); }
    const pf::ViewControllerRef& centerViewController() const { return m_center; }
    // A new center takes the old one's place on screen.
    void setCenterViewController(const pf::ViewControllerRef& controller);
    const pf::ViewControllerRef& rightViewController() const { return m_right; }
    void setRightViewController(const pf::ViewControllerRef& controller) { replace(m_right, controller); }

    void focusLeft(bool animated);
    void focusRight(bool animated);
    void focusCenter(bool animated);

    void setConfig(pf::DictionaryRef config) override;
    bool openUrl(const pf::URL& url, bool animated) override;
    std::string loadUrl(const pf::URL& url, const std::string& basePath, bool animated) override;
    std::shared_ptr<IKRUIViewController> topController() override;

    void loadView() override;
    void viewDidLoad() override;
    void viewDidUnload() override;
    void viewDidAppear(bool animated) override;
    void viewDidLayoutSubviews() override;

    void foldViewDidBegin(KRFoldView& view) override;
    void foldViewDidMove(KRFoldView& view, pf::Point from, pf::Point to) override;
    void foldViewDidEnd(KRFoldView& view) override;

protected:
    std::string defaultScheme() const override { return "fold"; }

private:
    void replace(pf::ViewControllerRef& slot, const pf::ViewControllerRef& controller);
    pf::ViewControllerRef sideFromConfig(const char* key);
    bool sideDisabled(const char* keyPath);
    bool touchInCenter(const pf::Touch& touch) const;
    void focusSide(bool left, bool animated);
    void tapAction();
    void attachTap(bool attach);
    static bool inTree(const pf::ViewControllerRef& c);
    static void takeOff(const pf::ViewControllerRef& c);

    pf::ViewControllerRef m_left, m_center, m_right;
    bool m_animating = false;
    bool m_dragging = false;
    pf::Rect m_beginRect;
    std::shared_ptr<pf::GestureRecognizer> m_tap;
    pf::Size m_layoutSize;
};
