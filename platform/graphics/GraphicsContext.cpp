#include "platform/graphics/GraphicsContext.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Path.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

namespace pf {

namespace {

double finiteOr(double v, double fallback) { return std::isfinite(v) ? v : fallback; }

}

ErrorOr<std::unique_ptr<GraphicsContext>> GraphicsContext::create(Bitmap& bitmap)
{
    cairo_t* cr = cairo_create(bitmap.surface());
    if (auto status = cairo_status(cr); status != CAIRO_STATUS_SUCCESS) {
        cairo_destroy(cr);
        return Error{"pf::GraphicsContext", status, cairo_status_to_string(status)};
    }
    cairo_scale(cr, bitmap.scale(), bitmap.scale());
    return std::unique_ptr<GraphicsContext>(new GraphicsContext(cr));
}

GraphicsContext::GraphicsContext(cairo_t* cr)
    : m_cr(cr)
{
}

GraphicsContext::~GraphicsContext() { cairo_destroy(m_cr); }

void GraphicsContext::save()
{
    cairo_save(m_cr);
    m_alpha.push_back(m_alpha.back());
}

void GraphicsContext::restore()
{
    // An unbalanced restore is ignored rather than corrupting the library's state.
    if (m_alpha.size() <= 1)
        return;
    cairo_restore(m_cr);
    m_alpha.pop_back();
}

void GraphicsContext::translate(double tx, double ty)
{
    cairo_translate(m_cr, sanitizedCoordinate(tx), sanitizedCoordinate(ty));
}

void GraphicsContext::scale(double sx, double sy)
{
    // A zero scale would make the matrix singular and the context unusable.
    if (!std::isfinite(sx) || !std::isfinite(sy) || sx == 0 || sy == 0)
        return;
    cairo_scale(m_cr, sx, sy);
}

void GraphicsContext::rotate(double radians) { cairo_rotate(m_cr, finiteOr(radians, 0)); }

void GraphicsContext::concat(const AffineTransform& t)
{
    if (!t.isInvertible())
        return;
    cairo_matrix_t m;
    cairo_matrix_init(&m, t.a, t.b, t.c, t.d, sanitizedCoordinate(t.tx), sanitizedCoordinate(t.ty));
    cairo_transform(m_cr, &m);
}

AffineTransform GraphicsContext::transform() const
{
    cairo_matrix_t m;
    cairo_get_matrix(m_cr, &m);
    return {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0};
}

void GraphicsContext::clipToRect(const Rect& r)
{
    Rect s = sanitizedRect(r);
    cairo_new_path(m_cr);
    cairo_rectangle(m_cr, s.x(), s.y(), std::max(s.width(), 0.0), std::max(s.height(), 0.0));
    cairo_clip(m_cr);
}

void GraphicsContext::clipToRoundedRect(const Rect& r, double radius)
{
    clipToPath(Path::roundedRect(sanitizedRect(r), radius));
}

void GraphicsContext::clipToPath(const Path& path)
{
    appendPath(path);
    cairo_clip(m_cr);
}

Rect GraphicsContext::clipBounds() const
{
    double x0, y0, x1, y1;
    cairo_clip_extents(m_cr, &x0, &y0, &x1, &y1);
    return {x0, y0, x1 - x0, y1 - y0};
}

void GraphicsContext::setAlpha(double alpha)
{
    m_alpha.back() = std::clamp(finiteOr(alpha, 1), 0.0, 1.0) * (m_alpha.size() > 1 ? m_alpha[m_alpha.size() - 2] : 1.0);
}

void GraphicsContext::setSource(const Color& c)
{
    cairo_set_source_rgba(m_cr, c.red, c.green, c.blue, std::clamp(c.alpha, 0.0, 1.0) * alpha());
}

void GraphicsContext::appendPath(const Path& path)
{
    cairo_new_path(m_cr);
    for (auto& e : path.elements()) {
        auto x = [&](int i) { return sanitizedCoordinate(e.points[i].x); };
        auto y = [&](int i) { return sanitizedCoordinate(e.points[i].y); };
        switch (e.op) {
        case Path::Op::Move: cairo_move_to(m_cr, x(0), y(0)); break;
        case Path::Op::Line: cairo_line_to(m_cr, x(0), y(0)); break;
        case Path::Op::Curve: cairo_curve_to(m_cr, x(0), y(0), x(1), y(1), x(2), y(2)); break;
        case Path::Op::Close: cairo_close_path(m_cr); break;
        }
    }
}

void GraphicsContext::fillRect(const Rect& r, const Color& color) { fillRoundedRect(r, 0, color); }

void GraphicsContext::fillRoundedRect(const Rect& r, double radius, const Color& color)
{
    Rect s = sanitizedRect(r);
    if (s.isEmpty() || color.isClear())
        return;
    fillPath(Path::roundedRect(s, radius), color);
}

void GraphicsContext::fillRoundedRectWithPattern(const Rect& r, double radius, const Bitmap& tile)
{
    Rect s = sanitizedRect(r);
    double tileScale = tile.scale() > 0 ? tile.scale() : 1;
    if (s.isEmpty() || tile.pixelWidth() <= 0 || tile.pixelHeight() <= 0 || alpha() <= 0)
        return;
    appendPath(Path::roundedRect(s, radius));
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(tile.surface());
    cairo_pattern_set_extend(pattern, CAIRO_EXTEND_REPEAT);
    // Pattern space is tile pixels; user space is points from the rect's corner.
    cairo_matrix_t matrix;
    cairo_matrix_init_scale(&matrix, tileScale, tileScale);
    cairo_matrix_translate(&matrix, -s.x(), -s.y());
    cairo_pattern_set_matrix(pattern, &matrix);
    cairo_save(m_cr);
    cairo_clip(m_cr);
    cairo_set_source(m_cr, pattern);
    cairo_paint_with_alpha(m_cr, alpha());
    cairo_restore(m_cr);
    cairo_pattern_destroy(pattern);
}

void GraphicsContext::strokeRect(const Rect& r, const Color& color, double lineWidth)
{
    strokeRoundedRect(r, 0, color, lineWidth);
}

void GraphicsContext::strokeRoundedRect(const Rect& r, double radius, const Color& color, double lineWidth)
{
    Rect s = sanitizedRect(r);
    if (s.isEmpty())
        return;
    strokePath(Path::roundedRect(s, radius), color, lineWidth);
}

void GraphicsContext::fillPath(const Path& path, const Color& color)
{
    if (path.isEmpty() || color.isClear())
        return;
    appendPath(path);
    setSource(color);
    cairo_fill(m_cr);
}

void GraphicsContext::strokePath(const Path& path, const Color& color, double lineWidth)
{
    if (path.isEmpty() || color.isClear() || !(lineWidth > 0) || !std::isfinite(lineWidth))
        return;
    appendPath(path);
    setSource(color);
    cairo_set_line_width(m_cr, lineWidth);
    cairo_stroke(m_cr);
}

void GraphicsContext::clearRect(const Rect& r)
{
    Rect s = sanitizedRect(r);
    if (s.isEmpty())
        return;
    cairo_save(m_cr);
    cairo_set_operator(m_cr, CAIRO_OPERATOR_CLEAR);
    cairo_rectangle(m_cr, s.x(), s.y(), s.width(), s.height());
    cairo_fill(m_cr);
    cairo_restore(m_cr);
}

void GraphicsContext::paintImagePart(const Bitmap& image, const Rect& sourcePixels, const Rect& dest)
{
    // Whole pixels, so that the part can be cut out as its own surface.
    Rect src = sourcePixels.integral().intersection({0, 0, double(image.pixelWidth()), double(image.pixelHeight())});
    if (src.isEmpty() || dest.isEmpty())
        return;
    // A sub-surface with padding keeps the part's edge pixels from blending
    // with the neighbouring parts or with transparency when scaled.
    cairo_surface_t* part = cairo_surface_create_for_rectangle(image.surface(), src.x(), src.y(), src.width(), src.height());
    if (cairo_surface_status(part) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(part);
        return;
    }
    cairo_save(m_cr);
    cairo_rectangle(m_cr, dest.x(), dest.y(), dest.width(), dest.height());
    cairo_clip(m_cr);
    cairo_translate(m_cr, dest.x(), dest.y());
    cairo_scale(m_cr, dest.width() / src.width(), dest.height() / src.height());
    cairo_set_source_surface(m_cr, part, 0, 0);
    cairo_pattern_set_extend(cairo_get_source(m_cr), CAIRO_EXTEND_PAD);
    cairo_paint_with_alpha(m_cr, alpha());
    cairo_restore(m_cr);
    cairo_surface_destroy(part);
}

void GraphicsContext::drawImage(const Bitmap& image, const Rect& rect, const ImageDrawOptions& options)
{
    Rect r = sanitizedRect(rect);
    if (r.isEmpty() || alpha() <= 0)
        return;

    // The used part of the image, in pixels, clamped to the image.
    Rect unit = options.contentsRect.standardized().intersection({0, 0, 1, 1});
    if (unit.isEmpty())
        return;
    double pw = image.pixelWidth(), ph = image.pixelHeight();
    Rect src{unit.x() * pw, unit.y() * ph, unit.width() * pw, unit.height() * ph};
    double scale = image.scale();
    Size natural{src.width() / scale, src.height() / scale};

    const EdgeInsets& caps = options.caps;
    bool hasCaps = caps.top > 0 || caps.left > 0 || caps.bottom > 0 || caps.right > 0;
    if (options.gravity == ImageGravity::Resize && hasCaps) {
        // Caps in pixels of the used part, each pair at most the part's size.
        auto clampPair = [](double a, double b, double limit, double& outA, double& outB) {
            outA = std::clamp(finiteOr(a, 0), 0.0, limit);
            outB = std::clamp(finiteOr(b, 0), 0.0, limit - outA);
        };
        double sl, sr, st, sb;
        clampPair(caps.left * scale, caps.right * scale, src.width(), sl, sr);
        clampPair(caps.top * scale, caps.bottom * scale, src.height(), st, sb);
        // Destination caps in points; shrunk together when the rect is smaller.
        double dl = sl / scale, dr = sr / scale, dt = st / scale, db = sb / scale;
        if (dl + dr > r.width()) {
            double f = r.width() / (dl + dr);
            dl *= f;
            dr *= f;
        }
        if (dt + db > r.height()) {
            double f = r.height() / (dt + db);
            dt *= f;
            db *= f;
        }
        double sx[4] = {src.x(), src.x() + sl, src.maxX() - sr, src.maxX()};
        double sy[4] = {src.y(), src.y() + st, src.maxY() - sb, src.maxY()};
        double dx[4] = {r.x(), r.x() + dl, r.maxX() - dr, r.maxX()};
        double dy[4] = {r.y(), r.y() + dt, r.maxY() - db, r.maxY()};
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 3; ++col) {
                paintImagePart(image, {sx[col], sy[row], sx[col + 1] - sx[col], sy[row + 1] - sy[row]},
                               {dx[col], dy[row], dx[col + 1] - dx[col], dy[row + 1] - dy[row]});
            }
        }
        return;
    }

    Rect dest = r;
    switch (options.gravity) {
    case ImageGravity::Resize:
        break;
    case ImageGravity::ResizeAspect:
    case ImageGravity::ResizeAspectFill: {
        if (natural.isEmpty())
            return;
        double fx = r.width() / natural.width, fy = r.height() / natural.height;
        double f = options.gravity == ImageGravity::ResizeAspect ? std::min(fx, fy) : std::max(fx, fy);
        Size s{natural.width * f, natural.height * f};
        dest = {r.midX() - s.width / 2, r.midY() - s.height / 2, s.width, s.height};
        break;
    }
    default: {
        double x = r.midX() - natural.width / 2, y = r.midY() - natural.height / 2;
        switch (options.gravity) {
        case ImageGravity::Top: y = r.y(); break;
        case ImageGravity::Bottom: y = r.maxY() - natural.height; break;
        case ImageGravity::Left: x = r.x(); break;
        case ImageGravity::Right: x = r.maxX() - natural.width; break;
        case ImageGravity::TopLeft: x = r.x(), y = r.y(); break;
        case ImageGravity::TopRight: x = r.maxX() - natural.width, y = r.y(); break;
        case ImageGravity::BottomLeft: x = r.x(), y = r.maxY() - natural.height; break;
        case ImageGravity::BottomRight: x = r.maxX() - natural.width, y = r.maxY() - natural.height; break;
        default: break;
        }
        dest = {x, y, natural.width, natural.height};
        break;
    }
    }
    cairo_save(m_cr);
    cairo_rectangle(m_cr, r.x(), r.y(), r.width(), r.height());
    cairo_clip(m_cr);
    paintImagePart(image, src, dest);
    cairo_restore(m_cr);
}

