#include "app/screens/shared/ZMRPublishView.h"

#include "app/screens/shared/ZMRPublishItemView.h"
#include "platform/controls/Control.h"

namespace {

constexpr double kFlight = 0.3;
constexpr double kControlTurn = 0.7853982; // 45 degrees

}

template <class F> void ZMRPublishView::eachItem(F&& f) const
{
    if (!m_itemViews)
        return;
    for (const pf::Value& value : *m_itemViews)
        if (auto item = std::dynamic_pointer_cast<ZMRPublishItemView>(value.object()))
            f(*item);
}

void ZMRPublishView::endFlight()
{
    ++m_flight;
    m_animating = false;
    removeAllAnimations();
    eachItem([](ZMRPublishItemView& item) { item.removeAllAnimations(); });
    if (m_actionControl)
        m_actionControl->removeAllAnimations();
}

void ZMRPublishView::setHidden(bool hidden, bool animated)
{
    if (m_animating) {
        if (animated || !hidden)
            return;
        endFlight();
    }
    if (hidden == isHidden())
        return;
    auto keep = self();
    auto control = m_actionControl;
    bool opening = !hidden;
    if (control)
        control->setSelected(opening);
    auto turnControl = [control, opening] {
        if (control)
            control->setTransform(opening ? pf::AffineTransform::rotation(kControlTurn) : pf::AffineTransform::identity());
    };
    if (!animated) {
        turnControl();
        if (opening) {
            eachItem([](ZMRPublishItemView& item) { item.toBegin(); });
            setAlpha(1);
        }
        pf::View::setHidden(hidden);
        return;
    }
    m_animating = true;
    std::uint64_t flight = ++m_flight;
    std::weak_ptr<pf::View> weak = keep;
    if (opening) {
        eachItem([](ZMRPublishItemView& item) { item.toBegin(); });
        pf::View::setHidden(false);
        setAlpha(0.5);
        pf::View::animate(kFlight, [this, turnControl] {
            setAlpha(1);
            eachItem([](ZMRPublishItemView& item) { item.toEnd(); });
            turnControl();
        }, [weak, flight](bool) {
            auto menu = std::static_pointer_cast<ZMRPublishView>(weak.lock());
            if (menu && menu->m_flight == flight)
                menu->m_animating = false;
        });
        return;
    }
    pf::View::animate(kFlight, [this, turnControl] {
        setAlpha(0);
        eachItem([](ZMRPublishItemView& item) { item.toBegin(); });
        turnControl();
    }, [weak, flight](bool) {
        auto menu = std::static_pointer_cast<ZMRPublishView>(weak.lock());
        if (!menu || menu->m_flight != flight)
            return;
        menu->pf::View::setHidden(true);
        menu->m_animating = false;
    });
}

void ZMRPublishView::doChangeStateAction(const pf::ObjectRef&) { setHidden(!isHidden(), true); }

void ZMRPublishView::touchesBegan(const pf::TouchSet& touches)
{
    auto keep = self();
    setHidden(true, true);
    pf::View::touchesBegan(touches);
}
