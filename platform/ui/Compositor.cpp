#include "platform/ui/Compositor.h"

#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Path.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewShadow.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

namespace pf {

namespace {

// Beyond this many pieces left uncovered the region is simply painted.
constexpr std::size_t kMaxUncoveredPieces = 32;
// How deep and how many views are looked through for opaque ones.
constexpr int kCoverDepth = 8;
constexpr int kMaxCoverViews = 64;

// The device pixels of a fill not yet known to be painted over.
struct Uncovered {
    std::vector<Rect> pieces;
    std::vector<Rect> next;
    int views = kMaxCoverViews;
    bool gaveUp = false;
};

// `outer` less `hole`, as up to four rects appended to `pieces`.
void subtract(const Rect& outer, const Rect& hole, std::vector<Rect>& pieces)
{
    Rect cut = outer.intersection(hole);
    if (cut.isEmpty()) {
        pieces.push_back(outer);
        return;
    }
    auto add = [&](double x0, double y0, double x1, double y1) {
        if (x1 > x0 && y1 > y0)
            pieces.push_back({x0, y0, x1 - x0, y1 - y0});
    };
    add(outer.x(), outer.y(), outer.maxX(), cut.y());
    add(outer.x(), cut.maxY(), outer.maxX(), outer.maxY());
    add(outer.x(), cut.y(), cut.x(), cut.maxY());
    add(cut.maxX(), cut.y(), outer.maxX(), cut.maxY());
}

// Takes from `uncovered` the whole device pixels `view` and its subviews
// paint opaquely, the view drawn at `ctm` (its superview's coordinates to
// the device's) within `clip` (device coordinates, when its superviews clip).
// A view counts when it is shown at full alpha without mask or transform of
// its own and its background is a solid opaque colour with square corners;
// otherwise its subviews may count, unless they are clipped to round corners.
void takeCovered(const View& view, const AffineTransform& ctm, const std::optional<Rect>& clip, int depth,
                 Uncovered& uncovered)
{
    if (uncovered.gaveUp || uncovered.pieces.empty() || --uncovered.views < 0)
        return;
    if (view.isHidden() || view.presentationAlpha() < 1 || view.presentationLayerMaskColor() || view.maskImage()
        || !view.presentationTransform().isIdentity())
        return;
    Rect b = view.presentationBounds();
    Point center = view.presentationCenter();
    Rect frame = ctm.applyToRect({center.x - b.width() / 2, center.y - b.height() / 2, b.width(), b.height()});
    if (clip)
        frame = frame.intersection(*clip);
    double radius = clampedCornerRadius(b, view.cornerRadius());
    auto background = view.presentationBackgroundColor();
    if (!view.backgroundPattern() && background && background->alpha >= 1 && radius <= 0) {
        double x0 = std::ceil(frame.x()), y0 = std::ceil(frame.y());
        double x1 = std::floor(frame.maxX()), y1 = std::floor(frame.maxY());
        if (frame.isEmpty() || !(x1 > x0 && y1 > y0))
            return;
        uncovered.next.clear();
        for (const Rect& piece : uncovered.pieces)
            subtract(piece, {x0, y0, x1 - x0, y1 - y0}, uncovered.next);
        uncovered.pieces.swap(uncovered.next);
        uncovered.gaveUp = uncovered.pieces.size() > kMaxUncoveredPieces;
        return;
    }
    if (depth <= 0 || (view.clipsToBounds() && radius > 0))
        return;
    AffineTransform inner
        = AffineTransform::translation(center.x - b.x() - b.width() / 2, center.y - b.y() - b.height() / 2).concatenated(ctm);
    std::optional<Rect> innerClip = view.clipsToBounds() ? std::optional<Rect>(frame) : clip;
    for (const ViewRef& child : view.subviews())
        takeCovered(*child, inner, innerClip, depth - 1, uncovered);
}

// Whether `views`, drawn next at the context's current transform, paint over
// every device pixel that filling `region` would touch, so the fill would
// never show. A rotated or skewed transform, or a context drawing
// translucently, counts as not hidden.
template <typename Views>
bool hiddenBy(const GraphicsContext& context, const Rect& region, const Views& views)
{
    AffineTransform ctm = context.transform();
    if (views.empty() || context.alpha() < 1 || ctm.b != 0 || ctm.c != 0 || !(ctm.a > 0) || !(ctm.d > 0))
        return false;
    Rect device = ctm.applyToRect(region);
    if (device.isEmpty())
        return false;
    double x0 = std::floor(device.x()), y0 = std::floor(device.y());
    Uncovered uncovered;
    uncovered.pieces.push_back({x0, y0, std::ceil(device.maxX()) - x0, std::ceil(device.maxY()) - y0});
    for (const auto& view : views)
        takeCovered(*view, ctm, std::nullopt, kCoverDepth, uncovered);
    return uncovered.pieces.empty() && !uncovered.gaveUp;
}

}

namespace {

int g_compositors = 0;

std::vector<std::shared_ptr<const void>>& releasedAfterFrame()
{
    static std::vector<std::shared_ptr<const void>> objects;
    return objects;
}

}

Compositor::Compositor(Screen& screen)
    : m_screen(screen)
{
    ++g_compositors;
}

Compositor::~Compositor()
{
    // Taken out before they go: a destructor they run may ask for another release.
    if (--g_compositors == 0) {
        auto objects = std::exchange(releasedAfterFrame(), {});
        objects.clear();
    }
}

void Compositor::releaseAfterNextFrame(std::shared_ptr<const void> object)
{
    PF_ASSERT_MAIN_THREAD();
    if (object && g_compositors > 0)
        releasedAfterFrame().push_back(std::move(object));
}

ErrorOr<Rect> Compositor::render()
{
    auto released = std::exchange(releasedAfterFrame(), {});
    auto rendered = renderFrame();
    if (!released.empty())
        RunLoop::main().postWhenIdle([released = std::move(released)]() mutable { released.clear(); });
    return rendered;
}

ErrorOr<Rect> Compositor::renderFrame()
{
    PF_ASSERT_MAIN_THREAD();
    m_screen.layoutIfNeeded();
    Rect screenBounds = m_screen.bounds();
    double scale = m_screen.scale();
    int w = int(std::ceil(screenBounds.width() * scale)), h = int(std::ceil(screenBounds.height() * scale));
    if (!m_frame || m_frame->pixelWidth() != w || m_frame->pixelHeight() != h || m_frame->scale() != scale) {
        auto frame = Bitmap::create(w, h, scale);
        if (!frame)
            return frame.error();
        m_frame = frame.value();
        m_full = true;
    }
    Rect dirty = m_screen.takeDirtyRect();
    if (m_full)
        dirty = screenBounds;
    m_full = false;
    dirty = dirty.intersection(screenBounds).integral();
    if (dirty.isEmpty())
        return Rect{};

    auto created = GraphicsContext::create(*m_frame);
    if (!created)
        return created.error();
    GraphicsContext& context = *created.value();
    context.clipToRect(dirty);
    auto windows = m_screen.windows();
    // Uncovered parts show black; a screen covered by opaque windows is
    // not painted twice.
    if (!hiddenBy(context, dirty, windows))
        context.fillRect(dirty, Color::black());
    for (auto& window : windows) {
        if (auto error = drawView(context, *window, scale, nullptr))
            return *error;
    }
    if (auto error = context.status())
        return *error;
    return dirty;
}

ErrorOr<BitmapRef> Compositor::renderView(View& view, double scale)
{
    PF_ASSERT_MAIN_THREAD();
    view.layoutIfNeeded();
    Rect b = view.bounds();
    if (b.isEmpty() || !(scale > 0))
        return BitmapRef();
    auto bitmap = Bitmap::create(int(std::ceil(b.width() * scale)), int(std::ceil(b.height() * scale)), scale);
    if (!bitmap)
        return bitmap.error();
    auto created = GraphicsContext::create(*bitmap.value());
    if (!created)
        return created.error();
    GraphicsContext& context = *created.value();
    // The view's own bounds origin lands on the picture's top-left corner.
    AffineTransform place = AffineTransform::translation(-b.x(), -b.y());
    if (auto error = drawView(context, view, scale, &place))
        return *error;
    if (auto error = context.status())
        return *error;
    return bitmap.value();
}

void Compositor::drawShadow(GraphicsContext& context, View& view, const Rect& bounds, double radius, double scale)
{
    if (!view.m_shadow)
        view.m_shadow = std::make_unique<ViewShadow>();
    BitmapRef picture = view.m_shadow->picture(bounds.size, radius, view.shadowColor(), view.shadowRadius(), scale);
    if (!picture)
        return;
    double pad = ViewShadow::outset(view.shadowRadius());
    Rect place = bounds.offsetBy(view.shadowOffset().width, view.shadowOffset().height).insetBy(-pad, -pad);
    context.save();
    context.setAlpha(view.shadowOpacity());
    context.drawImage(*picture, place);
    context.restore();
}

std::optional<Error> Compositor::drawContent(GraphicsContext& context, View& view, const Rect& bounds, double scale)
{
    if (view.takeDrawThrough(bounds)) {
        Rect part = view.visibleRect().intersection(context.clipBounds());
        if (part.isEmpty())
            return std::nullopt;
        context.save();
        context.clipToRect(part);
        view.draw(context, part);
        context.restore();
        return std::nullopt;
    }
    auto bands = view.renderedBands(scale);
    if (!bands)
        return bands.error();
    // During a bounds animation the kept content stretches with the bounds.
    if (bands.value()) {
        for (const View::ContentBand& band : *bands.value())
            context.drawImage(*band.bitmap, view.keptPlacement(bounds, band.rect));
        return std::nullopt;
    }
    auto content = view.renderedContent(scale);
    if (!content)
        return content.error();
    if (content.value())
        view.drawKeptInk(context, *content.value(), bounds);
    return std::nullopt;
}

std::optional<Error> Compositor::drawView(GraphicsContext& context, View& view, double scale,
                                          const AffineTransform* placement)
{
    double alpha = view.presentationAlpha();
    // A mask colour shows the subtree at its alpha.
    if (auto maskColor = view.presentationLayerMaskColor())
        alpha *= std::clamp(maskColor->alpha, 0.0, 1.0);
    if (view.isHidden() || alpha <= 0)
        return std::nullopt;
    Rect b = view.presentationBounds();
    Point center = view.presentationCenter();
    AffineTransform toSuper = placement ? *placement
                                        : AffineTransform::translation(-b.x() - b.width() / 2, -b.y() - b.height() / 2)
                                              .concatenated(view.presentationTransform())
                                              .concatenated(AffineTransform::translation(center.x, center.y));
    if (!toSuper.isInvertible())
        return std::nullopt;

    context.save();
    context.concat(toSuper);
    Rect shadow = view.shadowRect();
    // Nothing of a clipping view shows outside the dirty region.
    if (view.clipsToBounds() && !context.clipBounds().intersects(shadow.isEmpty() ? b : b.united(shadow))) {
        context.restore();
        return std::nullopt;
    }
    const BitmapRef& mask = view.maskImage();
    bool hasBorder = view.borderWidth() > 0 && !view.borderColor().isClear();
    // Overlapping parts must fade together, so a translucent view with more
    // than a background is drawn as one layer.
    const ImageRef& picture = view.contents();
    bool layered = mask || (alpha < 1 && (!view.subviews().empty() || view.drawsContent() || hasBorder || picture));
    if (layered) {
        if (mask)
            context.setAlpha(alpha);
        context.beginLayer();
    } else {
        context.setAlpha(alpha);
    }

    double radius = clampedCornerRadius(b, view.cornerRadius());
    if (!shadow.isEmpty())
        drawShadow(context, view, b, radius, scale);
    const ImageRef& pattern = view.backgroundPattern();
    if (pattern && pattern->bitmap())
        context.fillRoundedRectWithPattern(b, radius, *pattern->bitmap());
    else if (auto background = view.presentationBackgroundColor(); background && !background->isClear()) {
        // Opaque subviews that cover it whole would paint over it anyway.
        if (radius > 0 || !hiddenBy(context, context.clipBounds().intersection(b), view.subviews()))
            context.fillRoundedRect(b, radius, *background);
    }
    if (view.clipsToBounds()) {
        context.save();
        context.clipToRoundedRect(b, radius);
    }
    if (picture && picture->bitmap()) {
        ImageDrawOptions options;
        options.gravity = view.contentsGravity();
        options.contentsRect = view.contentsRect();
        options.caps = picture->capInsets();
        context.drawImage(*picture->bitmap(), b, options);
    }
    if (auto error = drawContent(context, view, b, scale)) {
        if (view.clipsToBounds())
            context.restore();
        context.restore();
        return error;
    }
    auto children = view.subviews();
    for (auto& child : children) {
        if (auto error = drawView(context, *child, scale, nullptr)) {
            if (view.clipsToBounds())
                context.restore();
            context.restore();
            return error;
        }
    }
    if (view.clipsToBounds())
        context.restore();
    if (hasBorder) {
        // The border lies inside the bounds, above the content and subviews.
        double bw = std::min(view.borderWidth(), std::min(b.width(), b.height()) / 2);
        context.strokeRoundedRect(b.insetBy(bw / 2, bw / 2), std::max(radius - bw / 2, 0.0), view.borderColor(), bw);
    }
    if (mask)
        context.endLayerMasked(*mask, b);
    else if (layered)
        context.endLayer(alpha);
    context.restore();
    return std::nullopt;
}

}
