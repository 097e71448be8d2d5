#include "platform/controls/ImageView.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"

namespace pf {

ImageView::ImageView(const Rect& frame)
    : View(frame)
{
    setUserInteractionEnabled(false);
}

ImageView::ImageView(ImageRef image)
    : View(image ? Rect({}, image->size()) : Rect())
    , m_image(std::move(image))
{
    setUserInteractionEnabled(false);
}

void ImageView::setImage(const ImageRef& image)
{
    if (m_image == image)
        return;
    m_image = image;
    setNeedsDisplay();
}

void ImageView::setHighlightedImage(const ImageRef& image)
{
    if (m_highlightedImage == image)
        return;
    m_highlightedImage = image;
    if (m_highlighted)
        setNeedsDisplay();
}

void ImageView::setHighlighted(bool highlighted)
{
    if (m_highlighted == highlighted)
        return;
    m_highlighted = highlighted;
    if (m_highlightedImage)
        setNeedsDisplay();
}

void ImageView::setContentMode(ImageGravity mode)
{
    m_options.gravity = mode;
    setNeedsDisplay();
}

void ImageView::setImageContentsRect(const Rect& rect)
{
    if (m_options.contentsRect == rect)
        return;
    m_options.contentsRect = rect;
    setNeedsDisplay();
}

Size ImageView::sizeThatFits(Size) const
{
    return m_image ? m_image->size() : Size{};
}

bool ImageView::drawsContent() const
{
    return m_image || (m_highlighted && m_highlightedImage);
}

void ImageView::draw(GraphicsContext& context, const Rect&)
{
    const ImageRef& shown = m_highlighted && m_highlightedImage ? m_highlightedImage : m_image;
    if (shown && shown->bitmap())
        context.drawImage(*shown->bitmap(), bounds(), m_options);
}

}
