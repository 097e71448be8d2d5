#pragma once

// The drawable base of grid cells and rows: draws nothing until a subclass
// says what to draw.

#include "framework/ui/IGridDraw.h"

class GridDraw : public virtual IGridDraw {
public:
    void drawToContext(pf::GraphicsContext&, const pf::Rect&) override {}
};
