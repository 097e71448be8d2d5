#include "app/screens/shared/ZMRKeyboardFit.h"

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
    pf::View::animate(
        0.3, [content, frame, height] { content->setFrame({frame.x(), frame.y(), frame.width(), height}); },
        std::move(done));
}
