#pragma once

// Renders the screen's windows into one ARGB32 frame at the screen's scale.
// Each render lays out what needs it, then repaints only the screen's dirty
// region; views keep their drawn content between renders until they are
// marked with setNeedsDisplay(). Uncovered parts of the screen are black.
//
// Main thread only.

#include "platform/foundation/Error.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Forward.h"

#include <optional>

namespace pf {

class Compositor {
public:
    explicit Compositor(Screen& screen);

    // Repaints what changed; answers the repainted region in screen points
    // (empty when nothing changed). An error leaves the frame as it was drawn so far.
    ErrorOr<Rect> render();
    // The frame as last rendered; null before the first render.
    const BitmapRef& frame() const { return m_frame; }
    // The next render repaints everything.
    void invalidateAll() { m_full = true; }

    // The view and its subviews drawn into a new transparent bitmap of its
    // bounds size at `scale`, as the screen would show them, ignoring the
    // view's own place and transform; null for a view without area.
    static ErrorOr<BitmapRef> renderView(View& view, double scale);

private:
    // Under the view's background, in its bounds coordinates.
    static void drawShadow(GraphicsContext& context, View& view, const Rect& bounds, double radius, double scale);
    // The view's drawn content, kept whole or in bands, within `bounds`.
    static std::optional<Error> drawContent(GraphicsContext& context, View& view, const Rect& bounds, double scale);
    static std::optional<Error> drawView(GraphicsContext& context, View& view, double scale,
                                         const AffineTransform* placement);

    Screen& m_screen;
    BitmapRef m_frame;
    bool m_full = true;
};

}
