#pragma once

// Something of the data grid that draws itself into a box. The caller has
// translated the context so that `rect` is the box in its own coordinates.
//
// Main queue only, like the views that show a grid.

#include "platform/graphics/Geometry.h"

namespace pf {
class GraphicsContext;
}

class IGridDraw {
public:
    virtual ~IGridDraw() = default;
    virtual void drawToContext(pf::GraphicsContext& context, const pf::Rect& rect) = 0;
};
