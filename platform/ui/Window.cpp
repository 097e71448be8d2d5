#include "platform/ui/Window.h"

#include "platform/foundation/Text.h"
#include "platform/ui/Application.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/GestureRecognizer.h"
#include "platform/ui/Screen.h"

#include <algorithm>
#include <cmath>

namespace pf {

namespace {
// Taps closer than this in time and space count as one series (a double tap).
constexpr double kMultiTapInterval = 0.35;
constexpr double kMultiTapDistance = 20;
}

WindowRef Window::create() { return create(Screen::main().bounds()); }

WindowRef Window::create(const Rect& frame) { return std::make_shared<Window>(frame); }

Window::Window(const Rect& frame)
    : View(frame)
{
    View::setHidden(true);
}

Window::~Window() = default;

void Window::setWindowLevel(double level)
{
    if (level == m_level)
        return;
    m_level = level;
    if (!isHidden())
        Screen::main().windowDidChange(*this);
}

void Window::makeKeyWindow() { Screen::main().setKeyWindow(std::static_pointer_cast<Window>(self())); }

void Window::makeKeyAndVisible()
{
    setHidden(false);
    makeKeyWindow();
}

bool Window::isKeyWindow() const { return Screen::main().keyWindow().get() == this; }

void Window::setHidden(bool hidden)
{
    if (hidden == isHidden())
        return;
    auto keep = std::static_pointer_cast<Window>(self());
    // Only a shared window can be kept on the screen.
    if (!keep)
        return;
    auto root = m_rootViewController;
    if (root)
        root->beginAppearanceTransition(!hidden, false);
    if (hidden) {
        cancelAllTouches();
        Screen::main().addDirtyRect(frame());
        View::setHidden(true);
        Screen::main().removeWindow(*this);
    } else {
        View::setHidden(false);
        Screen::main().addWindow(keep);
        Screen::main().addDirtyRect(frame());
    }
    if (root)
        root->endAppearanceTransition();
}

void Window::addDirtyRect(const Rect& rect)
{
    if (isHidden())
        return;
    Screen::main().addDirtyRect(transformToSuperview().applyToRect(rect));
}

int Window::tapCountFor(Point location, double timestamp)
{
    bool continues = m_lastTapTime >= 0 && timestamp - m_lastTapTime <= kMultiTapInterval
        && std::hypot(location.x - m_lastTapLocation.x, location.y - m_lastTapLocation.y) <= kMultiTapDistance;
    return continues ? m_lastTapCount + 1 : 1;
}

unsigned Window::touchesFollowedBy(const GestureRecognizer& recognizer) const
{
    unsigned count = 0;
    for (auto& [id, active] : m_touches)
        for (auto& r : active.recognizers)
            count += r.get() == &recognizer ? 1 : 0;
    return count;
}

void Window::handleTouch(int identifier, TouchPhase phase, Point location, double timestamp)
{
    auto keep = self();
    auto it = m_touches.find(identifier);
    if (phase == TouchPhase::Began) {
        if (it != m_touches.end()) // a lost end: finish the old touch first
            handleTouch(identifier, TouchPhase::Cancelled, it->second.touch->locationInWindow(), timestamp);
        // Window coordinates start at the bounds' origin.
        ViewRef target = hitTest(location + bounds().origin);
        if (!target)
            return;
        ActiveTouch active;
        active.touch = std::make_shared<Touch>(identifier, location, timestamp, tapCountFor(location, timestamp));
        active.touch->m_view = target;
        active.touch->m_window = std::static_pointer_cast<Window>(self());
        // The views the touch began within, innermost first, up to the one
        // whose recognizers are being offered it.
        std::vector<View*> within;
        for (View* v = target.get(); v;) {
            for (auto& r : v->gestureRecognizers()) {
                bool admitted = std::all_of(within.begin(), within.end(),
                                            [&](View* inner) { return inner->admitsEnclosingRecognizer(*r); });
                if (admitted && r->isEnabled() && r->receivesNewTouch(*active.touch, touchesFollowedBy(*r)))
                    active.recognizers.push_back(r);
            }
            within.push_back(v);
            auto parent = v->superview();
            v = parent.get();
        }
        it = m_touches.emplace(identifier, std::move(active)).first;
        deliver(it->second, phase);
        return;
    }
    if (it == m_touches.end())
        return;
    Touch& touch = *it->second.touch;
    touch.m_previousLocation = touch.m_location;
    touch.m_location = location;
    touch.m_timestamp = timestamp;
    if (phase == TouchPhase::Ended) {
        m_lastTapLocation = location;
        m_lastTapTime = timestamp;
        m_lastTapCount = touch.m_tapCount;
    }
    ActiveTouch active = it->second;
    if (phase == TouchPhase::Ended || phase == TouchPhase::Cancelled)
        m_touches.erase(it);
    deliver(active, phase);
    if (phase == TouchPhase::Ended || phase == TouchPhase::Cancelled) {
        // A recognizer still following another finger (a pan under a pinch)
        // keeps its state until that one is over too.
        for (auto& r : active.recognizers)
            if (touchesFollowedBy(*r) == 0)
                r->reset();
    } else if (auto again = m_touches.find(identifier); again != m_touches.end()) {
        again->second = active;
    }
}

void Window::deliver(ActiveTouch& active, TouchPhase phase)
{
    active.touch->m_phase = phase;
    TouchSet touches{active.touch};
    for (auto& r : active.recognizers) {
        GestureState before = r->state();
        if (before == GestureState::Failed || before == GestureState::Cancelled || !r->isEnabled())
            continue;
        switch (phase) {
        case TouchPhase::Began: r->touchesBegan(touches); break;
        case TouchPhase::Moved: r->touchesMoved(touches); break;
        case TouchPhase::Ended: r->touchesEnded(touches); break;
        case TouchPhase::Cancelled: r->touchesCancelled(touches); break;
        }
        if (!r->hasRecognized() || before != GestureState::Possible)
            continue;
        // The first to recognize wins the touch; the others fail.
        for (auto& other : active.recognizers)
            if (other != r && other->state() == GestureState::Possible && !r->recognizesSimultaneouslyWith(*other))
                other->touchesCancelled(touches);
        if (r->cancelsTouchesInView() && !active.viewCancelled && phase != TouchPhase::Cancelled) {
            active.viewCancelled = true;
            if (auto view = active.touch->view()) {
                active.touch->m_phase = TouchPhase::Cancelled;
                view->touchesCancelled(touches);
                active.touch->m_phase = phase;
            }
        }
    }
    if (active.viewCancelled)
        return;
    auto view = active.touch->view();
    if (!view)
        return;
    switch (phase) {
    case TouchPhase::Began: view->touchesBegan(touches); break;
    case TouchPhase::Moved: view->touchesMoved(touches); break;
    case TouchPhase::Ended: view->touchesEnded(touches); break;
    case TouchPhase::Cancelled: view->touchesCancelled(touches); break;
    }
}

void Window::cancelAllTouches()
{
    std::vector<std::pair<int, Point>> ids;
    for (auto& [id, active] : m_touches)
        ids.emplace_back(id, active.touch->locationInWindow());
    for (auto& [id, location] : ids)
        handleTouch(id, TouchPhase::Cancelled, location, m_touches.count(id) ? m_touches[id].touch->timestamp() : 0);
}

}

