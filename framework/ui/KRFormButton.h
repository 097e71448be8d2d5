#pragma once

// A button that serves as a form item's view, keeping the item's value
// apart from the title it shows (the text is the normal-state title).
//
// Main queue only.

#include "framework/ui/KRFormProtocols.h"
#include "platform/controls/Button.h"

class KRFormButton : public pf::Button, public IKRFormItemView {
public:
    explicit KRFormButton(const pf::Rect& frame = {}) : pf::Button(frame) {}

    pf::Value value() const override { return m_value; }
    void setValue(const pf::Value& value) override { m_value = value; }
    std::optional<std::string> text() const override { return title(); }
    void setText(const std::optional<std::string>& text) override { setTitleText(text); }

private:
    pf::Value m_value;
};
