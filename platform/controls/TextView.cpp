#include "platform/controls/TextView.h"

#include "platform/foundation/Text.h"
#include "platform/graphics/GraphicsContext.h"

#include <algorithm>
#include <cmath>

namespace pf {

namespace {
constexpr double kInset = 8;
}

TextView::TextView(const Rect& frame)
    : ScrollView(frame)
    , TextEditing(static_cast<View&>(*this))
{
    setBackgroundColor(Color::whiteColor());
    setAlwaysBounceVertical(true);
}

std::shared_ptr<TextViewDelegate> TextView::textDelegate() const
{
    return std::dynamic_pointer_cast<TextViewDelegate>(delegate());
}

void TextView::setText(const std::string& text)
{
    m_buffer.setText(text);
    updateContentSize();
    setNeedsDisplay();
}

void TextView::setFont(const Font& font)
{
    m_style.font = font;
    updateContentSize();
    setNeedsDisplay();
}

void TextView::setTextColor(const Color& color)
{
    m_style.color = color;
    setNeedsDisplay();
}

void TextView::setEditable(bool editable)
{
    m_editable = editable;
    if (!editable)
        endEditing(true);
}

bool TextView::beginEditing()
{
    return beginTextEditing();
}

bool TextView::endEditing(bool force)
{
    return endTextEditing(force);
}

bool TextView::shouldBeginEditing()
{
    auto delegate = textDelegate();
    return !delegate || delegate->textViewShouldBeginEditing(*this);
}

void TextView::didBeginEditing()
{
    if (auto delegate = textDelegate())
        delegate->textViewDidBeginEditing(*this);
}

bool TextView::shouldEndEditing()
{
    auto delegate = textDelegate();
    return !delegate || delegate->textViewShouldEndEditing(*this);
}

void TextView::didEndEditing()
{
    if (auto delegate = textDelegate())
        delegate->textViewDidEndEditing(*this);
}

bool TextView::canBecomeFirstResponder() const
{
    return m_editable;
}

bool TextView::shouldChangeText(TextRange range, const std::string& text)
{
    auto delegate = textDelegate();
    return !delegate || delegate->textViewShouldChangeTextInRange(*this, range, text);
}

void TextView::textChanged()
{
    updateContentSize();
    setNeedsDisplay();
    scrollRectToVisible(caretRect(), false);
    if (auto delegate = textDelegate())
        delegate->textViewDidChange(*this);
}

void TextView::insertText(const std::string& utf8)
{
    if (isEditing() && isValidUtf8(utf8))
        insertEditedText(utf8);
}

void TextView::deleteBackward()
{
    deleteEditedBackward();
}

void TextView::setMarkedText(const std::string& utf8)
{
    setEditedMarkedText(utf8);
}

Rect TextView::caretRect() const
{
    // The caret sits at the end of the wrapped text before it: the last
    // line's height and the width of that line's text.
    const TextMeasurer& measurer = TextMeasurer::system();
    double width = std::max(1.0, bounds().width() - 2 * kInset);
    std::string shown = m_buffer.displayText();
    std::string before = utf16Substring(shown, 0, m_buffer.caret() + utf16Length(m_buffer.markedText()));
    double lineHeight = measurer.measure("A", m_style, 0).height;
    Size upTo = measurer.measure(before.empty() ? "A" : before, m_style, width);
    std::size_t lineStart = before.rfind('\n');
    std::string lastLine = lineStart == std::string::npos ? before : before.substr(lineStart + 1);
    double x = lastLine.empty() ? 0 : std::fmod(measurer.measure(lastLine, m_style, 0).width, width);
    double y = before.empty() ? 0 : upTo.height - lineHeight;
    if (!before.empty() && before.back() == '\n')
        x = 0, y = upTo.height;
    return Rect(kInset + x, kInset + y, 2, lineHeight);
}

void TextView::updateContentSize()
{
    double width = std::max(1.0, bounds().width() - 2 * kInset);
    Size text = TextMeasurer::system().measure(m_buffer.displayText().empty() ? "A" : m_buffer.displayText(), m_style, width);
    // A caret after a final line break sits on a line the text does not measure.
    double bottom = std::max(text.height + kInset, caretRect().maxY());
    setContentSize({bounds().width(), bottom + kInset});
}

void TextView::setContentOffset(Point offset)
{
    ScrollView::setContentOffset(offset);
    // The drawing is kept per view; scrolled, it must follow the text.
    setNeedsDisplay();
}

void TextView::layoutSubviews()
{
    ScrollView::layoutSubviews();
    updateContentSize();
}

void TextView::draw(GraphicsContext& context, const Rect&)
{
    // Drawn in content coordinates: the drawing scrolls with the bounds' origin.
    Rect box(kInset, kInset, std::max(1.0, bounds().width() - 2 * kInset), std::max(contentSize().height, bounds().height()));
    drawText(context, m_buffer.displayText(), box, m_style);
    if (!isEditing())
        return;
    Rect caret = caretRect();
    if (m_buffer.hasMarkedText()) {
        double width = TextMeasurer::system().measure(m_buffer.markedText(), m_style, 0).width;
        context.fillRect(Rect(std::max(kInset, caret.x() - width), caret.maxY() - 1, width, 1), m_style.color);
    }
    context.fillRect(caret, Color::fromRgbHex(0x007aff));
}

void TextView::touchesEnded(const TouchSet& touches)
{
    ScrollView::touchesEnded(touches);
    beginEditing();
}

}
