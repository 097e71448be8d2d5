#pragma once

// A toolbar that draws a background image stretched over the bar, above the
// bar's own background. Setting the image it already has asks for no redraw.
//
// Main queue only.

#include "platform/controls/Toolbar.h"

class KRToolbar : public pf::Toolbar {
public:
    explicit KRToolbar(const pf::Rect& frame = pf::Rect(0, 0, 320, 44)) : pf::Toolbar(frame) {}

    const pf::ImageRef& backgroundImage() const { return m_backgroundImage; }
    void setBackgroundImage(const pf::ImageRef& image);
    bool drawsContent() const override { return m_backgroundImage != nullptr; }
    void draw(pf::GraphicsContext& context, const pf::Rect& rect) override;

private:
    pf::ImageRef m_backgroundImage;
};
