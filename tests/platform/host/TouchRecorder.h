#pragma once

#include "platform/ui/Touch.h"
#include "platform/ui/View.h"

#include <vector>

namespace pf::test {

// A view that keeps where each touch began and ended, in its own coordinates.
class TouchRecorder : public View {
public:
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
