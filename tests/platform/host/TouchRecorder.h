#pragma once

#include "platform/ui/Touch.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

#include <memory>

#include <vector>

namespace pf::test {

// A view that keeps where each touch began and ended, in its own coordinates.
class TouchRecorder : public View {
public:
    // The only window on the main screen, key and visible, covered by a recorder.
    static std::shared_ptr<TouchRecorder> inNewWindow()
    {
        Screen::main().removeAllWindows();
        auto window = Window::create();
        window->makeKeyAndVisible();
        auto recorder = std::make_shared<TouchRecorder>();
        recorder->setFrame(window->bounds());
        window->addSubview(recorder);
        return recorder;
    }

    std::vector<Point> began, ended;
    void touchesBegan(const TouchSet& touches) override
    {
        for (auto& touch : touches)
            began.push_back(touch->locationInView(this));
    }
    void touchesEnded(const TouchSet& touches) override
    {
        for (auto& touch : touches)
            ended.push_back(touch->locationInView(this));
    }
};

}
