#pragma once

// Turns the on-screen keyboard's notifications into delegate calls that
// carry the keyboard's end frame in screen coordinates, so a screen or an
// editor can move its views out of the keyboard's way. It listens from
// construction to destruction; the frame-change pair only on systems of
// version 5.0 and later. A released controller is never called.
//
// Main queue only. The delegate is not retained.

#include "framework/core/KRController.h"
#include "platform/graphics/Geometry.h"

#include <cstdint>
#include <vector>

namespace pf {
struct Notification;
}

class KRKeyboardController;

// Every call is optional: the defaults do nothing.
class KRKeyboardControllerDelegate {
public:
    virtual ~KRKeyboardControllerDelegate() = default;
    virtual void krKeyboardControllerWillShowFrame(KRKeyboardController&, const pf::Rect&) {}
    virtual void krKeyboardControllerDidShowFrame(KRKeyboardController&, const pf::Rect&) {}
    virtual void krKeyboardControllerWillHideFrame(KRKeyboardController&, const pf::Rect&) {}
    virtual void krKeyboardControllerDidHideFrame(KRKeyboardController&, const pf::Rect&) {}
    virtual void krKeyboardControllerWillChangedFrame(KRKeyboardController&, const pf::Rect&) {}
    virtual void krKeyboardControllerDidChangedFrame(KRKeyboardController&, const pf::Rect&) {}
};

class KRKeyboardController : public KRController {
public:
    KRKeyboardController();
    ~KRKeyboardController() override;

    // The keyboard's end frame a notification carries; a zero rectangle
    // when it carries none or something that is not a rectangle.
    static pf::Rect rectForNotification(const pf::Notification& notification);

    // A KRKeyboardControllerDelegate; other objects are never called.
    pf::ObjectRef delegate() const override { return KRController::delegate(); }
    void setDelegate(const pf::ObjectRef& delegate) override { KRController::setDelegate(delegate); }

private:
    using Callback = void (KRKeyboardControllerDelegate::*)(KRKeyboardController&, const pf::Rect&);
    void listen(const std::string& name, Callback callback);

    // Owns the registrations: they end with the controller.
    std::shared_ptr<int> m_observerLife = std::make_shared<int>(0);
    std::vector<std::uint64_t> m_tokens;
};
