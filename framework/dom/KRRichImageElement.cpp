#include "framework/dom/KRRichImageElement.h"

#include "framework/dom/KRDOMImageElement.h"
#include "framework/dom/KRGeometry.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

#include <algorithm>

namespace {

double sanitized(double v) { return std::max(0.0, krClampFinite(v)); }

}

void KRRichImageElement::setSize(pf::Size size)
{
    m_width = sanitized(size.width);
    m_ascent = sanitized(size.height);
    m_descent = 0;
}

void KRRichImageElement::drawRect(const pf::Rect& rect, pf::GraphicsContext& context)
{
    pf::ImageRef picture;
    if (auto element = std::dynamic_pointer_cast<KRDOMImageElement>(userInfo()))
        picture = element->image();
    if (!picture)
        picture = m_image;
    if (picture && picture->bitmap())
        context.drawImage(*picture->bitmap(), rect);
}
