#include "framework/ui/KRFormItem.h"

#include "platform/controls/Button.h"
#include "platform/controls/Label.h"

namespace {

// The text a plain view shows, or nothing when it shows none of its own.
std::optional<std::string> plainText(const pf::View* view)
{
    if (auto label = dynamic_cast<const pf::Label*>(view))
        return label->text();
    if (auto field = dynamic_cast<const pf::TextField*>(view))
        return field->text();
    if (auto textView = dynamic_cast<const pf::TextView*>(view))
        return textView->text();
    if (auto button = dynamic_cast<const pf::Button*>(view))
        return button->title();
    return std::nullopt;
}

void setPlainText(pf::View* view, const std::optional<std::string>& text)
{
    if (auto label = dynamic_cast<pf::Label*>(view))
        label->setText(text.value_or(""));
    else if (auto field = dynamic_cast<pf::TextField*>(view))
        field->setText(text.value_or(""));
    else if (auto textView = dynamic_cast<pf::TextView*>(view))
        textView->setText(text.value_or(""));
    else if (auto button = dynamic_cast<pf::Button*>(view))
        button->setTitleText(text);
}

}

pf::Value KRFormItem::value() const
{
    if (auto own = dynamic_cast<const IKRFormItemView*>(m_view.get()))
        return own->value();
    auto text = plainText(m_view.get());
    return text ? pf::Value(*text) : pf::Value();
}

void KRFormItem::setValue(const pf::Value& value)
{
    if (auto own = dynamic_cast<IKRFormItemView*>(m_view.get()))
        own->setValue(value);
    if (auto text = value.string())
        setPlainText(m_view.get(), *text);
}

std::optional<std::string> KRFormItem::text() const
{
    if (auto own = dynamic_cast<const IKRFormItemView*>(m_view.get()))
        return own->text();
    return plainText(m_view.get());
}

void KRFormItem::setText(const std::optional<std::string>& text)
{
    if (auto own = dynamic_cast<IKRFormItemView*>(m_view.get()))
        own->setText(text);
    setPlainText(m_view.get(), text);
}

bool KRFormItem::isEmpty() const
{
    auto v = value();
    if (v.isNilOrNull())
        return true;
    if (auto text = v.string())
        return text->empty();
    if (auto number = v.number())
        return number->asDouble() == 0;
    if (auto date = v.date())
        return date->seconds == 0;
    return false;
}

void KRFormItem::tellFocus()
{
    auto self = std::static_pointer_cast<KRFormItem>(weak_from_this().lock());
    // Only an item the form owns can be handed to it.
    if (auto d = std::dynamic_pointer_cast<KRFormItemDelegate>(m_delegate.lock()); d && self)
        d->krFormItemOnFocusAction(self);
}

void KRFormItem::doFocusAction(const pf::ObjectRef&)
{
    auto self = weak_from_this().lock();
    if (m_view)
        m_view->becomeFirstResponder();
    tellFocus();
}

void KRFormItem::focusCancel()
{
    auto self = std::static_pointer_cast<KRFormItem>(weak_from_this().lock());
    if (m_view)
        m_view->resignFirstResponder();
    if (auto d = std::dynamic_pointer_cast<KRFormItemDelegate>(m_delegate.lock()); d && self)
        d->krFormItemOnFocusCancel(self);
}

bool KRFormItem::textFieldShouldBeginEditing(pf::TextField& field)
{
    if (&field == m_view.get())
        tellFocus();
    return true;
}

bool KRFormItem::textViewShouldBeginEditing(pf::TextView& textView)
{
    if (&textView == m_view.get())
        tellFocus();
    return true;
}
