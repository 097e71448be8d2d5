#include "platform/controls/TextView.h"

#include "platform/foundation/Text.h"
#include "platform/graphics/GraphicsContext.h"

#include <algorithm>

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
    // Placed in the drawn layout, so on a wrapped line it ends that line's
    // text rather than falling short by the room left at the line's end.
    double width = std::max(1.0, bounds().width() - 2 * kInset);
    std::size_t index = m_buffer.caret() + utf16Length(m_buffer.markedText());
    Rect at = caretRectInText(m_buffer.displayText(), m_style, width, index);
    return Rect(kInset + at.x(), kInset + at.y(), 2, at.height());
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
