#include "app/screens/shared/ZMRKeyboardView.h"

#include "platform/controls/TextField.h"
#include "platform/controls/TextView.h"

std::string ZMRKeyboardView::textOf(const pf::View& input)
{
    if (auto* field = dynamic_cast<const pf::TextField*>(&input))
        return field->text();
    if (auto* text = dynamic_cast<const pf::TextView*>(&input))
        return text->text();
    return {};
}

void ZMRKeyboardView::changeInput(pf::View& input, const std::function<void()>& change)
{
    const pf::View* outer = m_changing;
    m_changing = &input;
    change();
    m_changing = outer;
}

bool ZMRKeyboardView::applyEditingKey(const std::string& key)
{
    auto input = m_keyInput.lock();
    if (key == "<-") {
        if (input)
            changeInput(*input, [&] { input->deleteBackward(); });
        return true;
    }
    if (key == "clear") {
        if (auto field = std::dynamic_pointer_cast<pf::TextField>(input))
            field->setText("");
        else if (auto text = std::dynamic_pointer_cast<pf::TextView>(input))
            text->setText("");
        return true;
    }
    return false;
}

void ZMRKeyboardView::doKeyAction(const pf::ObjectRef& sender)
{
    auto key = std::dynamic_pointer_cast<ZMRKeyButton>(sender);
    if (!key)
        return;
    auto keep = self();
    std::string text = key->inputKey(); // the delegate may change the button
    if (auto delegate = std::dynamic_pointer_cast<ZMRKeyboardViewDelegate>(m_delegate.lock())) {
        if (!delegate->keyboardViewInputKey(*this, text))
            return;
    }
    auto input = m_keyInput.lock();
    if (!input || text.empty())
        return;
    if (text.find('.') != std::string::npos && textOf(*input).find('.') != std::string::npos)
        return;
    changeInput(*input, [&] { input->insertText(text); });
}
