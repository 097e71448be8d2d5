#pragma once

// A plain view that shows one rich text: it draws the text into its bounds
// (unflipped, top left at the origin) and places the views of the text's
// view elements over their boxes, as its own subviews. No touches, no
// delegate. A view element's view belongs to one rich view at a time:
// replacing the rich text takes the old views off first.
//
// Main queue only; made with create() like every view.

#include "platform/ui/View.h"

#include <memory>

class KRRich;

class KRRichView : public pf::View {
public:
    static std::shared_ptr<KRRichView> create(const pf::Rect& frame = {});
    using pf::View::View;

    const std::shared_ptr<KRRich>& rich() const { return m_rich; }
    // Nothing when unchanged.
    void setRich(std::shared_ptr<KRRich> rich);
    // Frames and adds the views of the view elements.
    void handleViewElements();

    bool drawsContent() const override { return m_rich != nullptr; }
    void draw(pf::GraphicsContext& context, const pf::Rect& rect) override;
    // Boxes move with the width, so the views are placed again.
    void layoutSubviews() override;

private:
    std::shared_ptr<KRRich> m_rich;
};
