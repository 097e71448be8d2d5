#pragma once

// The "titleLabel" key of a button: the platform button draws its own title,
// so key paths such as "titleLabel.text" (what data outlets and interface
// files bind) reach its normal-state title through this stand-in. It holds
// the button weakly; once the button is gone it reads and sets nothing.
//
// Main queue only.

#include "platform/foundation/Object.h"

#include <memory>
#include <optional>
#include <string>

namespace pf {
class Button;
}

class KRButtonTitleLabel : public pf::Object {
public:
    KRButtonTitleLabel() = default;
    explicit KRButtonTitleLabel(const std::shared_ptr<pf::Button>& button) : m_button(button) {}

    // The key's getter on the button.
    static std::shared_ptr<KRButtonTitleLabel> of(const pf::Button& button);

    std::optional<std::string> text() const;
    void setText(std::optional<std::string> text);

private:
    std::weak_ptr<pf::Button> m_button;
};
