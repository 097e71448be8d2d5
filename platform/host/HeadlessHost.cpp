#include "platform/host/HeadlessHost.h"

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Bitmap.h"
#include "platform/ui/AnimationClock.h"
#include "platform/ui/Application.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

#include <algorithm>

namespace pf {

namespace {

constexpr int kFinger = 1;
constexpr int kSecondFinger = 2;

ViewRef findIn(const ViewRef& view, std::string_view text)
{
    if (view->isHidden())
        return nullptr;
    auto& children = view->subviews();
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if (auto found = findIn(*it, text))
            return found;
    if (view->textContent().find(text) != std::string::npos)
        return view;
    return nullptr;
}

}

HeadlessHost::HeadlessHost(Screen& screen)
    : m_screen(screen)
    , m_clock(std::make_shared<ManualClock>())
    , m_compositor(screen)
{
    AnimationClock::setCurrent(m_clock);
    m_compositor.invalidateAll();
    Application::shared().setURLOpener([this](const URL& url) {
        m_openedURLs.push_back(url.absoluteString());
        return true;
    });
}

HeadlessHost::~HeadlessHost()
{
    Application::shared().setURLOpener(nullptr);
    AnimationClock::setCurrent(nullptr);
}

void HeadlessHost::settle() { RunLoop::main().runUntilIdle(); }

// A window lays its views out for the frame drawn before a finger comes
// down; without it a touch would hit where views stood before the last
// change (a page's links before its first layout).
void HeadlessHost::layOut() { m_screen.layoutIfNeeded(); }

ErrorOr<BitmapRef> HeadlessHost::render()
{
    settle();
    auto rendered = m_compositor.render();
    if (!rendered)
        return rendered.error();
    return m_compositor.frame();
}

std::optional<Error> HeadlessHost::writePng(const std::string& path)
{
    auto frame = render();
    if (!frame)
        return frame.error();
    return frame.value()->writePng(path);
}

void HeadlessHost::touch(TouchPhase phase, Point p)
{
    layOut();
    m_screen.postTouch(kFinger, phase, p, m_clock->now());
    deliver();
}

void HeadlessHost::deliver()
{
    m_screen.deliverInput();
    settle();
}

void HeadlessHost::touchDown(Point p) { touch(TouchPhase::Began, p); }

void HeadlessHost::touchMove(Point p) { touch(TouchPhase::Moved, p); }

void HeadlessHost::touchUp(Point p) { touch(TouchPhase::Ended, p); }

void HeadlessHost::tap(Point p)
{
    touchDown(p);
    advance(0.05);
    touchUp(p);
}

void HeadlessHost::drag(Point from, Point to, double duration, int steps)
{
    steps = std::max(steps, 1);
    touchDown(from);
    for (int i = 1; i <= steps; ++i) {
        advance(duration / steps);
        double t = double(i) / steps;
        touchMove({from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t});
    }
    touchUp(to);
}

void HeadlessHost::pinch(Point centre, double fromDistance, double toDistance, double duration, int steps)
{
    steps = std::max(steps, 1);
    auto fingers = [&](TouchPhase phase, double distance) {
        layOut();
        m_screen.postTouch(kFinger, phase, {centre.x - distance / 2, centre.y}, m_clock->now());
        m_screen.postTouch(kSecondFinger, phase, {centre.x + distance / 2, centre.y}, m_clock->now());
        deliver();
    };
    fingers(TouchPhase::Began, fromDistance);
    for (int i = 1; i <= steps; ++i) {
        advance(duration / steps);
        fingers(TouchPhase::Moved, fromDistance + (toDistance - fromDistance) * i / steps);
    }
    fingers(TouchPhase::Ended, toDistance);
}

void HeadlessHost::wheel(Point p, Point delta)
{
    layOut();
    m_screen.postScrollWheel(p, delta);
    deliver();
}

bool HeadlessHost::tapViewWithText(std::string_view text)
{
    auto view = findViewWithText(text);
    if (!view)
        return false;
    auto window = view->window();
    if (!window)
        return false;
    Rect b = view->bounds();
    Point inWindow = view->convertPointToView(b.center(), nullptr);
    tap(window->transformToSuperview().apply(inWindow + window->bounds().origin));
    return true;
}

void HeadlessHost::type(std::string_view text)
{
    m_screen.postKeyEvent({KeyEvent::Kind::Text, std::string(text)});
    deliver();
}

void HeadlessHost::compose(std::string_view markedText)
{
    m_screen.postKeyEvent({KeyEvent::Kind::MarkedText, std::string(markedText)});
    deliver();
}

void HeadlessHost::pressKey(KeyEvent::Kind kind)
{
    m_screen.postKeyEvent({kind, {}});
    deliver();
}

void HeadlessHost::memoryWarning()
{
    Application::shared().simulateMemoryWarning();
    settle();
}

void HeadlessHost::enterBackground()
{
    Application::shared().enterBackground();
    settle();
}

void HeadlessHost::enterForeground()
{
    Application::shared().enterForeground();
    settle();
}

bool HeadlessHost::openURL(const URL& url)
{
    bool taken = Application::shared().openIncomingURL(url);
    settle();
    return taken;
}

void HeadlessHost::receiveRemoteNotification(const Value& payload)
{
    Application::shared().receiveRemoteNotification(payload);
    settle();
}

void HeadlessHost::advance(double seconds)
{
    m_clock->advance(seconds);
    settle();
}

ViewRef HeadlessHost::findViewWithText(std::string_view text) const
{
    auto windows = m_screen.windows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if (auto found = findIn(*it, text))
            return found;
    return nullptr;
}

}
