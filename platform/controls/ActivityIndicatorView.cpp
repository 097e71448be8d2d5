#include "platform/controls/ActivityIndicatorView.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/AnimationClock.h"
#include "platform/ui/DisplayLink.h"

#include <cmath>
#include <numbers>

namespace pf {

namespace {
constexpr int kSpokes = 12;
}

ActivityIndicatorView::ActivityIndicatorView(ActivityIndicatorViewStyle style)
    : View(Rect(0, 0, style == ActivityIndicatorViewStyle::WhiteLarge ? 37 : 20,
                style == ActivityIndicatorViewStyle::WhiteLarge ? 37 : 20))
    , m_style(style)
{
    setUserInteractionEnabled(false);
    setHidden(true);
}

ActivityIndicatorView::~ActivityIndicatorView()
{
    if (m_link)
        m_link->invalidate();
}

void ActivityIndicatorView::setStyle(ActivityIndicatorViewStyle style)
{
    m_style = style;
    setNeedsDisplay();
}

void ActivityIndicatorView::startAnimating()
{
    if (m_animating)
        return;
    m_animating = true;
    setHidden(false);
    m_started = AnimationClock::current().now() - m_phase / double(kSpokes);
    if (!m_link) {
        std::weak_ptr<View> weakSelf = self();
        m_link = DisplayLink::create([weakSelf](DisplayLink& link) {
            auto view = std::static_pointer_cast<ActivityIndicatorView>(weakSelf.lock());
            if (!view)
                return;
            int phase = static_cast<int>(std::floor((link.timestamp() - view->m_started) * kSpokes)) % kSpokes;
            if (phase != view->m_phase) {
                view->m_phase = phase;
                view->setNeedsDisplay();
            }
        });
    }
    m_link->start();
}

void ActivityIndicatorView::stopAnimating()
{
    if (!m_animating)
        return;
    m_animating = false;
    if (m_link)
        m_link->setPaused(true);
    if (m_hidesWhenStopped)
        setHidden(true);
}

void ActivityIndicatorView::setHidesWhenStopped(bool hides)
{
    m_hidesWhenStopped = hides;
    setHidden(hides && !m_animating);
}

void ActivityIndicatorView::draw(GraphicsContext& context, const Rect&)
{
    Rect b = bounds();
    double radius = std::min(b.width(), b.height()) / 2;
    Color base = m_style == ActivityIndicatorViewStyle::Gray ? Color::white(0.4) : Color::whiteColor();
    double spoke = radius * 0.45, thickness = std::max(1.5, radius * 0.18);
    for (int i = 0; i < kSpokes; ++i) {
        // Spokes behind the brightest fade out, as a turning wheel leaves a trail.
        int age = (m_phase - i + kSpokes) % kSpokes;
        double alpha = 1.0 - age * 0.07;
        context.save();
        context.translate(b.midX(), b.midY());
        context.rotate(i * 2 * std::numbers::pi / kSpokes);
        context.fillRoundedRect(Rect(-thickness / 2, -radius, thickness, spoke), thickness / 2, base.withAlpha(alpha));
        context.restore();
    }
}

}
