#include "platform/host/DesktopHost.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

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
