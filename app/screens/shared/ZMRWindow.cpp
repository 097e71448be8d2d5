#include "app/screens/shared/ZMRWindow.h"

#include "platform/controls/ScrollView.h"
#include "platform/ui/Application.h"
#include "platform/ui/PerformRequest.h"

namespace {
constexpr const char* kScrollToTop = "scrollToTop";
}

ZMRWindow::ZMRWindow(const pf::Rect& frame)
    : pf::Window(frame)
{
}

bool ZMRWindow::pointInside(pf::Point p) const
{
    pf::Rect frame = this->frame();
    pf::Point onScreen{p.x - bounds().origin.x + frame.origin.x, p.y - bounds().origin.y + frame.origin.y};
    auto target = std::const_pointer_cast<pf::Object>(weak_from_this().lock());
    if (target && pf::Application::shared().statusBarFrame().contains(onScreen)) {
        std::weak_ptr<pf::Object> weak = target;
        pf::cancelPreviousPerformRequests(*this, kScrollToTop);
        pf::performAfterDelay(target, kScrollToTop, 0, [weak] {
            if (auto window = std::static_pointer_cast<ZMRWindow>(weak.lock()))
                window->scrollToTop();
        });
    }
    return pf::Window::pointInside(p);
}

void ZMRWindow::scrollToTop()
{
    if (auto scroll = topScrollViewInView(std::static_pointer_cast<pf::View>(weak_from_this().lock())))
        scroll->setContentOffset({0, 0}, true);
}

std::shared_ptr<pf::ScrollView> ZMRWindow::topScrollViewInView(const pf::ViewRef& view) const
{
    if (!view || view->isHidden())
        return nullptr;
    auto parent = view->superview();
    pf::Rect inWindow = parent ? parent->convertRectToView(view->frame(), nullptr) : view->frame();
    if (!inWindow.intersects({{0, 0}, bounds().size}))
        return nullptr;
    if (auto scroll = std::dynamic_pointer_cast<pf::ScrollView>(view); scroll && scroll->scrollsToTop()
        && scroll->contentSize().height > 0)
        return scroll;
    const auto& children = view->subviews();
    for (auto child = children.rbegin(); child != children.rend(); ++child)
        if (auto found = topScrollViewInView(*child))
            return found;
    return nullptr;
}
