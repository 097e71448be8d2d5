#pragma once

// The publish fly-out menu: a full-area overlay over a main screen whose
// items (one per kind of publishing) fly from their closed to their open
// places while the overlay fades in; the action control that opens it turns
// by 45 degrees. Tapping the control again, or the overlay anywhere, closes
// it the same way backwards. Items and control come from the interface file;
// the control's touch-up is wired to doChangeStateAction.
//
// States: hidden, opening, open, closing. A show or hide asked while the
// menu flies is dropped (a second tap within 0.3 s does nothing), except a
// hide without animation: a screen that goes away must find its menu closed
// when it comes back, so that one always applies and ends the flight.
//
// Main queue only.

#include "platform/foundation/Collections.h"
#include "platform/ui/View.h"

#include <cstdint>

namespace pf {
class Control;
}

class ZMRPublishView : public pf::View {
public:
    explicit ZMRPublishView(const pf::Rect& frame = {}) : pf::View(frame) {}

    bool isAnimating() const { return m_animating; }
    // ZMRPublishItemViews; other objects are skipped.
    const pf::ArrayRef& itemViews() const { return m_itemViews; }
    void setItemViews(pf::ArrayRef views) { m_itemViews = std::move(views); }
    const std::shared_ptr<pf::Control>& actionControl() const { return m_actionControl; }
    void setActionControl(std::shared_ptr<pf::Control> control) { m_actionControl = std::move(control); }

    using pf::View::setHidden;
    // Opens (hidden false) or closes the menu, over 0.3 s when animated.
    void setHidden(bool hidden, bool animated);
    // Toggles, animated.
    void doChangeStateAction(const pf::ObjectRef& sender);

    // A touch on the overlay closes the menu, animated.
    void touchesBegan(const pf::TouchSet& touches) override;

private:
    template <class F> void eachItem(F&& f) const;
    void endFlight();

    pf::ArrayRef m_itemViews;
    std::shared_ptr<pf::Control> m_actionControl;
    bool m_animating = false;
    // Counts flights, so that the completion of an ended one does nothing.
    std::uint64_t m_flight = 0;
};
