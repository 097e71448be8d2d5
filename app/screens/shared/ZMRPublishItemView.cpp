#include "app/screens/shared/ZMRPublishItemView.h"

void ZMRPublishItemView::toBegin() { place(m_fromRight, m_fromBottom, m_fromAngle); }

void ZMRPublishItemView::toEnd() { place(m_toRight, m_toBottom, m_toAngle); }

void ZMRPublishItemView::place(double right, double bottom, double angle)
{
    auto menu = superview();
    if (!menu)
        return;
    pf::Size area = menu->bounds().size;
    double width = m_size.width, height = m_size.height;
    // The place is the frame under no turn; the turn is about its centre,
    // so centre and bounds are set rather than a frame the turn would skew.
    setBounds({0, 0, width, height});
    setCenter({area.width - width - right + width / 2, area.height - height - bottom + height / 2});
    setTransform(angle == 0 ? pf::AffineTransform::identity() : pf::AffineTransform::rotation(angle * 3.1415927 / 180));
}
