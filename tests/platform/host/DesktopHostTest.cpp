#include "platform/controls/TextField.h"
#include "platform/host/DesktopHost.h"
#include "platform/ui/Animation.h"
#include "platform/ui/Application.h"
#include "platform/ui/ApplicationDelegate.h"
#include "platform/ui/Window.h"
#include "tests/platform/host/AbsentDisplay.h"
#include "tests/platform/host/TouchRecorder.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

using namespace pf;

// No display here: SDL's dummy video driver stands in for one.
TEST(DesktopHosting, OpensFitsAndStepsWithTheDummyDriver)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    Screen::main().removeAllWindows();
    auto window = Window::create();
    window->setBackgroundColor(Color::whiteColor());
    window->makeKeyAndVisible();
    auto host = DesktopHost::create(Screen::main(), "Zomaru");
    ASSERT_TRUE(host.ok()) << host.error().description;
    EXPECT_GT(host.value()->fitScale(), 0);
    EXPECT_LE(host.value()->fitScale(), Screen::main().scale());
    EXPECT_TRUE(host.value()->step());
    EXPECT_TRUE(host.value()->step()) << "a frame with nothing new";
    host.value().reset();
    Screen::main().removeAllWindows();
}

namespace {

// Sets (or, with null, unsets) an environment variable until the end of the scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value)
        : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnvironment() { m_old ? setenv(m_name, m_old->c_str(), 1) : unsetenv(m_name); }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

}

// SDL falls back to its offscreen driver when the display does not answer:
// no window that nobody can see, unless that driver was asked for.
TEST(DesktopHosting, ADisplayThatCannotBeOpenedIsAnErrorNamingIt)
{
    const std::string display = test::absentDisplay();
    struct Row {
        const char* display;
        const char* wayland;
        const char* driver;
        std::vector<std::string> said; // empty: the host opens
    } rows[] = {
        {display.c_str(), nullptr, nullptr, {"cannot open the display " + display + " (DISPLAY): x11"}},
        {nullptr, "zmr-no-such-wayland", nullptr, {"cannot open the display zmr-no-such-wayland (WAYLAND_DISPLAY): wayland"}},
        {display.c_str(), "zmr-no-such-wayland", nullptr,
         {display + " (DISPLAY): x11", ", nor zmr-no-such-wayland (WAYLAND_DISPLAY): wayland"}},
        {display.c_str(), nullptr, "dummy", {}},
    };
    Screen::main().removeAllWindows();
    for (const auto& row : rows) {
        ScopedEnvironment x11("DISPLAY", row.display), wayland("WAYLAND_DISPLAY", row.wayland),
            driver("SDL_VIDEODRIVER", row.driver);
        auto host = DesktopHost::create(Screen::main(), "Zomaru");
        if (row.said.empty()) {
            EXPECT_TRUE(host.ok()) << row.driver << ": " << host.error().description;
            continue;
        }
        ASSERT_FALSE(host.ok()) << row.said[0];
        for (const auto& part : row.said)
            EXPECT_NE(host.error().description.find(part), std::string::npos) << host.error().description;
        EXPECT_FALSE(SDL_WasInit(SDL_INIT_VIDEO)) << "the video started for the try is stopped";
    }
}

namespace {

void pushButton(Uint32 type, Uint32 windowID, int x, int y)
{
    SDL_Event event{};
    event.button.type = type;
    event.button.windowID = windowID;
    event.button.button = SDL_BUTTON_LEFT;
    event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = 1;
    event.button.x = x;
    event.button.y = y;
    SDL_PushEvent(&event);
}

void pushText(const char* text)
{
    SDL_Event event{};
    event.text.type = SDL_TEXTINPUT;
    std::strncpy(event.text.text, text, sizeof event.text.text - 1);
    SDL_PushEvent(&event);
}

SDL_Window* hostWindow()
{
    SDL_Window* window = nullptr;
    for (Uint32 id = 1; id < 16 && !window; ++id)
        window = SDL_GetWindowFromID(id);
    return window;
}

}

