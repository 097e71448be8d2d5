#include "platform/host/DesktopHost.h"
#include "platform/ui/PinchGestureRecognizer.h"
#include "platform/ui/Window.h"
#include "tests/platform/host/TouchRecorder.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

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

}

TEST(DesktopHosting, AResizedWindowKeepsThePhonesAspectAndItsPoints)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    auto recorder = test::TouchRecorder::inNewWindow();
    auto host = DesktopHost::create(Screen::main(), "Zomaru");
    ASSERT_TRUE(host.ok()) << host.error().description;
    SDL_Window* sdlWindow = nullptr;
    for (Uint32 id = 1; id < 16 && !sdlWindow; ++id)
        sdlWindow = SDL_GetWindowFromID(id);
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

TEST(DesktopHosting, CtrlAndTheWheelPinchAtThePointerUntilTheInputPauses)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    auto recorder = test::TouchRecorder::inNewWindow();
    std::vector<std::pair<GestureState, double>> reports;
    recorder->addGestureRecognizer(std::make_shared<PinchGestureRecognizer>([&](GestureRecognizer& r) {
        reports.emplace_back(r.state(), static_cast<PinchGestureRecognizer&>(r).scale());
    }));
    auto host = DesktopHost::create(Screen::main(), "Zomaru");
    ASSERT_TRUE(host.ok()) << host.error().description;
    SDL_Window* sdlWindow = nullptr;
    for (Uint32 id = 1; id < 16 && !sdlWindow; ++id)
        sdlWindow = SDL_GetWindowFromID(id);
    ASSERT_TRUE(sdlWindow);
    int w = 0, h = 0;
    SDL_GetWindowSize(sdlWindow, &w, &h);
    SDL_WarpMouseInWindow(sdlWindow, w / 2, h / 2);
    SDL_SetModState(KMOD_CTRL);
    SDL_Event notch{};
    notch.wheel.type = SDL_MOUSEWHEEL;
    notch.wheel.y = 1;
    for (int i = 0; i < 3; ++i)
        SDL_PushEvent(&notch);
    EXPECT_TRUE(host.value()->step()); // all three at once, with no pause between them
    SDL_SetModState(KMOD_NONE);
    ASSERT_FALSE(reports.empty());
    for (auto start = std::chrono::steady_clock::now();
         reports.back().first != GestureState::Ended && std::chrono::steady_clock::now() - start < std::chrono::seconds(10);)
        host.value()->step();
    EXPECT_EQ(reports.back().first, GestureState::Ended) << "lifted once the wheel stopped";
    EXPECT_NEAR(reports.back().second, 1.1 * 1.1 * 1.1, 1e-9);
    ASSERT_EQ(recorder->began.size(), 2u);
    EXPECT_NEAR((recorder->began[0].x + recorder->began[1].x) / 2, Screen::main().bounds().width() / 2, 1.5);
    host.value().reset();
    Screen::main().removeAllWindows();
}
