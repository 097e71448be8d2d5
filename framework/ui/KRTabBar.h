#pragma once

// A tab bar that draws a background image stretched over the bar, under its
// items. Setting the image it already has asks for no redraw. The selected
// index is that of the selected item (NotFound without one); an index past
// the last item selects nothing new.
//
// Main queue only.

#include "platform/controls/TabBar.h"

class KRTabBar : public pf::TabBar {
public:
    static constexpr unsigned NotFound = unsigned(-1);

    explicit KRTabBar(const pf::Rect& frame = pf::Rect(0, 0, 320, 49)) : pf::TabBar(frame) {}

    const pf::ImageRef& backgroundImage() const { return m_backgroundImage; }
    void setBackgroundImage(const pf::ImageRef& image);
    unsigned selectedIndex() const;
    void setSelectedIndex(unsigned index);

    bool drawsContent() const override { return m_backgroundImage || pf::TabBar::drawsContent(); }
    void draw(pf::GraphicsContext& context, const pf::Rect& rect) override;

private:
    pf::ImageRef m_backgroundImage;
};
