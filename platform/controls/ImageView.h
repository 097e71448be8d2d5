#pragma once

// A view that shows a picture (the first frame of an animated one), placed
// by its content mode. Without a picture it draws only its background.
//
// Main thread only.

#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/View.h"

namespace pf {

class ImageView : public View {
public:
    explicit ImageView(const Rect& frame = {});
    explicit ImageView(ImageRef image);

    const ImageRef& image() const { return m_image; }
    virtual void setImage(const ImageRef& image);
    const ImageRef& highlightedImage() const { return m_highlightedImage; }
    void setHighlightedImage(const ImageRef& image);
    bool isHighlighted() const { return m_highlighted; }
    void setHighlighted(bool highlighted);

    // Stretched to the bounds by default.
    ImageGravity contentMode() const { return m_options.gravity; }
    void setContentMode(ImageGravity mode);
    // The part of the picture shown, in unit coordinates of the picture.
    const Rect& imageContentsRect() const { return m_options.contentsRect; }
    void setImageContentsRect(const Rect& rect);

    // The picture's size in points; nothing without a picture.
    Size sizeThatFits(Size size) const override;
    bool drawsContent() const override;
    void draw(GraphicsContext& context, const Rect& rect) override;

private:
    ImageRef m_image;
    ImageRef m_highlightedImage;
    bool m_highlighted = false;
    ImageDrawOptions m_options;
};

}
