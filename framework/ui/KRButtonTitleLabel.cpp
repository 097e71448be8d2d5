#include "framework/ui/KRButtonTitleLabel.h"

#include "platform/controls/Button.h"

std::shared_ptr<KRButtonTitleLabel> KRButtonTitleLabel::of(const pf::Button& button)
{
    // weak_from_this: a button not held by a shared pointer gets a stand-in
    // that does nothing, rather than an exception.
    auto self = std::dynamic_pointer_cast<const pf::Button>(button.weak_from_this().lock());
    return std::make_shared<KRButtonTitleLabel>(std::const_pointer_cast<pf::Button>(self));
}

std::optional<std::string> KRButtonTitleLabel::text() const
{
    auto button = m_button.lock();
    return button ? button->title() : std::nullopt;
}

void KRButtonTitleLabel::setText(std::optional<std::string> text)
{
    if (auto button = m_button.lock())
        button->setTitleText(text);
}
