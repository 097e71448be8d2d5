#include "platform/ui/Screen.h"

#include "platform/foundation/Device.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <cassert>

namespace pf {

Screen& Screen::main()
{
    // Never destroyed: windows may still be shown when the process exits.
    static Screen* screen = new Screen();
    return *screen;
}

Screen::Screen() { updateFromDeviceProfile(); }

void Screen::updateFromDeviceProfile()
{
    const DeviceProfile& profile = DeviceProfile::current();
    m_bounds = {0, 0, profile.screenWidth, profile.screenHeight};
    m_scale = profile.scale > 0 ? profile.scale : 1;
    addDirtyRect(m_bounds);
}

void Screen::sortWindows()
{
    std::stable_sort(m_windows.begin(), m_windows.end(),
                     [](const WindowRef& a, const WindowRef& b) { return a->windowLevel() < b->windowLevel(); });
}

void Screen::addWindow(const WindowRef& window)
{
    if (std::find(m_windows.begin(), m_windows.end(), window) != m_windows.end())
        return;
    m_windows.push_back(window);
    sortWindows();
}

void Screen::removeWindow(Window& window)
{
    auto it = std::find_if(m_windows.begin(), m_windows.end(), [&](const WindowRef& w) { return w.get() == &window; });
    if (it == m_windows.end())
        return;
    WindowRef keep = *it;
    m_windows.erase(it);
    if (keyWindow().get() == &window) {
        // The key passes to the frontmost remaining window of the normal level.
        m_keyWindow.reset();
        for (auto w = m_windows.rbegin(); w != m_windows.rend(); ++w) {
            if ((*w)->windowLevel() <= WindowLevel::Normal) {
                m_keyWindow = *w;
                break;
            }
        }
    }
}

void Screen::windowDidChange(Window& window)
{
    sortWindows();
    addDirtyRect(window.frame());
}

void Screen::setKeyWindow(const WindowRef& window) { m_keyWindow = window; }

void Screen::removeAllWindows()
{
    auto windows = m_windows;
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        (*it)->setHidden(true);
    m_windows.clear();
    m_keyWindow.reset();
    m_touchWindows.clear();
    m_input.clear();
    m_dirty = m_bounds;
}

void Screen::handleTouch(int identifier, TouchPhase phase, Point location, double timestamp)
{
    PF_ASSERT_MAIN_THREAD();
    WindowRef target;
    if (phase == TouchPhase::Began) {
        auto windows = m_windows;
        for (auto it = windows.rbegin(); it != windows.rend() && !target; ++it) {
            Point inWindow = (*it)->transformToSuperview().inverted().apply(location);
            if ((*it)->hitTest(inWindow))
                target = *it;
        }
        if (!target)
            return;
        m_touchWindows[identifier] = target;
    } else {
        auto it = m_touchWindows.find(identifier);
        if (it == m_touchWindows.end())
            return;
        target = it->second.lock();
        if (phase == TouchPhase::Ended || phase == TouchPhase::Cancelled)
            m_touchWindows.erase(it);
        if (!target)
            return;
    }
    Point inWindow = target->transformToSuperview().inverted().apply(location) - target->bounds().origin;
    target->handleTouch(identifier, phase, inWindow, timestamp);
}

void Screen::handleScrollWheel(Point location, Point delta)
{
    PF_ASSERT_MAIN_THREAD();
    auto windows = m_windows;
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        Point inWindow = (*it)->transformToSuperview().inverted().apply(location);
        if (ViewRef view = (*it)->hitTest(inWindow)) {
            view->scrollWheel(delta);
            return;
        }
    }
}

void Screen::layoutIfNeeded()
{
    auto windows = m_windows;
    for (auto& w : windows)
        w->layoutIfNeeded();
}

void Screen::addDirtyRect(const Rect& rect)
{
    Rect r = rect.intersection(m_bounds);
    if (!r.isEmpty())
        m_dirty = m_dirty.united(r.integral());
}

}

namespace pf {

void Screen::postTouch(int identifier, TouchPhase phase, Point location, double timestamp)
{
    m_input.push_back({.kind = QueuedInput::Kind::Touch, .identifier = identifier, .phase = phase,
                       .location = location, .timestamp = timestamp});
}

void Screen::postScrollWheel(Point location, Point delta)
{
    m_input.push_back({.kind = QueuedInput::Kind::Wheel, .location = location, .delta = delta});
}

void Screen::postKeyEvent(KeyEvent event) { m_input.push_back({.kind = QueuedInput::Kind::Key, .key = std::move(event)}); }

void Screen::deliverInput()
{
    PF_ASSERT_MAIN_THREAD();
    // Taken whole, so that a nested call made by an event hands on only
    // what that event posted.
    while (!m_input.empty()) {
        for (const QueuedInput& input : std::exchange(m_input, {})) {
            switch (input.kind) {
            case QueuedInput::Kind::Touch:
                handleTouch(input.identifier, input.phase, input.location, input.timestamp);
                break;
            case QueuedInput::Kind::Wheel: handleScrollWheel(input.location, input.delta); break;
            case QueuedInput::Kind::Key: handleKeyEvent(input.key); break;
            }
        }
    }
}

void Screen::handleKeyEvent(const KeyEvent& event)
{
    if (auto window = keyWindow())
        window->deliverKeyEvent(event);
}

bool Screen::wantsTextInput() const
{
    auto window = keyWindow();
    auto responder = window ? window->firstResponder() : nullptr;
    return responder && responder->wantsTextInput();
}

}
