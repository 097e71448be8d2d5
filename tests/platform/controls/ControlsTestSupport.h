#pragma once

// A headless host with one white key window over the screen for each test.

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Bitmap.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/AnimationClock.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <unistd.h>

namespace pf::test {

// A fresh pictures folder (ZMR_PICTURES) for the test's lifetime.
struct PicturesFolder {
    explicit PicturesFolder(const std::string& tag)
        : path(std::filesystem::temp_directory_path() / ("zmr-" + tag + "-" + std::to_string(::getpid())))
    {
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
        setenv("ZMR_PICTURES", path.c_str(), 1);
    }
    ~PicturesFolder()
    {
        unsetenv("ZMR_PICTURES");
        std::filesystem::remove_all(path);
    }
    const std::filesystem::path path;
};

// The local time zone set for the test's lifetime.
struct LocalZone {
    explicit LocalZone(const char* zone)
    {
        if (const char* tz = std::getenv("TZ"))
            saved = tz;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~LocalZone()
    {
        saved ? setenv("TZ", saved->c_str(), 1) : unsetenv("TZ");
        tzset();
    }
    std::optional<std::string> saved;
};

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
