#pragma once

// The system keyboard's panel: rows of key caps that type into the key
// window's first responder when tapped (letters, a space, backspace and
// return), as the hardware keys do. Each cap is a control whose text
// content is its letter, or "空格", "⌫" (backspace) and "换行" for the others.
//
// Main thread only.

#include "platform/ui/View.h"

namespace pf {

class KeyboardPanel final : public View {
public:
    // With its keys (a view's subviews need it shared first).
    static std::shared_ptr<KeyboardPanel> create(const Rect& frame);
    explicit KeyboardPanel(const Rect& frame);

    void layoutSubviews() override;
};

}
