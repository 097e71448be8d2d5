#include "platform/controls/ImageView.h"

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
    show();
}

void ImageView::show()
{
    setContents(m_highlighted && m_highlightedImage ? m_highlightedImage : m_image);
}

void ImageView::setImage(const ImageRef& image)
{
    if (m_image == image)
        return;
    m_image = image;
    show();
}

void ImageView::setHighlightedImage(const ImageRef& image)
{
    m_highlightedImage = image;
    show();
}

void ImageView::setHighlighted(bool highlighted)
{
    m_highlighted = highlighted;
    show();
}

Size ImageView::sizeThatFits(Size) const
{
    return m_image ? m_image->size() : Size{};
}

}
