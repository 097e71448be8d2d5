#include "framework/ui/KRGoBack.h"

#include "framework/core/IKRUIViewController.h"
#include "framework/ui/KRPopWindow.h"
#include "platform/ui/ViewController.h"

bool KRGoBack(const std::shared_ptr<IKRUIViewController>& root, bool animated)
{
    if (auto pop = KRPopWindow::topPopWindow()) {
        // One still opening or closing is finished first, so a quick second
        // back does not act on the window under it.
        if (pop->isAnimating())
            pop->finishAnimation();
        if (!pop->isHidden())
            pop->closeAnimated(animated);
        return true;
    }
    auto platform = std::dynamic_pointer_cast<pf::ViewController>(root);
    if (platform && platform->modalViewController()) {
        pf::ViewControllerRef top = platform->modalViewController();
        while (top->modalViewController())
            top = top->modalViewController();
        top->dismissModalViewControllerAnimated(animated);
        return true;
    }
    auto screen = root ? root->topController() : nullptr;
    if (!screen || !screen->url())
        return false;
    auto back = pf::URL::create(".", &*screen->url());
    return back && screen->openUrl(*back, animated);
}
