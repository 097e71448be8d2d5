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

#include <memory>
#include <optional>

namespace pf {

class Compositor {
public:
    explicit Compositor(Screen& screen);
    ~Compositor();
    Compositor(const Compositor&) = delete;
    Compositor& operator=(const Compositor&) = delete;

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

    // Keeps `object` until the next render has run, then lets it go when
    // the main loop is next idle, so what a frame replaces (a page of rows
    // and their documents) is torn down after that frame rather than on the
    // way to it, and not ahead of the next request. Let go at once while no
    // compositor exists, and with the last one.
    static void releaseAfterNextFrame(std::shared_ptr<const void> object);

private:
    ErrorOr<Rect> renderFrame();
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
