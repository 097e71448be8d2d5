// A view's appearance: alpha, visibility, background colour or pattern,
// clipping, corners, border, mask, shadow, the contents picture and the
// mask colour.

#include "platform/graphics/Image.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewShadow.h"

#include <algorithm>
#include <cmath>

namespace pf {

namespace {

double finiteOr(double v, double fallback) { return std::isfinite(v) ? v : fallback; }

// Points; the blur itself stops at a smaller reach on screens of scale 1.
constexpr double kMaxShadowRadius = 100;

}

// Appearance ------------------------------------------------------------------

void View::setAlpha(double alpha)
{
    alpha = std::clamp(finiteOr(alpha, 1), 0.0, 1.0);
    if (alpha == m_alpha)
        return;
    double old = m_alpha;
    m_alpha = alpha;
    Animator::shared().propertyChanged(*this, AnimatedProperty::Alpha, old);
    invalidateVisual();
}

void View::setHidden(bool hidden)
{
    if (hidden == m_hidden)
        return;
    invalidateVisual();
    m_hidden = hidden;
    invalidateVisual();
}

void View::setBackgroundColor(std::optional<Color> color)
{
    if (m_backgroundPattern) {
        m_backgroundPattern = nullptr;
        invalidateVisual();
    }
    if (color == m_backgroundColor)
        return;
    Color old = m_backgroundColor.value_or(Color::clear());
    m_backgroundColor = color;
    Animator::shared().propertyChanged(*this, AnimatedProperty::BackgroundColor, old);
    invalidateVisual();
}

void View::setBackgroundPattern(ImageRef image)
{
    if (image == m_backgroundPattern)
        return;
    // The compositor draws the pattern in place of any colour still animating.
    m_backgroundColor.reset();
    m_backgroundPattern = std::move(image);
    invalidateVisual();
}

void View::shadowChanged(const std::function<void()>& change)
{
    invalidateVisual();
    change();
    invalidateVisual();
}

void View::setShadowColor(const Color& color)
{
    if (color != m_shadowColor)
        shadowChanged([&] { m_shadowColor = color; });
}

void View::setShadowOpacity(double opacity)
{
    opacity = std::clamp(finiteOr(opacity, 0), 0.0, 1.0);
    if (opacity != m_shadowOpacity)
        shadowChanged([&] { m_shadowOpacity = opacity; });
}

void View::setShadowOffset(Size offset)
{
    offset = {finiteOr(offset.width, 0), finiteOr(offset.height, 0)};
    if (offset != m_shadowOffset)
        shadowChanged([&] { m_shadowOffset = offset; });
}

void View::setShadowRadius(double radius)
{
    // A radius past the blur's reach would only cost memory.
    radius = std::clamp(finiteOr(radius, 0), 0.0, kMaxShadowRadius);
    if (radius != m_shadowRadius)
        shadowChanged([&] { m_shadowRadius = radius; });
}

Rect View::shadowRect() const
{
    if (m_shadowOpacity <= 0 || m_shadowColor.alpha <= 0 || m_bounds.isEmpty())
        return {};
    double pad = ViewShadow::outset(m_shadowRadius);
    return m_bounds.offsetBy(m_shadowOffset.width, m_shadowOffset.height).insetBy(-pad, -pad);
}

void View::setClipsToBounds(bool clips)
{
    if (clips == m_clipsToBounds)
        return;
    invalidateVisual();
    m_clipsToBounds = clips;
    invalidateVisual();
}

void View::setCornerRadius(double radius)
{
    m_cornerRadius = std::max(finiteOr(radius, 0), 0.0);
    invalidateVisual();
}

void View::setBorderWidth(double width)
{
    m_borderWidth = std::max(finiteOr(width, 0), 0.0);
    invalidateVisual();
}

void View::setBorderColor(const Color& color)
{
    m_borderColor = color;
    invalidateVisual();
}

void View::setMaskImage(BitmapRef mask)
{
    m_maskImage = std::move(mask);
    invalidateVisual();
}

void View::setContents(ImageRef image)
{
    if (image == m_contents)
        return;
    m_contents = std::move(image);
    invalidateVisual();
}

void View::setContentsRect(const Rect& rect)
{
    Rect r = rect;
    if (!std::isfinite(r.x()) || !std::isfinite(r.y()) || !std::isfinite(r.width()) || !std::isfinite(r.height()))
        r = {0, 0, 1, 1};
    if (r == m_contentsRect)
        return;
    m_contentsRect = r;
    invalidateVisual();
}

void View::setContentsGravity(ImageGravity gravity)
{
    if (gravity == m_contentsGravity)
        return;
    m_contentsGravity = gravity;
    invalidateVisual();
}

void View::setLayerMaskColor(std::optional<Color> color)
{
    if (color == m_layerMaskColor)
        return;
    beginChange(AnimatedProperty::LayerMaskColor);
    Color old = m_layerMaskColor.value_or(Color::black());
    m_layerMaskColor = color;
    Animator::shared().propertyChanged(*this, AnimatedProperty::LayerMaskColor, old);
    invalidateVisual();
}

}