void GraphicsContext::drawImagePixels(const Bitmap& image, const Rect& pixels, const Rect& r)
{
    Rect dest = sanitizedRect(r);
    if (dest.isEmpty() || alpha() <= 0)
        return;
    paintImagePart(image, pixels, dest);
}

void GraphicsContext::beginLayer()
{
    save();
    cairo_push_group(m_cr);
    // Inside the layer drawing is at full strength; the layer's alpha applies once.
    m_alpha.back() = 1;
}

void GraphicsContext::endLayer(double alpha)
{
    if (m_alpha.size() <= 1)
        return;
    cairo_pop_group_to_source(m_cr);
    m_alpha.pop_back();
    cairo_paint_with_alpha(m_cr, std::clamp(finiteOr(alpha, 1), 0.0, 1.0) * this->alpha());
    cairo_restore(m_cr);
}

void GraphicsContext::endLayerMasked(const Bitmap& mask, const Rect& maskRect)
{
    if (m_alpha.size() <= 1)
        return;
    cairo_pop_group_to_source(m_cr);
    m_alpha.pop_back();
    Rect r = sanitizedRect(maskRect);
    if (!r.isEmpty()) {
        cairo_pattern_t* layer = cairo_pattern_reference(cairo_get_source(m_cr));
        // The mask is rendered at the mask rect through a second group, so it
        // scales like any image; the layer then shows only where it is opaque.
        cairo_push_group(m_cr);
        cairo_save(m_cr);
        cairo_translate(m_cr, r.x(), r.y());
        cairo_scale(m_cr, r.width() / mask.pixelWidth(), r.height() / mask.pixelHeight());
        cairo_set_source_surface(m_cr, mask.surface(), 0, 0);
        cairo_paint_with_alpha(m_cr, alpha());
        cairo_restore(m_cr);
        cairo_pattern_t* maskPattern = cairo_pop_group(m_cr);
        cairo_set_source(m_cr, layer);
        cairo_mask(m_cr, maskPattern);
        cairo_pattern_destroy(maskPattern);
        cairo_pattern_destroy(layer);
    }
    cairo_restore(m_cr);
}

std::optional<Error> GraphicsContext::status() const
{
    if (auto status = cairo_status(m_cr); status != CAIRO_STATUS_SUCCESS)
        return Error{"pf::GraphicsContext", status, cairo_status_to_string(status)};
    return std::nullopt;
}

}
