// Keyboard focus and key events.

#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace pf {

bool View::becomeFirstResponder()
{
    if (isFirstResponder())
        return true;
    if (!canBecomeFirstResponder())
        return false;
    WindowRef w = window();
    ViewRef me = self();
    if (!w || !me)
        return false;
    if (auto current = w->firstResponder(); current && !current->resignFirstResponder())
        return false;
    w->m_firstResponder = me;
    didBecomeFirstResponder();
    return true;
}

bool View::resignFirstResponder()
{
    WindowRef w = window();
    if (!w || w->firstResponder().get() != this) {
        // A view that left its window without the window knowing is done too.
        return true;
    }
    w->m_firstResponder.reset();
    didResignFirstResponder();
    return true;
}

bool View::isFirstResponder() const
{
    WindowRef w = window();
    return w && w->firstResponder().get() == this;
}

void View::insertText(const std::string&) {}
void View::deleteBackward() {}
void View::setMarkedText(const std::string&) {}

}
