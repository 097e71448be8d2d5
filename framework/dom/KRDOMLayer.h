#pragma once

// A picture placed over a document view's drawing: a background colour, a
// corner radius and, when given, an image shown with a gravity. Elements use
// it for their highlights. It never takes touches, so the touches under it
// still reach the document view.
//
// Main queue only; made with create() like every view.

#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/View.h"

#include <optional>
#include <string_view>

class KRDOMLayer : public pf::View {
public:
    static std::shared_ptr<KRDOMLayer> create();
    KRDOMLayer();

    // The image shown; null for none.
    const pf::BitmapRef& contents() const { return m_contents; }
    void setContents(pf::BitmapRef contents);
    // The part of the image shown, in unit coordinates of the image.
    const pf::Rect& contentsRect() const { return m_contentsRect; }
    void setContentsRect(const pf::Rect& rect);
    pf::ImageGravity contentsGravity() const { return m_contentsGravity; }
    void setContentsGravity(pf::ImageGravity gravity);

    // The gravity that a markup placement word selects: "center", "resize",
    // "top", "bottom", "left", "right", "topleft", "topright", "bottomleft",
    // "bottomright", "aspect"; anything else, or none, is aspect fill.
    static pf::ImageGravity gravityForName(std::optional<std::string_view> name);

    bool drawsContent() const override { return m_contents != nullptr; }
    void draw(pf::GraphicsContext& context, const pf::Rect& rect) override;
    pf::ViewRef hitTest(pf::Point) override { return nullptr; }

private:
    pf::BitmapRef m_contents;
    pf::Rect m_contentsRect{0, 0, 1, 1};
    pf::ImageGravity m_contentsGravity = pf::ImageGravity::Resize;
};
