#include "framework/ui/KRToolbar.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

namespace {
void drawStretched(pf::GraphicsContext& context, const pf::ImageRef& image, const pf::Rect& rect)
{
    if (image && image->bitmap())
        context.drawImage(*image->bitmap(), rect);
}
}

void KRToolbar::setBackgroundImage(const pf::ImageRef& image)
{
    if (image == m_backgroundImage)
        return;
    m_backgroundImage = image;
    setNeedsDisplay();
}

void KRToolbar::draw(pf::GraphicsContext& context, const pf::Rect&)
{
    drawStretched(context, m_backgroundImage, bounds());
}
