#pragma once

// A control that dims while pressed: its subtree shows at the alpha of
// maskColor (white at 0.8 when none is set, so 80 % opacity) over whatever
// its bounds are at the press; fully opaque again on release. The mask
// colour itself stays what was set.
//
// Main queue only.

#include "framework/ui/KRActionControls.h"
#include "platform/controls/Control.h"

#include <optional>

class KRActionView : public pf::Control, public KRActionFields {
public:
    explicit KRActionView(const pf::Rect& frame = {}) : pf::Control(frame) {}

    const std::optional<pf::Color>& maskColor() const { return m_maskColor; }
    void setMaskColor(const std::optional<pf::Color>& color) { m_maskColor = color; }
    void setHighlighted(bool highlighted) override;

private:
    std::optional<pf::Color> m_maskColor;
};
