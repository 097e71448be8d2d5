#include "framework/ui/KRActionView.h"

void KRActionView::setHighlighted(bool highlighted)
{
    pf::Control::setHighlighted(highlighted);
    setLayerMaskColor(highlighted ? std::optional<pf::Color>(m_maskColor.value_or(pf::Color::white(1, 0.8)))
                                  : std::nullopt);
}
