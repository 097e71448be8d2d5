#pragma once

// A navigation bar that draws a background image stretched over the bar, above the
// bar's own background. Setting the image it already has asks for no redraw.
//
// Main queue only.

#include "platform/controls/NavigationBar.h"

class KRNavigationBar : public pf::NavigationBar {
public:
    explicit KRNavigationBar(const pf::Rect& frame = pf::Rect(0, 0, 320, 44)) : pf::NavigationBar(frame) {}

    const pf::ImageRef& backgroundImage() const { return m_backgroundImage; }
    void setBackgroundImage(const pf::ImageRef& image);
    bool drawsContent() const override { return m_backgroundImage != nullptr; }
    void draw(pf::GraphicsContext& context, const pf::Rect& rect) override;

private:
    pf::ImageRef m_backgroundImage;
};
