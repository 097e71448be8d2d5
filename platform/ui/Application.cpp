#include "platform/ui/Application.h"

#include "platform/foundation/AppRegistry.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/URLInbox.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Text.h"
#include "platform/ui/AnimationClock.h"
#include "platform/ui/PerformRequest.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace pf {

const char* const MemoryWarningNotification = "pf::MemoryWarningNotification";
const char* const LaunchOptionsURLKey = "UIApplicationLaunchOptionsURLKey";
const char* const LaunchOptionsSourceApplicationKey = "UIApplicationLaunchOptionsSourceApplicationKey";

namespace {

constexpr double kStatusBarHeight = 20;
// A manual clock moves in frames that add up to a hair under a whole
// minute; its minute turns this much early so sixty seconds make one.
constexpr double kManualLead = 0.01;

class StatusBarView final : public View {
public:
    using View::View;
    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& context, const Rect& rect) override
    {
        TextStyle style;
        style.font = Font::boldSystem(12);
        style.color = Color::whiteColor();
        style.alignment = TextAlignment::Center;
        style.numberOfLines = 1;
        Rect line = bounds().insetBy(0, 3);
        (void)rect;
        drawText(context, Application::shared().statusBarTime(), line, style);
    }
    std::string textContent() const override { return Application::shared().statusBarTime(); }
    ViewRef hitTest(Point) override { return nullptr; }
};

// Redraws its bar as the shown minute turns, while it is on the screen.
class StatusBarWindow final : public Window {
public:
    using Window::Window;
    void setHidden(bool hidden) override
    {
        bool was = isHidden();
        Window::setHidden(hidden);
        if (was == isHidden())
            return;
        cancelPreviousPerformRequests(*this, kTick);
        if (!isHidden())
            scheduleTick();
    }

private:
    static constexpr const char* kTick = "minuteTick";

    void scheduleTick()
    {
        std::weak_ptr<View> weak = self();
        performAfterDelay(self(), kTick, secondsToNextMinute(), [weak] {
            auto window = std::static_pointer_cast<StatusBarWindow>(weak.lock());
            if (!window || window->isHidden())
                return;
            for (auto& bar : window->subviews())
                bar->setNeedsDisplay();
            window->scheduleTick();
        });
    }

    static double secondsToNextMinute()
    {
        AnimationClock& clock = AnimationClock::current();
        if (clock.isManual())
            return 60 - std::fmod(clock.now() - ManualClock::Start + kManualLead, 60);
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        // A little past the turn, so the time read then is the new minute.
        return 60.05 - std::fmod(double(now.tv_sec % 60) + now.tv_nsec / 1e9, 60);
    }
};

bool windowGoesBack(Window& window)
{
    if (window.isHidden())
        return false;
    auto views = window.subviews();
    for (auto view = views.rbegin(); view != views.rend(); ++view)
        if ((*view)->performBack())
            return true;
    return window.performBack();
}

}

Application::Application() = default;
Application::~Application() = default;

Application& Application::shared()
{
    static auto* application = new Application;
    return *application;
}

Rect Application::statusBarFrame() const
{
    if (m_statusBarHidden)
        return {};
    return {0, 0, Screen::main().bounds().width(), kStatusBarHeight};
}

void Application::setStatusBarHidden(bool hidden)
{
    if (hidden == m_statusBarHidden)
        return;
    m_statusBarHidden = hidden;
    if (m_statusBar)
        m_statusBar->setHidden(hidden);
}

WindowRef Application::statusBarWindow()
{
    if (!m_statusBar) {
        m_statusBar = std::make_shared<StatusBarWindow>(Rect{0, 0, Screen::main().bounds().width(), kStatusBarHeight});
        m_statusBar->setWindowLevel(WindowLevel::StatusBar);
        m_statusBar->setUserInteractionEnabled(false);
        auto bar = std::make_shared<StatusBarView>(m_statusBar->bounds());
        bar->setBackgroundColor(Color::black());
        bar->setAutoresizingMask(Autoresizing::FlexibleWidth);
        m_statusBar->addSubview(bar);
    }
    if (!m_statusBarHidden && m_statusBar->isHidden()) {
        m_statusBar->setFrame({0, 0, Screen::main().bounds().width(), kStatusBarHeight});
        m_statusBar->setHidden(false); // shown, never key
    }
    return m_statusBar;
}

std::string Application::statusBarTime() const
{
    char text[16];
    if (AnimationClock& clock = AnimationClock::current(); clock.isManual()) {
        // The manual clock's seconds read as the time of day, so a test moves the bar with the clock.
        double sinceNoon = clock.now() - ManualClock::Start + kManualLead;
        auto minutes = static_cast<long long>(std::floor((12 * 3600 + sinceNoon) / 60));
        std::snprintf(text, sizeof text, "%02lld:%02lld", minutes / 60 % 24, minutes % 60);
        return text;
    }
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::strftime(text, sizeof text, "%H:%M", &local);
    return text;
}

bool Application::goBack()
{
    // A copy: closing a sheet takes its window off the screen.
    auto windows = Screen::main().windows();
    auto window = windows.rbegin();
    // Alerts and action sheets lie over the keyboard and are modal, so they
    // answer before a focused field; one without a cancel button takes the
    // back and keeps waiting.
    for (; window != windows.rend() && (*window)->windowLevel() >= WindowLevel::Alert; ++window)
        if (windowGoesBack(**window))
            return true;
    if (auto key = keyWindow())
        if (ViewRef focused = key->firstResponder(); focused && focused->wantsTextInput()) {
            focused->resignFirstResponder();
            return true;
        }
    for (; window != windows.rend(); ++window)
        if (windowGoesBack(**window))
            return true;
    auto delegate = m_delegate.lock();
    return delegate && delegate->applicationGoBack(*this);
}

void Application::simulateMemoryWarning()
{
    NotificationCenter::defaultCenter().post(MemoryWarningNotification);
    if (auto delegate = m_delegate.lock())
        delegate->applicationDidReceiveMemoryWarning(*this);
    for (auto& controller : ViewController::allControllers())
        controller->didReceiveMemoryWarning();
}

void Application::setDeviceOrientation(int orientation)
{
    if (orientation == m_deviceOrientation)
        return;
    m_deviceOrientation = orientation;
    auto window = keyWindow();
    ViewControllerRef top = window ? window->rootViewController() : nullptr;
    while (top && top->modalViewController())
        top = top->modalViewController();
    if (top && orientation >= DeviceOrientation::Portrait && orientation <= DeviceOrientation::LandscapeRight) {
        // Systems before 6.0 ask the controller about one orientation at a time.
        bool allowed = DeviceProfile::current().systemVersionNumber() < 6.0
                           ? top->shouldAutorotateToInterfaceOrientation(orientation)
                           : top->shouldAutorotate() && (top->supportedInterfaceOrientations() & (1u << orientation));
        if (allowed)
            m_statusBarOrientation = orientation;
    }
    NotificationCenter::defaultCenter().post(DeviceOrientationDidChangeNotification);
}

Rect Application::contentFrame(const Window& window, const ViewController& controller) const
{
    Rect bounds = window.bounds();
    if (controller.wantsFullScreenLayout() || m_statusBarHidden)
        return bounds;
    // The bar covers the window's top as far as the two overlap on the screen.
    double covered = std::clamp(kStatusBarHeight - window.frame().minY(), 0.0, bounds.height());
    return {bounds.x(), bounds.y() + covered, bounds.width(), bounds.height() - covered};
}

}
