#include "platform/controls/TextField.h"

#include "platform/controls/Keyboard.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/ui/Touch.h"

#include <algorithm>

namespace pf {

namespace {
constexpr double kInset = 6;

std::weak_ptr<TextField>& editing()
{
    static std::weak_ptr<TextField> field;
    return field;
}

// A bullet per character, as a password field shows.
std::string bullets(std::size_t count)
{
    std::string out;
    for (std::size_t i = 0; i < count; ++i)
        out += "\u2022";
    return out;
}
}

TextField::TextField(const Rect& frame)
    : Control(frame)
    , TextEditing(static_cast<View&>(*this))
{
}

TextField::~TextField() = default;

void TextField::setDelegateObject(const ObjectRef& delegate)
{
    m_delegateObject = delegate;
    m_delegate = std::dynamic_pointer_cast<TextFieldDelegate>(delegate);
}

void TextField::setDelegate(const std::shared_ptr<TextFieldDelegate>& delegate)
{
    m_delegate = delegate;
    m_delegateObject = std::dynamic_pointer_cast<Object>(delegate);
}

void TextField::setText(const std::string& text)
{
    m_buffer.setText(text);
    setNeedsDisplay();
}

void TextField::setPlaceholder(const std::string& placeholder)
{
    m_placeholder = placeholder;
    setNeedsDisplay();
}

void TextField::setFont(const Font& font)
{
    m_style.font = font;
    setNeedsDisplay();
}

void TextField::setTextColor(const Color& color)
{
    m_style.color = color;
    setNeedsDisplay();
}

void TextField::setTextAlignment(TextAlignment alignment)
{
    m_style.alignment = alignment;
    setNeedsDisplay();
}

void TextField::setBorderStyle(TextBorderStyle style)
{
    m_borderStyle = style;
    setNeedsDisplay();
}

void TextField::setSecureTextEntry(bool secure)
{
    m_secure = secure;
    setNeedsDisplay();
}

std::shared_ptr<TextField> TextField::editingField()
{
    return editing().lock();
}

void TextField::reloadInputViews()
{
    if (isEditing())
        Keyboard::shared().show(inputView());
}

bool TextField::beginEditing()
{
    return beginTextEditing();
}

bool TextField::endEditing(bool force)
{
    return endTextEditing(force);
}

bool TextField::shouldBeginEditing()
{
    auto delegate = m_delegate.lock();
    if (delegate && !delegate->textFieldShouldBeginEditing(*this))
        return false;
    auto other = editing().lock();
    return !other || other.get() == this || other->endEditing();
}

void TextField::editingStarted()
{
    editing() = std::static_pointer_cast<TextField>(self());
}

void TextField::didBeginEditing()
{
    if (auto delegate = m_delegate.lock())
        delegate->textFieldDidBeginEditing(*this);
    sendActionsForControlEvents(ControlEvent::EditingDidBegin);
}

bool TextField::shouldEndEditing()
{
    auto delegate = m_delegate.lock();
    return !delegate || delegate->textFieldShouldEndEditing(*this);
}

void TextField::editingStopped()
{
    if (editing().lock().get() == this)
        editing().reset();
}

void TextField::didEndEditing()
{
    if (auto delegate = m_delegate.lock())
        delegate->textFieldDidEndEditing(*this);
    sendActionsForControlEvents(ControlEvent::EditingDidEnd);
}

bool TextField::canBecomeFirstResponder() const
{
    return isEnabled();
}

bool TextField::shouldChangeText(TextRange range, const std::string& text)
{
    auto delegate = m_delegate.lock();
    return !delegate || delegate->textFieldShouldChangeCharactersInRange(*this, range, text);
}

void TextField::textChanged()
{
    setNeedsDisplay();
    sendActionsForControlEvents(ControlEvent::EditingChanged);
}

void TextField::insertText(const std::string& utf8)
{
    if (!isEditing() || !isValidUtf8(utf8))
        return;
    if (utf8 == "\n") {
        auto keep = self();
        auto delegate = m_delegate.lock();
        m_buffer.setMarkedText({});
        if (!delegate || delegate->textFieldShouldReturn(*this))
            sendActionsForControlEvents(ControlEvent::EditingDidEndOnExit);
        setNeedsDisplay();
        return;
    }
    // One line: line breaks inside pasted or committed text are dropped.
    std::string text = utf8;
    std::erase_if(text, [](char c) { return c == '\n' || c == '\r'; });
    insertEditedText(text);
}

void TextField::deleteBackward()
{
    deleteEditedBackward();
}

void TextField::setMarkedText(const std::string& utf8)
{
    std::string text = utf8;
    std::erase_if(text, [](char c) { return c == '\n' || c == '\r'; });
    setEditedMarkedText(text);
}

void TextField::moveCaretLeft()
{
    if (m_buffer.moveCaretLeft())
        setNeedsDisplay();
}

void TextField::moveCaretRight()
{
    if (m_buffer.moveCaretRight())
        setNeedsDisplay();
}

std::string TextField::shownText() const
{
    if (m_secure)
        return bullets(utf16Length(m_buffer.text())) + m_buffer.markedText();
    return m_buffer.displayText();
}

Rect TextField::textRect() const
{
    return bounds().insetBy(kInset, 0);
}

Rect TextField::caretRect() const
{
    const TextMeasurer& measurer = TextMeasurer::system();
    std::string shown = shownText();
    std::size_t caret = m_buffer.caret() + utf16Length(m_buffer.markedText());
    std::string before = utf16Substring(shown, 0, caret);
    Rect box = textRect();
    Size lineSize = measurer.measure(shown.empty() ? "A" : shown, m_style, 0);
    double x = measurer.measure(before, m_style, 0).width;
    if (m_style.alignment == TextAlignment::Center)
        x += (box.width() - lineSize.width) / 2;
    else if (m_style.alignment == TextAlignment::Right)
        x += box.width() - lineSize.width;
    return Rect(box.x() + x, box.y() + (box.height() - lineSize.height) / 2, 2, lineSize.height);
}

void TextField::draw(GraphicsContext& context, const Rect&)
{
    Rect b = bounds();
    if (m_borderStyle == TextBorderStyle::RoundedRect) {
        context.fillRoundedRect(b, 6, Color::whiteColor());
        context.strokeRoundedRect(b.insetBy(0.5, 0.5), 6, Color::white(0.75), 1);
    } else if (m_borderStyle != TextBorderStyle::None) {
        context.strokeRect(b.insetBy(0.5, 0.5), Color::white(0.4), 1);
    }
    std::string shown = shownText();
    Rect box = textRect();
    const TextMeasurer& measurer = TextMeasurer::system();
    if (shown.empty() && !m_placeholder.empty()) {
        TextStyle placeholder = m_style;
        placeholder.color = Color::white(0.7);
        Size s = measurer.measure(m_placeholder, placeholder, 0);
        drawText(context, m_placeholder, Rect(box.x(), box.y() + (box.height() - s.height) / 2, box.width(), s.height),
                 placeholder);
    } else if (!shown.empty()) {
        Size s = measurer.measure(shown, m_style, 0);
        drawText(context, shown, Rect(box.x(), box.y() + (box.height() - s.height) / 2, box.width(), s.height), m_style);
    }
    if (!isEditing())
        return;
    Rect caret = caretRect();
    if (m_buffer.hasMarkedText()) {
        // The composition is underlined from its start to the caret.
        double width = measurer.measure(m_buffer.markedText(), m_style, 0).width;
        context.fillRect(Rect(caret.x() - width, caret.maxY() - 1, width, 1), m_style.color);
    }
    context.fillRect(caret, Color::fromRgbHex(0x007aff));
}

void TextField::touchesEnded(const TouchSet& touches)
{
    bool inside = isTracking() && !touches.empty() && isTouchInside(touches.front()->locationInView(this));
    auto keep = self();
    Control::touchesEnded(touches);
    if (inside)
        beginEditing();
}

std::string TextField::textContent() const
{
    return m_buffer.text().empty() ? m_placeholder : (m_secure ? bullets(utf16Length(m_buffer.text())) : m_buffer.text());
}

}
