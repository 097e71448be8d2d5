#include "framework/ui/KRAppStatusView.h"

#include "platform/controls/Label.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Application.h"
#include "platform/ui/PerformRequest.h"

#include <algorithm>

namespace {

constexpr double kFade = 0.3;

std::vector<std::shared_ptr<KRAppStatusView>>& shownList()
{
    static std::vector<std::shared_ptr<KRAppStatusView>> list;
    return list;
}

}

std::shared_ptr<KRAppStatusView> KRAppStatusView::create() { return std::make_shared<KRAppStatusView>(); }

KRAppStatusView::KRAppStatusView()
    : pf::Window(pf::Application::shared().statusBarFrame())
{
    setWindowLevel(pf::WindowLevel::StatusBar);
    setBackgroundColor(pf::Color::black());
}

std::shared_ptr<KRAppStatusView> KRAppStatusView::self()
{
    return std::static_pointer_cast<KRAppStatusView>(shared_from_this());
}

const std::vector<std::shared_ptr<KRAppStatusView>>& KRAppStatusView::shownViews() { return shownList(); }

void KRAppStatusView::show(bool animated)
{
    auto& list = shownList();
    auto me = self();
    if (std::find(list.begin(), list.end(), me) == list.end())
        list.push_back(me);
    setHidden(false);
    if (!animated) {
        setAlpha(1);
        return;
    }
    setAlpha(0);
    pf::View::animate(kFade, [this] { setAlpha(1); });
}

void KRAppStatusView::close(bool animated)
{
    auto me = self();
    if (animated) {
        pf::View::animate(kFade, [this] { setAlpha(0); }, [me](bool finished) {
            // A show that interrupts the fade-out keeps the view up.
            if (finished)
                me->close(false);
        });
        return;
    }
    setHidden(true);
    setAlpha(1);
    auto& list = shownList();
    list.erase(std::remove(list.begin(), list.end(), me), list.end());
    // Whoever closes it may be its last owner's callee: keep it to the end of the turn.
    pf::RunLoop::main().post([me] {});
}

void KRAppStatusView::show(bool animated, double seconds)
{
    show(animated);
    auto me = self();
    pf::performAfterDelay(me, "close", seconds + (animated ? kFade : 0), [me] { me->close(true); });
}

std::shared_ptr<KRAppStatusMessageView> KRAppStatusMessageView::create(const std::string& title)
{
    auto view = std::make_shared<KRAppStatusMessageView>();
    auto label = std::make_shared<pf::Label>(view->bounds());
    label->setAutoresizingMask(pf::Autoresizing::FlexibleWidth | pf::Autoresizing::FlexibleHeight);
    label->setBackgroundColor(pf::Color::clear());
    label->setTextAlignment(pf::TextAlignment::Center);
    label->setFont(pf::Font::system(12));
    label->setTextColor(pf::Color::rgb(1, 1, 1));
    label->setText(title);
    view->addSubview(label);
    return view;
}
