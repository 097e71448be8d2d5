#include "platform/ui/Application.h"

#include "platform/foundation/AppRegistry.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/URLInbox.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Text.h"
#include "platform/ui/AnimationClock.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <ctime>

namespace pf {

const char* const MemoryWarningNotification = "pf::MemoryWarningNotification";
const char* const LaunchOptionsURLKey = "UIApplicationLaunchOptionsURLKey";
const char* const LaunchOptionsSourceApplicationKey = "UIApplicationLaunchOptionsSourceApplicationKey";

namespace {

constexpr double kStatusBarHeight = 20;

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
        m_statusBar = Window::create({0, 0, Screen::main().bounds().width(), kStatusBarHeight});
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
    if (AnimationClock::current().isManual())
        return "12:00";
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[8];
    std::strftime(text, sizeof text, "%H:%M", &local);
    return text;
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
