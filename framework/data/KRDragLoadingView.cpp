#include "framework/data/KRDragLoadingView.h"

#include "framework/ui/KRAnimationView.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Path.h"

#include <numbers>

namespace {

constexpr double kTurnDuration = 0.3;

void hide(pf::View* view, bool hidden)
{
    if (view)
        view->setHidden(hidden);
}

}

pf::ImageRef KRDragLoadingView::defaultArrowImage()
{
    static pf::ImageRef arrow = [] {
        auto bitmap = pf::Bitmap::create(24, 48, 2);
        if (!bitmap)
            return pf::ImageRef();
        auto context = pf::GraphicsContext::create(**bitmap);
        if (!context)
            return pf::ImageRef();
        const pf::Color grey = pf::Color::white(0.45);
        (*context)->fillRect(pf::Rect(4.5, 1, 3, 15), grey);
        pf::Path head;
        head.moveTo(pf::Point{1, 14});
        head.lineTo(pf::Point{11, 14});
        head.lineTo(pf::Point{6, 23});
        head.close();
        (*context)->fillPath(head, grey);
        return pf::Image::create(*bitmap);
    }();
    return arrow;
}

void KRDragLoadingView::awakeFromNib()
{
    pf::Button::awakeFromNib();
    if (m_directImageView && !m_directImageView->image())
        m_directImageView->setImage(defaultArrowImage());
}

void KRDragLoadingView::setDirect(int direct)
{
    m_direct = direct;
    if (direct < 0 || direct > 3)
        return;
    if (m_animating)
        applyDirect();
    else
        pf::View::animate(kTurnDuration, [this] { applyDirect(); });
}

void KRDragLoadingView::applyDirect()
{
    static const double angles[4] = {0, std::numbers::pi, std::numbers::pi / 2, -std::numbers::pi / 2};
    if (m_directImageView)
        m_directImageView->setTransform(m_direct == 0 ? pf::AffineTransform::identity()
                                                      : pf::AffineTransform::rotation(angles[m_direct]));
    showDirectionTitles(!m_animating);
}

void KRDragLoadingView::showDirectionTitles(bool anyShown)
{
    for (int i = 0; i < 4; ++i)
        hide(m_titles[i].get(), !(anyShown && i == m_direct));
}

void KRDragLoadingView::setOffsetValue(double value)
{
    m_offsetValue = value;
    if (m_loadingView && m_loadingView->objectClass() && m_loadingView->objectClass()->property("offsetValue"))
        m_loadingView->setValueForKey("offsetValue", pf::Value(value));
}

void KRDragLoadingView::startAnimation()
{
    if (m_animating)
        return;
    hide(m_loadingView.get(), false);
    if (m_loadingView)
        KRStartAnimating(*m_loadingView);
    hide(m_directImageView.get(), true);
    showDirectionTitles(false);
    hide(m_loadingTitleLabel.get(), false);
    m_animating = true;
}

void KRDragLoadingView::stopAnimation()
{
    if (!m_animating)
        return;
    if (m_loadingView)
        KRStopAnimating(*m_loadingView);
    hide(m_loadingView.get(), true);
    hide(m_loadingTitleLabel.get(), true);
    hide(m_directImageView.get(), false);
    m_animating = false;
    showDirectionTitles(true);
}
