#include "framework/dom/KRRichViewElement.h"

#include "framework/dom/KRDOMViewElement.h"
#include "framework/dom/KRGeometry.h"

#include <algorithm>

namespace {

double sanitized(double v) { return std::max(0.0, krClampFinite(v)); }

}

void KRRichViewElement::setSize(pf::Size size)
{
    m_width = sanitized(size.width);
    m_ascent = sanitized(size.height);
    m_descent = 0;
}

pf::ViewRef KRRichViewElement::view() const
{
    if (auto element = std::dynamic_pointer_cast<KRDOMViewElement>(userInfo()))
        return element->view();
    return m_view;
}
