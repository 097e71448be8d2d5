#pragma once

// A one-line text control. Touching it starts editing (when the delegate
// agrees): the on-screen keyboard, or the field's own input view, slides
// in, and typed text, backspaces and the input method's marked text come in
// through insertText, deleteBackward and setMarkedText. The caret counts
// UTF-16 units; there is no selection. Marked text shows underlined at the
// caret until it is committed (inserted) or cancelled. The return key asks
// textFieldShouldReturn and sends EditingDidEndOnExit.
//
// Main thread only. The delegate is not retained; every callback is optional.

#include "platform/controls/Control.h"
#include "platform/controls/TextEditing.h"
#include "platform/graphics/Text.h"

#include <string>

namespace pf {

class TextField;

class TextFieldDelegate {
public:
    virtual ~TextFieldDelegate() = default;
    virtual bool textFieldShouldBeginEditing(TextField&) { return true; }
    virtual void textFieldDidBeginEditing(TextField&) {}
    virtual bool textFieldShouldEndEditing(TextField&) { return true; }
    virtual void textFieldDidEndEditing(TextField&) {}
    // `range` in UTF-16 units of the current text; false keeps the text as it is.
    virtual bool textFieldShouldChangeCharactersInRange(TextField&, TextRange, const std::string&) { return true; }
    virtual bool textFieldShouldClear(TextField&) { return true; }
    virtual bool textFieldShouldReturn(TextField&) { return true; }
};

enum class TextBorderStyle { None, Line, Bezel, RoundedRect };

class TextField : public Control, public TextEditing {
public:
    explicit TextField(const Rect& frame = {});
    ~TextField() override;

    ObjectRef delegateObject() const { return m_delegateObject.lock(); }
    void setDelegateObject(const ObjectRef& delegate);
    void setDelegate(const std::shared_ptr<TextFieldDelegate>& delegate);

    const std::string& text() const { return m_buffer.text(); }
    void setText(const std::string& text);
    const std::string& placeholder() const { return m_placeholder; }
    void setPlaceholder(const std::string& placeholder);
    const Font& font() const { return m_style.font; }
    void setFont(const Font& font);
    const Color& textColor() const { return m_style.color; }
    void setTextColor(const Color& color);
    TextAlignment textAlignment() const { return m_style.alignment; }
    void setTextAlignment(TextAlignment alignment);
    TextBorderStyle borderStyle() const { return m_borderStyle; }
    void setBorderStyle(TextBorderStyle style);
    bool isSecureTextEntry() const { return m_secure; }
    void setSecureTextEntry(bool secure);
    // inputView (see TextEditing) is shown by the keyboard in place of its
    // panel while this field edits. Shows a changed input view at once when editing.
    void reloadInputViews();

    // False when the delegate refuses. Another field that is editing ends first.
    bool beginEditing();
    // False when the delegate refuses, unless forced.
    bool endEditing(bool force = false);
    // The field now editing, if any.
    static std::shared_ptr<TextField> editingField();

    // Input, as the keyboard delivers it while editing. Text that is not
    // valid UTF-8 is dropped; "\n" is the return key.
    void insertText(const std::string& utf8) override;
    void deleteBackward() override;
    void setMarkedText(const std::string& utf8) override;
    bool canBecomeFirstResponder() const override;
    bool wantsTextInput() const override { return true; }
    void moveCaretLeft();
    void moveCaretRight();
    // Where the caret is drawn, in bounds coordinates.
    Rect caretRect() const;

    bool drawsContent() const override { return true; }
    void draw(GraphicsContext& context, const Rect& rect) override;
    void touchesEnded(const TouchSet& touches) override;
    std::string textContent() const override;

protected:
    // Focus given by code begins editing (when the delegate agrees); focus
    // taken elsewhere (another control, leaving the window) ends it.
    void didBecomeFirstResponder() override { focusGiven(); }
    void didResignFirstResponder() override { focusTaken(); }

    bool canEdit() const override { return isEnabled(); }
    // The delegate agrees, and another field that is editing ends first.
    bool shouldBeginEditing() override;
    void editingStarted() override;
    void didBeginEditing() override;
    bool shouldEndEditing() override;
    void editingStopped() override;
    void didEndEditing() override;
    bool shouldChangeText(TextRange range, const std::string& text) override;
    void textChanged() override;

private:
    std::string shownText() const;
    Rect textRect() const;

    std::weak_ptr<TextFieldDelegate> m_delegate;
    WeakObject m_delegateObject;
    std::string m_placeholder;
    TextStyle m_style{Font::system(17), Color::black(), TextAlignment::Left, LineBreakMode::Clip, 1, 0};
    TextBorderStyle m_borderStyle = TextBorderStyle::None;
    bool m_secure = false;
};

}
