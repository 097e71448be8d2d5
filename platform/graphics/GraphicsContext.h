#pragma once

// A drawing context over the drawing library: a current transform, a clip and
// an alpha, saved and restored together. Coordinates are points; a context
// made for a bitmap starts scaled by the bitmap's scale.
//
// Geometry is sanitized before it reaches the library: non-finite numbers
// become 0, coordinates are clamped to ±kMaxCoordinate, shapes without area
// are skipped and corner radii are clamped to half the shorter side.
// Drawing failures are sticky: status() reports the first one.

#include "platform/foundation/Error.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"

#include <optional>
#include <vector>

typedef struct _cairo cairo_t;

namespace pf {

// Where an image goes inside its rect, and whether it is scaled.
enum class ImageGravity {
    Resize,           // stretched to fill the rect
    ResizeAspect,     // scaled to fit inside, centred
    ResizeAspectFill, // scaled to cover, centred, cut at the rect
    Center, Top, Bottom, Left, Right, TopLeft, TopRight, BottomLeft, BottomRight,
};

struct ImageDrawOptions {
    ImageGravity gravity = ImageGravity::Resize;
    // The part of the image used, in unit coordinates of the image.
    Rect contentsRect{0, 0, 1, 1};
    // Stretchable caps in points of the used part: the corners keep their
    // size, the edges stretch along one axis, the middle along both. Caps are
    // clamped to the image; they apply to Resize only.
    EdgeInsets caps;
};

class GraphicsContext {
public:
    // A context drawing into `bitmap`, which must outlive it.
    static ErrorOr<std::unique_ptr<GraphicsContext>> create(Bitmap& bitmap);
    ~GraphicsContext();

    void save();
    void restore();

    void translate(double tx, double ty);
    void scale(double sx, double sy);
    void rotate(double radians);
    void concat(const AffineTransform& transform);
    // The transform from points to device pixels.
    AffineTransform transform() const;

    void clipToRect(const Rect& r);
    void clipToRoundedRect(const Rect& r, double radius);
    void clipToPath(const Path& path);
    // The clip's bounding box in current coordinates.
    Rect clipBounds() const;

    // Multiplies every later drawing's opacity until the matching restore().
    void setAlpha(double alpha);
    double alpha() const { return m_alpha.back(); }

    void fillRect(const Rect& r, const Color& color);
    void fillRoundedRect(const Rect& r, double radius, const Color& color);
    // The line is centred on the rect's edge.
    void strokeRect(const Rect& r, const Color& color, double lineWidth);
    void strokeRoundedRect(const Rect& r, double radius, const Color& color, double lineWidth);
    void fillPath(const Path& path, const Color& color);
    // Fills with `tile` repeated from the rect's top-left corner, each copy
    // its size in points (its pixels over its scale).
    void fillRoundedRectWithPattern(const Rect& r, double radius, const Bitmap& tile);
    void strokePath(const Path& path, const Color& color, double lineWidth);
    // Makes the pixels under `r` transparent.
    void clearRect(const Rect& r);

    void drawImage(const Bitmap& image, const Rect& r, const ImageDrawOptions& options = {});
    // The part of the image `pixels` (whole pixels) into `r`.
    void drawImagePixels(const Bitmap& image, const Rect& pixels, const Rect& r);

    // Everything drawn until endLayer() is composited as one picture with
    // `alpha`, or with the alpha of `mask` drawn into `maskRect` when given.
    void beginLayer();
    void endLayer(double alpha);
    void endLayerMasked(const Bitmap& mask, const Rect& maskRect);

    std::optional<Error> status() const;
    cairo_t* cairo() const { return m_cr; }

    GraphicsContext(const GraphicsContext&) = delete;
    GraphicsContext& operator=(const GraphicsContext&) = delete;

private:
    explicit GraphicsContext(cairo_t* cr);
    void appendPath(const Path& path);
    void setSource(const Color& color);
    void paintImagePart(const Bitmap& image, const Rect& sourcePixels, const Rect& dest);

    cairo_t* m_cr = nullptr;
    std::vector<double> m_alpha{1.0};
};

}
