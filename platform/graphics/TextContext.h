#pragma once

// The layout context that measuring and drawing of text share on this
// thread (no hinting, so advances do not depend on the device scale).
// Shared by the graphics library and the web page painter, so a width
// measured for page layout is the width drawn.

typedef struct _PangoContext PangoContext;

namespace pf {

PangoContext* textLayoutContext();

}
