#pragma once

// A headless host with one white key window over the screen for each test.

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Bitmap.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/AnimationClock.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

#include <optional>

namespace pf::test {

class HostTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Screen::main().removeAllWindows();
        host.emplace();
        window = Window::create();
        window->setBackgroundColor(Color::whiteColor());
        window->makeKeyAndVisible();
    }
    void TearDown() override
    {
        window = nullptr;
        Screen::main().removeAllWindows();
        RunLoop::main().runUntilIdle();
        host.reset();
    }
    Rgba8 probe(Point p)
    {
        auto frame = host->render();
        return frame ? frame.value()->pixelAtPoint(p) : Rgba8{};
    }

    std::optional<HeadlessHost> host;
    WindowRef window;
};

}
