#pragma once

// The money keypad: amount fields are typed on a keypad of the application's
// own. Its key buttons (ZMRKeyButton, laid out in an interface file) carry
// the text they stand for, and their touch-up is wired to doKeyAction. A tap
// first asks the delegate, which handles the special keys of its form itself
// ("ok", "<-", "clear") and may refuse any key; every other key's text is
// inserted into the bound text input.
//
// An amount holds at most one decimal point: a key holding "." is refused
// while the bound input's text has one already, whatever the delegate said,
// so a field can never show "1.2.3" while its form sends 1.2.
//
// Main queue only. The input and the delegate are not retained.

#include "platform/controls/Button.h"

#include <functional>

class ZMRKeyboardView;

class ZMRKeyboardViewDelegate {
public:
    virtual ~ZMRKeyboardViewDelegate() = default;
    // True lets the key be inserted; false: the delegate handled or refused it.
    virtual bool keyboardViewInputKey(ZMRKeyboardView&, const std::string& /*key*/) { return true; }
};

class ZMRKeyButton : public pf::Button {
public:
    explicit ZMRKeyButton(const pf::Rect& frame = {}) : pf::Button(frame) {}

    const std::string& inputKey() const { return m_inputKey; }
    void setInputKey(const std::string& key) { m_inputKey = key; }

private:
    std::string m_inputKey;
};

class ZMRKeyboardView : public pf::View {
public:
    explicit ZMRKeyboardView(const pf::Rect& frame = {}) : pf::View(frame) {}

    // The view receiving the keys (insertText, deleteBackward): a text field
    // or text view. Without one, taps do nothing.
    pf::ViewRef keyInput() const { return m_keyInput.lock(); }
    void setKeyInput(const pf::ViewRef& input) { m_keyInput = input; }
    // Asked when it is a ZMRKeyboardViewDelegate.
    pf::ObjectRef delegate() const { return m_delegate.lock(); }
    void setDelegate(const pf::ObjectRef& delegate) { m_delegate = delegate; }

    // A sender that is not a key button is ignored.
    void doKeyAction(const pf::ObjectRef& sender);

    // The editing keys, for delegates that handle them: "<-" deletes
    // backward in the bound input, "clear" empties it when it is a text field
    // or text view. True when `key` is one of them (handled even without an
    // input); false leaves every other key to the delegate.
    bool applyEditingKey(const std::string& key);

    // The text of a text field or text view; empty for other views.
    static std::string textOf(const pf::View& input);

    // True only while a key of this keypad is changing `input`. The forms'
    // amount fields accept no other change: a desktop keyboard types into
    // whatever is first responder, and text the keypad cannot produce would
    // be sent as an amount the field never showed.
    bool isChanging(const pf::View& input) const { return m_changing == &input; }

private:
    void changeInput(pf::View& input, const std::function<void()>& change);

    std::weak_ptr<pf::View> m_keyInput;
    const pf::View* m_changing = nullptr;
    pf::WeakObject m_delegate;
};
