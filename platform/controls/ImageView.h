#pragma once

// A view that shows a picture (the first frame of an animated one) as its
// contents, placed by its content mode; a highlighted image, when set,
// replaces it while highlighted. Without a picture it shows only its
// background.
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
    ImageGravity contentMode() const { return contentsGravity(); }
    void setContentMode(ImageGravity mode) { setContentsGravity(mode); }

    // The picture's size in points; nothing without a picture.
    Size sizeThatFits(Size size) const override;

private:
    void show();

    ImageRef m_image;
    ImageRef m_highlightedImage;
    bool m_highlighted = false;
};

}
