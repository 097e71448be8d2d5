#pragma once

// An inline picture of a rich text. Setting the size (w, h) makes it w wide
// and h high on the baseline (no descent). When its user information is an
// image element, the picture drawn is that element's current one, so a
// picture that arrives after the text was built still shows; the element's
// own image stands in while the image element has none.

#include "framework/dom/KRRichElement.h"

class KRRichImageElement final : public KRRichElement, public IKRRichDrawElement {
public:
    const pf::ImageRef& image() const { return m_image; }
    void setImage(pf::ImageRef image) { m_image = std::move(image); }
    pf::Size size() const { return {m_width, m_ascent + m_descent}; }
    void setSize(pf::Size size);

    double width() const override { return m_width; }
    double ascent() const override { return m_ascent; }
    double descent() const override { return m_descent; }
    void drawRect(const pf::Rect& rect, pf::GraphicsContext& context) override;

private:
    pf::ImageRef m_image;
    double m_width = 0;
    double m_ascent = 0;
    double m_descent = 0;
};
