#pragma once

// The layout context that measuring and drawing of text share on this
// thread (no hinting, so advances do not depend on the device scale).
// Internal to the graphics library.

typedef struct _PangoContext PangoContext;

namespace pf {

PangoContext* textLayoutContext();

}
