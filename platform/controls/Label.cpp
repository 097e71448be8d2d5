#include "platform/controls/Label.h"

namespace pf {

Label::Label(const Rect& frame)
    : View(frame)
{
}

void Label::setText(const std::string& text)
{
    if (m_text == text)
        return;
    m_text = text;
    setNeedsDisplay();
}

void Label::setFont(const Font& font)
{
    m_style.font = font;
    setNeedsDisplay();
}

void Label::setTextColor(const Color& color)
{
    m_style.color = color;
    setNeedsDisplay();
}

void Label::setTextAlignment(TextAlignment alignment)
{
    m_style.alignment = alignment;
    setNeedsDisplay();
}

void Label::setNumberOfLines(int lines)
{
    m_style.numberOfLines = lines < 0 ? 0 : lines;
    setNeedsDisplay();
}

void Label::setLineBreakMode(LineBreakMode mode)
{
    m_style.lineBreak = mode;
    setNeedsDisplay();
}

Size Label::sizeThatFits(Size size) const
{
    if (m_text.empty())
        return {};
    const TextMeasurer& measurer = m_measurer ? *m_measurer : TextMeasurer::system();
    return measurer.measure(m_text, m_style, m_style.numberOfLines == 1 ? 0 : size.width);
}

void Label::draw(GraphicsContext& context, const Rect&)
{
    // A label centres its lines vertically, as a one-line label in a taller
    // box is expected to look.
    const TextMeasurer& measurer = m_measurer ? *m_measurer : TextMeasurer::system();
    Size used = measurer.measure(m_text, m_style, bounds().width());
    double top = used.height < bounds().height() ? (bounds().height() - used.height) / 2 : 0;
    drawText(context, m_text, Rect(0, top, bounds().width(), bounds().height() - top), m_style);
}

}
