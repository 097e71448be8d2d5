#pragma once

// The editing core a text field and a text view share: the buffer (UTF-16
// caret, no selection, marked text at the caret until committed), whether
// the control edits, and the input view the keyboard shows in place of its
// panel. Beginning asks the control (and through it its delegate), takes the
// first responder and shows the keyboard; ending drops an unfinished
// composition, resigns and hides the keyboard. An insertion or deletion the
// control refuses changes nothing (a refused insertion drops the marked
// text). Each step holds the control alive while its delegate runs.
//
// Main thread only.

#include "platform/controls/TextBuffer.h"
#include "platform/ui/Forward.h"

#include <string>

namespace pf {

class TextEditing {
public:
    virtual ~TextEditing() = default;

    bool isEditing() const { return m_editing; }
    const TextBuffer& buffer() const { return m_buffer; }
    const ViewRef& inputView() const { return m_inputView; }
    void setInputView(const ViewRef& view) { m_inputView = view; }

protected:
    explicit TextEditing(View& control) : m_control(control) {}

    // Whether the control takes editing now (enabled, editable).
    virtual bool canEdit() const = 0;
    // False refuses; the control may end another's editing here.
    virtual bool shouldBeginEditing() { return true; }
    // Right after the state changed, before the first responder and keyboard.
    virtual void editingStarted() {}
    virtual void didBeginEditing() {}
    virtual bool shouldEndEditing() { return true; }
    // Right after the state changed and the composition was dropped.
    virtual void editingStopped() {}
    virtual void didEndEditing() {}
    virtual bool shouldChangeText(TextRange, const std::string&) { return true; }
    // After an insertion or deletion took place.
    virtual void textChanged() = 0;

    bool beginTextEditing();
    bool endTextEditing(bool force);
    // `text` is valid UTF-8 and the control edits.
    void insertEditedText(const std::string& text);
    void deleteEditedBackward();
    void setEditedMarkedText(const std::string& text);
    // Focus given by code begins editing (when agreed); focus taken ends it.
    void focusGiven();
    void focusTaken() { endTextEditing(true); }

    TextBuffer m_buffer;

private:
    View& m_control;
    bool m_editing = false;
    ViewRef m_inputView;
};

}
