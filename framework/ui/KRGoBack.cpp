#include "framework/ui/KRGoBack.h"

#include "framework/core/IKRUIViewController.h"
#include "framework/core/KRController.h"
#include "framework/ui/KRPopWindow.h"
#include "framework/ui/KRViewController.h"
#include "platform/ui/ViewController.h"

bool KRGoBack(const std::shared_ptr<IKRUIViewController>& root, bool animated)
{
    if (auto pop = KRPopWindow::topPopWindow()) {
        // One still opening or closing is finished first, so a quick second
        // back does not act on the window under it.
        if (pop->isAnimating())
            pop->finishAnimation();
        if (pop->isHidden())
            return true;
        // The pop's screen closes it as its own close control would, so a
        // screen that must stay (a comment still sending) can refuse.
        if (auto screen = std::dynamic_pointer_cast<KRViewController>(pop->rootViewController())) {
            auto close = std::make_shared<KRAction>();
            close->setActionName(animated ? "popclose" : "popclosed");
            screen->doAction(close);
        } else {
            pop->closeAnimated(animated);
        }
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
    if (auto own = std::dynamic_pointer_cast<KRViewController>(screen))
        return own->goBack(animated);
    // A routed controller that is no kit screen has no back of its own.
    auto routed = std::dynamic_pointer_cast<KRRoutedController>(screen);
    std::optional<pf::URL> back;
    if (routed)
        back = routed->backURL();
    else if (screen && screen->url())
        back = pf::URL::create(".", &*screen->url());
    return back && screen->openUrl(*back, animated);
}
