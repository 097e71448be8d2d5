#include "platform/controls/Keyboard.h"

#include "platform/controls/KeyboardPanel.h"
#include "platform/foundation/Boxed.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

namespace pf {

namespace {
constexpr double kKeyboardLevel = 1500; // above the status bar, below alerts

// Spans the screen so the keyboard can slide in from below its edge, but
// only the keyboard itself takes touches.
class KeyboardWindow final : public Window {
public:
    using Window::Window;
    ViewRef hitTest(Point p) override
    {
        ViewRef hit = Window::hitTest(p);
        return hit.get() == this ? nullptr : hit;
    }
};
}

Keyboard& Keyboard::shared()
{
    static Keyboard keyboard;
    return keyboard;
}

Keyboard::Keyboard()
{
    // The screen must outlive the keyboard's window at exit: made first, it goes last.
    Screen::main();
}

Rect Keyboard::frame() const
{
    if (!m_visible)
        return {};
    Rect screen = Screen::main().bounds();
    double height = m_inputView ? m_inputView->frame().height() : PanelHeight;
    return Rect(0, screen.height() - height, screen.width(), height);
}

ViewRef Keyboard::currentView() const
{
    return m_inputView ? m_inputView : m_panel;
}

void Keyboard::post(const std::string& name, const Rect& endFrame)
{
    auto info = Dictionary::create();
    info->set(KeyboardFrameEndKey, Boxed<Rect>::make(endFrame));
    info->set(KeyboardAnimationDurationKey, Value(SlideDuration));
    NotificationCenter::defaultCenter().post(name, {}, info);
}

void Keyboard::show(const ViewRef& inputView)
{
    Rect screen = Screen::main().bounds();
    if (!m_window) {
        m_window = std::make_shared<KeyboardWindow>(screen);
        m_window->setWindowLevel(kKeyboardLevel);
        m_panel = KeyboardPanel::create(Rect(0, 0, screen.width(), PanelHeight));
        m_panel->setBackgroundColor(Color::fromRgbHex(0xd1d5db));
    }
    Rect from = m_visible ? frame() : Rect(0, screen.height(), screen.width(), 0);
    ViewRef old = currentView();
    m_inputView = inputView;
    ViewRef shown = currentView();
    if (old != shown && old)
        old->removeFromSuperview();
    bool wasVisible = m_visible;
    m_visible = true;
    Rect to = frame();
    if (wasVisible && from == to) {
        shown->setFrame(Rect(0, to.y(), to.width(), to.height()));
        m_window->addSubview(shown);
        return;
    }
    if (!wasVisible)
        from = Rect(0, screen.height(), to.width(), to.height());
    shown->setFrame(Rect(0, from.y(), to.width(), to.height()));
    m_window->addSubview(shown);
    m_window->setHidden(false);
    slide(from, to, true);
}

void Keyboard::hide()
{
    if (!m_visible)
        return;
    Rect from = frame();
    Rect screen = Screen::main().bounds();
    m_visible = false;
    slide(from, Rect(0, screen.height(), from.width(), from.height()), false);
}

void Keyboard::slide(const Rect&, const Rect& to, bool showing)
{
    unsigned generation = ++m_generation;
    post(KeyboardWillChangeFrameNotification, to);
    post(showing ? KeyboardWillShowNotification : KeyboardWillHideNotification, to);
    ViewRef view = currentView();
    View::animate(AnimationOptions{SlideDuration, 0, AnimationCurve::EaseInOut},
                  [&] { view->setFrame(Rect(0, to.y(), to.width(), to.height())); },
                  [this, generation, to, showing](bool) {
                      if (generation != m_generation)
                          return; // a newer slide took over
                      if (!showing) {
                          if (auto shown = currentView())
                              shown->removeFromSuperview();
                          m_inputView = nullptr;
                          m_window->setHidden(true);
                      }
                      post(KeyboardDidChangeFrameNotification, to);
                      post(showing ? KeyboardDidShowNotification : KeyboardDidHideNotification, to);
                  });
}

}
