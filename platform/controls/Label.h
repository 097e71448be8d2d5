#pragma once

// A view that draws one text in one style. Without a text it draws nothing.
//
// Main thread only.

#include "platform/graphics/Text.h"
#include "platform/ui/View.h"

#include <string>

namespace pf {

class Label : public View {
public:
    explicit Label(const Rect& frame = {});

    const std::string& text() const { return m_text; }
    void setText(const std::string& text);
    const Font& font() const { return m_style.font; }
    void setFont(const Font& font);
    const Color& textColor() const { return m_style.color; }
    void setTextColor(const Color& color);
    TextAlignment textAlignment() const { return m_style.alignment; }
    void setTextAlignment(TextAlignment alignment);
    // 1 by default; 0 for as many lines as the text needs.
    int numberOfLines() const { return m_style.numberOfLines; }
    void setNumberOfLines(int lines);
    LineBreakMode lineBreakMode() const { return m_style.lineBreak; }
    void setLineBreakMode(LineBreakMode mode);
    const TextStyle& textStyle() const { return m_style; }

    // Measuring goes through this measurer (the system one unless set), so
    // layout tests can use fixed metrics.
    void setTextMeasurer(const TextMeasurer* measurer) { m_measurer = measurer; }

    Size sizeThatFits(Size size) const override;
    bool drawsContent() const override { return !m_text.empty(); }
    void draw(GraphicsContext& context, const Rect& rect) override;
    std::string textContent() const override { return m_text; }

private:
    std::string m_text;
    TextStyle m_style{Font::system(17), Color::black(), TextAlignment::Left, LineBreakMode::TruncateTail, 1, 0};
    const TextMeasurer* m_measurer = nullptr;
};

}