namespace pf {

void Window::setRootViewController(std::shared_ptr<ViewController> controller)
{
    if (controller == m_rootViewController)
        return;
    Application::shared().statusBarWindow();
    auto old = std::exchange(m_rootViewController, controller);
    bool shown = !isHidden();
    if (old) {
        if (shown)
            old->beginAppearanceTransition(false, false);
        if (old->isViewLoaded() && old->view()->superview().get() == this)
            old->view()->removeFromSuperview();
        if (shown)
            old->endAppearanceTransition();
    }
    if (!controller)
        return;
    ViewRef view = controller->view();
    view->setFrame(Application::shared().contentFrame(*this, *controller));
    view->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
    if (shown)
        controller->beginAppearanceTransition(true, false);
    addSubview(view);
    if (shown)
        controller->endAppearanceTransition();
}

void Window::deliverKeyEvent(const KeyEvent& event)
{
    // Escape is the phone's back, focused or not.
    if (event.kind == KeyEvent::Kind::Escape) {
        Application::shared().goBack();
        return;
    }
    ViewRef responder = firstResponder();
    if (!responder)
        return;
    switch (event.kind) {
    case KeyEvent::Kind::Text:
        if (std::string text = dropInvalidUtf8(event.text); !text.empty())
            responder->insertText(text);
        break;
    case KeyEvent::Kind::MarkedText: responder->setMarkedText(dropInvalidUtf8(event.text)); break;
    case KeyEvent::Kind::Backspace: responder->deleteBackward(); break;
    // Return types a line break, as on the phone's keyboard; a one-line
    // field decides what that means.
    case KeyEvent::Kind::Return: responder->insertText("\n"); break;
    default: break;
    }
}

}
