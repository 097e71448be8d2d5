#include "framework/ui/UIViewHidden.h"

#include "platform/ui/View.h"

namespace {
constexpr double kFade = 0.3;
}

void setHidden(const pf::ViewRef& view, bool hidden, bool animated)
{
    if (!view)
        return;
    if (!animated) {
        // Set outside an animation, the alpha drops any running fade; its
        // end then finds the alpha at 1 and leaves the view alone.
        view->setAlpha(1);
        view->setHidden(hidden);
        return;
    }
    view->setHidden(false);
    std::weak_ptr<pf::View> weak = view;
    pf::View::animate(kFade, [&] { view->setAlpha(hidden ? 0 : 1); }, [weak, hidden](bool) {
        auto v = weak.lock();
        // Only the end of the fade still wanted: a later fade or a switch changed the alpha.
        if (!v || !hidden || v->alpha() != 0)
            return;
        v->setHidden(true);
        v->setAlpha(1);
    });
}
