#pragma once

// A bar (a toolbar, a navigation bar) that draws a background image
// stretched over itself, above the bar's own background. Setting the image
// it already has asks for no redraw.
//
// Main queue only.

#include "platform/graphics/Forward.h"
#include "platform/graphics/Geometry.h"

// Draws `image` stretched over `rect`; nothing without an image.
void KRDrawStretchedImage(pf::GraphicsContext& context, const pf::ImageRef& image, const pf::Rect& rect);

template <class Bar>
class KRBackgroundImageBar : public Bar {
public:
    using Bar::Bar;

    const pf::ImageRef& backgroundImage() const { return m_backgroundImage; }
    void setBackgroundImage(const pf::ImageRef& image)
    {
        if (image == m_backgroundImage)
            return;
        m_backgroundImage = image;
        this->setNeedsDisplay();
    }
    bool drawsContent() const override { return m_backgroundImage != nullptr; }
    void draw(pf::GraphicsContext& context, const pf::Rect&) override
    {
        KRDrawStretchedImage(context, m_backgroundImage, this->bounds());
    }

private:
    pf::ImageRef m_backgroundImage;
};
