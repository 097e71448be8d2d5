#include "app/screens/shared/ZMRKeyboardFit.h"

#include "platform/controls/ScrollView.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"

#include <algorithm>
#include <cmath>

void ZMRFitContentAboveKeyboard(const pf::ViewRef& content, double keyboardHeight, std::function<void(bool finished)> done)
{
    auto holder = content ? content->superview() : nullptr;
    if (!holder)
        return;
    pf::Rect frame = content->frame();
    double height = std::max(0.0, holder->bounds().height() - keyboardHeight - frame.y());
    if (!std::isfinite(height))
        height = 0;
    auto scroll = std::dynamic_pointer_cast<pf::ScrollView>(content);
    pf::View::animate(
        0.3,
        [content, scroll, frame, height] {
            content->setFrame({frame.x(), frame.y(), frame.width(), height});
            if (!scroll)
                return;
            // A field scrolled up above the keyboard would otherwise stay up
            // there, over blank space, once the keyboard has gone.
            pf::Point offset = scroll->contentOffset();
            double end = std::max(scroll->minContentOffset().y, scroll->maxContentOffset().y);
            if (offset.y > end)
                scroll->setContentOffset({offset.x, end});
        },
        std::move(done));
}

double ZMRKeyboardCover(const pf::Rect& keyboard)
{
    double height = keyboard.height();
    if (!std::isfinite(height) || height <= 0 || !std::isfinite(keyboard.y()))
        return 0;
    double below = keyboard.maxY() - pf::Screen::main().bounds().height();
    double cover = height - std::max(0.0, below);
    return std::isfinite(cover) ? std::clamp(cover, 0.0, height) : 0;
}
