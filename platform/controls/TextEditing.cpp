#include "platform/controls/TextEditing.h"

#include "platform/controls/Keyboard.h"
#include "platform/ui/View.h"

namespace pf {

bool TextEditing::beginTextEditing()
{
    if (m_editing)
        return true;
    if (!canEdit())
        return false;
    auto keep = m_control.weak_from_this().lock();
    if (!shouldBeginEditing())
        return false;
    m_editing = true;
    editingStarted();
    // Key events come through the window's first responder; outside a
    // window (no keys to take) the control still edits by code.
    m_control.becomeFirstResponder();
    Keyboard::shared().show(m_inputView);
    m_control.setNeedsDisplay();
    didBeginEditing();
    return true;
}

bool TextEditing::endTextEditing(bool force)
{
    if (!m_editing)
        return true;
    auto keep = m_control.weak_from_this().lock();
    if (!force && !shouldEndEditing())
        return false;
    m_editing = false;
    m_buffer.setMarkedText({}); // an unfinished composition is dropped
    editingStopped();
    if (m_control.isFirstResponder())
        m_control.resignFirstResponder();
    // The next control's beginning shows the keyboard again before this slide ends.
    Keyboard::shared().hide();
    m_control.setNeedsDisplay();
    didEndEditing();
    return true;
}

void TextEditing::insertEditedText(const std::string& text)
{
    auto keep = m_control.weak_from_this().lock();
    if (!shouldChangeText(m_buffer.insertionRange(), text)) {
        m_buffer.setMarkedText({});
        m_control.setNeedsDisplay();
        return;
    }
    m_buffer.insert(text);
    textChanged();
}

void TextEditing::deleteEditedBackward()
{
    if (!m_editing)
        return;
    if (m_buffer.deleteBackwardInMarkedText()) {
        m_control.setNeedsDisplay();
        return;
    }
    auto keep = m_control.weak_from_this().lock();
    TextRange range = m_buffer.deletionRange();
    if (range.length == 0)
        return;
    if (!shouldChangeText(range, {}))
        return;
    m_buffer.remove(range);
    textChanged();
}

void TextEditing::setEditedMarkedText(const std::string& text)
{
    if (m_editing && m_buffer.setMarkedText(text))
        m_control.setNeedsDisplay();
}

void TextEditing::focusGiven()
{
    if (!m_editing && !beginTextEditing())
        m_control.resignFirstResponder();
}

}
