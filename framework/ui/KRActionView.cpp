#include "framework/ui/KRActionView.h"

#include "platform/graphics/Bitmap.h"

#include <algorithm>
#include <cmath>

void KRActionView::setMaskColor(const std::optional<pf::Color>& color)
{
    m_maskColor = color;
}

void KRActionView::setHighlighted(bool highlighted)
{
    pf::Control::setHighlighted(highlighted);
    if (!highlighted) {
        setMaskImage(nullptr);
        return;
    }
    pf::Color colour = m_maskColor.value_or(pf::Color::white(1, 0.8));
    int width = std::max(1, static_cast<int>(std::ceil(bounds().width())));
    int height = std::max(1, static_cast<int>(std::ceil(bounds().height())));
    if (!m_mask || m_maskMadeFor != colour || m_mask->pixelWidth() != width || m_mask->pixelHeight() != height) {
        // As large as the bounds at the press: a smaller mask stretched over
        // them would fade towards its edges.
        auto bitmap = pf::Bitmap::create(width, height);
        if (!bitmap)
            return;
        bitmap.value()->fill(colour);
        m_mask = bitmap.value();
        m_maskMadeFor = colour;
    }
    setMaskImage(m_mask);
}