TEST(DesktopHosting, AResizedWindowKeepsThePhonesAspectAndItsPoints)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    auto recorder = test::TouchRecorder::inNewWindow();
    auto host = DesktopHost::create(Screen::main(), "Zomaru");
    ASSERT_TRUE(host.ok()) << host.error().description;
    SDL_Window* sdlWindow = hostWindow();
    ASSERT_TRUE(sdlWindow);
    // Twice as wide as the phone is tall relative to it: bars left and right.
    Rect bounds = Screen::main().bounds();
    int h = int(bounds.height()), w = int(bounds.width()) * 3;
    SDL_SetWindowSize(sdlWindow, w, h);
    EXPECT_TRUE(host.value()->step());
    // The window's centre is the screen's centre; a point a quarter down the
    // shown phone is a quarter down the screen.
    pushButton(SDL_MOUSEBUTTONDOWN, SDL_GetWindowID(sdlWindow), w / 2, h / 4);
    pushButton(SDL_MOUSEBUTTONUP, SDL_GetWindowID(sdlWindow), w / 2, h / 4);
    EXPECT_TRUE(host.value()->step());
    ASSERT_EQ(recorder->began.size(), 1u);
    EXPECT_NEAR(recorder->began[0].x, bounds.width() / 2, 1.5);
    EXPECT_NEAR(recorder->began[0].y, bounds.height() / 4, 1.5);
    host.value().reset();
    Screen::main().removeAllWindows();
}

TEST(DesktopHosting, EscapeIsThePhonesBack)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    struct Back final : ApplicationDelegate {
        bool applicationGoBack(Application&) override { return ++backs, true; }
        int backs = 0;
    };
    auto back = std::make_shared<Back>();
    Application::shared().setDelegate(back);
    auto recorder = test::TouchRecorder::inNewWindow();
    auto host = DesktopHost::create(Screen::main(), "Zomaru");
    ASSERT_TRUE(host.ok()) << host.error().description;
    SDL_Event event{};
    event.key.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = SDLK_ESCAPE;
    SDL_PushEvent(&event);
    EXPECT_TRUE(host.value()->step());
    EXPECT_EQ(back->backs, 1);
    host.value().reset();
    Application::shared().setDelegate({});
    Screen::main().removeAllWindows();
}

// Typed quickly and clicked before the next frame: every event of the step
// lands where the focus was when it came.
TEST(DesktopHosting, KeysTypedBeforeAClickStayInTheFieldTheyWereTypedIn)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    Screen::main().removeAllWindows();
    auto window = Window::create();
    window->makeKeyAndVisible();
    auto first = std::make_shared<TextField>(Rect(10, 40, 300, 40));
    auto second = std::make_shared<TextField>(Rect(10, 100, 300, 40));
    window->addSubview(first);
    window->addSubview(second);
    auto host = DesktopHost::create(Screen::main(), "Zomaru");
    ASSERT_TRUE(host.ok()) << host.error().description;
    ASSERT_TRUE(first->becomeFirstResponder());
    Uint32 id = SDL_GetWindowID(hostWindow());
    int x = int(100 * host.value()->fitScale()), y = int(120 * host.value()->fitScale());
    pushText("abc");
    pushButton(SDL_MOUSEBUTTONDOWN, id, x, y);
    pushButton(SDL_MOUSEBUTTONUP, id, x, y);
    pushText("d");
    EXPECT_TRUE(host.value()->step());
    EXPECT_EQ(first->text(), "abc");
    EXPECT_EQ(second->text(), "d");
    second->endEditing(true);
    // The keyboard slides away on the desktop's clock: let it end here, or
    // a later test's clock would find it still running.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!Animator::shared().isSettled() && std::chrono::steady_clock::now() < deadline)
        host.value()->step();
    EXPECT_TRUE(Animator::shared().isSettled());
    host.value().reset();
    Screen::main().removeAllWindows();
}
