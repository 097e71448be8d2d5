#pragma once

// An empty screen and a manual clock for each test, and a compositor for
// tests that look at the pixels.

#include "platform/foundation/RunLoop.h"
#include "platform/ui/AnimationClock.h"
#include "platform/ui/Compositor.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Touch.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pf::test {

class ScreenTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Screen::main().removeAllWindows();
        clock = std::make_shared<ManualClock>();
        AnimationClock::setCurrent(clock);
    }
    void TearDown() override
    {
        Screen::main().removeAllWindows();
        RunLoop::main().runUntilIdle();
        AnimationClock::setCurrent(nullptr);
    }

    WindowRef showWindow(const Color& background = Color::whiteColor())
    {
        auto window = Window::create();
        window->setBackgroundColor(background);
        window->makeKeyAndVisible();
        return window;
    }

    void touch(TouchPhase phase, Point p, int id = 1)
    {
        Screen::main().handleTouch(id, phase, p, clock->now());
    }
    void tap(Point p)
    {
        touch(TouchPhase::Began, p);
        clock->advance(0.05);
        touch(TouchPhase::Ended, p);
    }

    std::shared_ptr<ManualClock> clock;
};

class RenderingTest : public ScreenTest {
protected:
    // A view filled with `colour`, added to `parent` when one is given.
    static ViewRef filled(const Rect& frame, const Color& colour, const ViewRef& parent = nullptr)
    {
        auto view = View::create(frame);
        view->setBackgroundColor(colour);
        if (parent)
            parent->addSubview(view);
        return view;
    }
    const Bitmap& render()
    {
        auto result = compositor.render();
        EXPECT_TRUE(result.ok()) << (result.ok() ? "" : result.error().description);
        return *compositor.frame();
    }
    Compositor compositor{Screen::main()};
};

// Logs the touch phases it receives as "name:phase".
class RecordingView : public View {
public:
    RecordingView(std::string name, const Rect& frame, std::vector<std::string>* log)
        : View(frame)
        , m_name(std::move(name))
        , m_log(log)
    {
    }
    void touchesBegan(const TouchSet&) override { m_log->push_back(m_name + ":began"); }
    void touchesMoved(const TouchSet&) override { m_log->push_back(m_name + ":moved"); }
    void touchesEnded(const TouchSet&) override { m_log->push_back(m_name + ":ended"); }
    void touchesCancelled(const TouchSet&) override { m_log->push_back(m_name + ":cancelled"); }

private:
    std::string m_name;
    std::vector<std::string>* m_log;
};

}
