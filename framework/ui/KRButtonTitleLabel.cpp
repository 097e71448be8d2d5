#include "framework/ui/KRButtonTitleLabel.h"

#include "platform/controls/Button.h"

std::shared_ptr<KRButtonTitleLabel> KRButtonTitleLabel::of(const pf::Button& button)
{
    auto self = std::const_pointer_cast<pf::Button>(
        std::dynamic_pointer_cast<const pf::Button>(button.shared_from_this()));
    return std::make_shared<KRButtonTitleLabel>(self);
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
