#include "framework/ui/KRFoldView.h"

#include "platform/ui/PanGestureRecognizer.h"

std::shared_ptr<KRFoldView> KRFoldView::create(const pf::Rect& frame, pf::GestureRecognizer::ShouldReceiveTouch shouldReceive)
{
    auto fold = std::make_shared<KRFoldView>(frame);
    // The recognizer is owned by this view; its action finds the view again
    // through the recognizer.
    auto pan = std::make_shared<pf::PanGestureRecognizer>([](pf::GestureRecognizer& r) {
        if (auto view = std::dynamic_pointer_cast<KRFoldView>(r.view()))
            view->panAction(r);
    });
    pan->setMaximumNumberOfTouches(1);
    // A drag that moves the drawer is no tap: the control under the finger
    // (a full-width prize, a row) loses the touch instead of acting on it.
    pan->setCancelsTouchesInView(true);
    pan->setShouldReceiveTouch(std::move(shouldReceive));
    fold->addGestureRecognizer(pan);
    return fold;
}

void KRFoldView::panAction(pf::GestureRecognizer& recognizer)
{
    auto& pan = static_cast<pf::PanGestureRecognizer&>(recognizer);
    auto keep = self();
    auto delegate = m_delegate.lock();
    switch (recognizer.state()) {
    case pf::GestureState::Began:
        if (m_beginTouch)
            return;
        m_beginTouch = true;
        m_beginPoint = recognizer.locationInView(this);
        m_prePoint = m_beginPoint;
        m_direction = 0;
        pan.setTranslation(m_beginPoint, this);
        if (delegate)
            delegate->foldViewDidBegin(*this);
        return;
    case pf::GestureState::Changed: {
        if (!m_beginTouch)
            return;
        pf::Point p = pan.translationInView(this);
        double dx = p.x - m_prePoint.x;
        m_prePoint = p;
        if (dx > 0)
            m_direction = 2;
        else if (dx < 0)
            m_direction = 1;
        if (delegate)
            delegate->foldViewDidMove(*this, m_beginPoint, p);
        return;
    }
    case pf::GestureState::Ended:
    case pf::GestureState::Cancelled:
    case pf::GestureState::Failed:
        if (!m_beginTouch)
            return;
        m_beginTouch = false;
        if (delegate)
            delegate->foldViewDidEnd(*this);
        return;
    default:
        return;
    }
}
