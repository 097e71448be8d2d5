#include "framework/ui/KRLayoutData.h"

#include "platform/ui/View.h"

#include <cmath>
#include <cstdlib>

namespace {

// One axis of the frame: origin and length, given the near and far edge
// rules, the fixed length and the area's extent.
void place(double& origin, double& length, const pf::Value& near, const pf::Value& far, const pf::Value& fixed,
           double extent)
{
    if (fixed) {
        length = KRLayoutData::valueOfBase(fixed, extent);
        if (near)
            origin = KRLayoutData::valueOfBase(near, extent);
        else if (far)
            origin = extent - KRLayoutData::valueOfBase(far, extent) - length;
        else
            origin = (extent - length) / 2;
    } else if (near && far) {
        origin = KRLayoutData::valueOfBase(near, extent);
        length = extent - origin - KRLayoutData::valueOfBase(far, extent);
    }
}

}

double KRLayoutData::valueOfBase(const pf::Value& value, double base)
{
    double result = 0;
    if (value.isString()) {
        std::string text = value.stringValue().value_or("");
        const char* start = text.c_str();
        char* end = nullptr;
        double number = std::strtod(start, &end);
        if (end == start)
            number = 0;
        result = !text.empty() && text.back() == '%' ? base * number / 100 : number;
    } else if (value.isNumber()) {
        result = value.doubleValue();
    }
    return std::isfinite(result) ? result : 0;
}

pf::Rect KRLayoutData::frameOfSize(pf::Size size, pf::Point areaOrigin) const
{
    pf::Rect frame = m_view ? m_view->frame() : pf::Rect();
    frame.origin = frame.origin - areaOrigin;
    if (m_view && (m_widthToFit || m_heightToFit)) {
        if (m_widthToFit)
            frame.size.width = valueOfBase(m_minWidth, size.width);
        if (m_heightToFit)
            frame.size.height = valueOfBase(m_minHeight, size.height);
        m_view->setFrame({frame.origin + areaOrigin, frame.size});
        m_view->sizeToFit();
        frame = m_view->frame();
        frame.origin = frame.origin - areaOrigin;
        if (m_maxWidth && frame.size.width > valueOfBase(m_maxWidth, size.width))
            frame.size.width = valueOfBase(m_maxWidth, size.width);
        if (m_maxHeight && frame.size.height > valueOfBase(m_maxHeight, size.height))
            frame.size.height = valueOfBase(m_maxHeight, size.height);
    }
    place(frame.origin.x, frame.size.width, m_left, m_right, m_width, size.width);
    place(frame.origin.y, frame.size.height, m_top, m_bottom, m_height, size.height);
    return frame;
}
