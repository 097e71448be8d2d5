#pragma once

// One input of a form: the view it reads and writes (a view keeping its own
// value, a label, a text field, a text view or a button), the key its value
// travels under, the editor type that edits it, a tip and a maximum length
// kept for the screen (nothing here enforces it). Only texts reach the
// view's text: values of other kinds leave it as it was. The item is the
// text field's and text view's delegate, so touching them focuses it.
//
// Main queue only. The delegate is not retained.

#include "framework/ui/KRFormProtocols.h"
#include "platform/controls/TextField.h"
#include "platform/controls/TextView.h"

class KRFormItem : public pf::Object, public pf::TextFieldDelegate, public pf::TextViewDelegate {
public:
    bool isFocus() const { return m_focus; }
    void setFocus(bool focus) { m_focus = focus; }
    const pf::ViewRef& view() const { return m_view; }
    void setView(const pf::ViewRef& view) { m_view = view; }
    int length() const { return m_length; }
    void setLength(int length) { m_length = length; }
    pf::ObjectRef delegate() const { return m_delegate.lock(); }
    void setDelegate(const pf::ObjectRef& delegate) { m_delegate = delegate; }
    const std::string& editorType() const { return m_editorType; }
    void setEditorType(const std::string& type) { m_editorType = type; }
    const std::string& tip() const { return m_tip; }
    void setTip(const std::string& tip) { m_tip = tip; }
    // Items without a field take no part in the form's values.
    const std::optional<std::string>& field() const { return m_field; }
    void setField(const std::optional<std::string>& field) { m_field = field; }

    // Nil for a view of no known kind.
    pf::Value value() const;
    void setValue(const pf::Value& value);
    std::optional<std::string> text() const;
    void setText(const std::optional<std::string>& text);
    // Nil, null, an empty text, a number equal to 0 or the date at 0 seconds.
    bool isEmpty() const;

    // The view takes the keyboard focus, then the delegate hears of it.
    void doFocusAction(const pf::ObjectRef& sender);
    // The view gives the focus up, then the delegate hears of it.
    void focusCancel();

    bool textFieldShouldBeginEditing(pf::TextField& field) override;
    bool textViewShouldBeginEditing(pf::TextView& textView) override;

private:
    void tellFocus();

    bool m_focus = false;
    pf::ViewRef m_view;
    int m_length = 0;
    pf::WeakObject m_delegate;
    std::string m_editorType;
    std::string m_tip;
    std::optional<std::string> m_field;
};
