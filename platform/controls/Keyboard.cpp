#include "platform/controls/Keyboard.h"

#include "platform/foundation/Boxed.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Text.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

namespace pf {

namespace {
constexpr double kKeyboardLevel = 1500; // above the status bar, below alerts

// The look of the system keyboard: rows of key caps.
class KeyboardPanel final : public View {
public:
    using View::View;
    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& context, const Rect&) override
    {
        static const char* rows[] = {"qwertyuiop", "asdfghjkl", "zxcvbnm"};
        Rect b = bounds();
        double keyWidth = b.width() / 10, keyHeight = (b.height() - 10) / 4;
        TextStyle style;
        style.font = Font::system(18);
        style.alignment = TextAlignment::Center;
        for (int r = 0; r < 3; ++r) {
            std::string keys = rows[r];
            double inset = (b.width() - keys.size() * keyWidth) / 2;
            for (std::size_t k = 0; k < keys.size(); ++k) {
                Rect cap(inset + k * keyWidth + 3, 6 + r * keyHeight + 3, keyWidth - 6, keyHeight - 6);
                context.fillRoundedRect(cap, 4, Color::whiteColor());
                drawText(context, std::string(1, keys[k]), cap.insetBy(0, cap.height() / 2 - 11), style);
            }
        }
        context.fillRoundedRect(Rect(b.width() * 0.25, 6 + 3 * keyHeight + 3, b.width() * 0.5, keyHeight - 6), 4,
                                Color::whiteColor());
    }
};

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
        m_panel = std::make_shared<KeyboardPanel>(Rect(0, 0, screen.width(), PanelHeight));
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
