#include "platform/graphics/Text.h"

#include "platform/foundation/Text.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/TextContext.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace pf {

namespace {

// Layouts for measuring and drawing come from one context without hinting,
// so glyph advances do not depend on the device scale and measuring agrees
// with drawing at any scale.
PangoContext* sharedContext()
{
    thread_local PangoContext* context = [] {
        PangoContext* c = pango_font_map_create_context(pango_cairo_font_map_get_default());
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        pango_cairo_context_set_font_options(c, options);
        cairo_font_options_destroy(options);
        pango_context_set_round_glyph_positions(c, FALSE);
        return c;
    }();
    return context;
}

struct LayoutDeleter {
    void operator()(PangoLayout* layout) const { g_object_unref(layout); }
};
using LayoutPtr = std::unique_ptr<PangoLayout, LayoutDeleter>;

int toPango(double points)
{
    double v = points * PANGO_SCALE;
    if (!std::isfinite(v) || v >= std::numeric_limits<int>::max())
        return -1;
    return int(std::lround(v));
}

bool isTruncating(LineBreakMode mode)
{
    return mode == LineBreakMode::TruncateHead || mode == LineBreakMode::TruncateTail
        || mode == LineBreakMode::TruncateMiddle;
}

// A layout of `text` for a box `width` wide (no limit when not positive)
// and `height` high (no limit when not positive).
LayoutPtr makeLayout(std::string_view text, const TextStyle& style, double width, double height)
{
    // The layout refuses malformed UTF-8; bad bytes show as U+FFFD instead.
    std::string repaired;
    if (!isValidUtf8(text)) {
        repaired = fromUtf16(toUtf16(text));
        text = repaired;
    }
    LayoutPtr layout(pango_layout_new(sharedContext()));
    PangoFontDescription* description = style.font.newPangoDescription();
    pango_layout_set_font_description(layout.get(), description);
    pango_font_description_free(description);
    pango_layout_set_text(layout.get(), text.data(), int(text.size()));
    if (style.lineSpacing > 0)
        pango_layout_set_spacing(layout.get(), toPango(style.lineSpacing));

    bool oneLine = style.numberOfLines == 1;
    if (width > 0 && !(oneLine && style.lineBreak == LineBreakMode::Clip))
        pango_layout_set_width(layout.get(), toPango(width));
    if (style.lineBreak == LineBreakMode::CharWrap) {
        // Character wrapping breaks at the margin, wherever it falls; a
        // hyphen there would add a character the text does not hold.
        pango_layout_set_wrap(layout.get(), PANGO_WRAP_CHAR);
        PangoAttrList* attributes = pango_attr_list_new();
        pango_attr_list_insert(attributes, pango_attr_insert_hyphens_new(FALSE));
        pango_layout_set_attributes(layout.get(), attributes);
        pango_attr_list_unref(attributes);
    } else {
        pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
    }
    switch (style.alignment) {
    case TextAlignment::Left: pango_layout_set_alignment(layout.get(), PANGO_ALIGN_LEFT); break;
    case TextAlignment::Center: pango_layout_set_alignment(layout.get(), PANGO_ALIGN_CENTER); break;
    case TextAlignment::Right: pango_layout_set_alignment(layout.get(), PANGO_ALIGN_RIGHT); break;
    }
    // Without a line count or a box height nothing bounds the lines, so
    // nothing is cut: an ellipsizing layout left unbounded stops after its
    // first line, and a label measured so would draw one line in a box of two.
    bool bounded = style.numberOfLines > 0 || height > 0;
    if (isTruncating(style.lineBreak) && width > 0 && bounded) {
        pango_layout_set_ellipsize(layout.get(), style.lineBreak == LineBreakMode::TruncateHead ? PANGO_ELLIPSIZE_START
                                       : style.lineBreak == LineBreakMode::TruncateMiddle   ? PANGO_ELLIPSIZE_MIDDLE
                                                                                            : PANGO_ELLIPSIZE_END);
        // A negative height counts lines; the box's height bounds the rest.
        if (style.numberOfLines > 0)
            pango_layout_set_height(layout.get(), -style.numberOfLines);
        else if (height > 0)
            pango_layout_set_height(layout.get(), toPango(height));
    }
    return layout;
}

// The height of the first `lines` lines (all when 0) and the widest of them.
Size extentOfLines(PangoLayout* layout, int lines)
{
    PangoRectangle logical;
    pango_layout_get_extents(layout, nullptr, &logical);
    int count = pango_layout_get_line_count(layout);
    if (lines <= 0 || lines >= count)
        return {double(logical.width) / PANGO_SCALE, double(logical.height) / PANGO_SCALE};
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    int bottom = 0, widest = 0;
    for (int i = 0; i < lines; ++i) {
        PangoRectangle line;
        pango_layout_iter_get_line_extents(iter, nullptr, &line);
        bottom = line.y + line.height;
        widest = std::max(widest, line.width);
        if (!pango_layout_iter_next_line(iter))
            break;
    }
    pango_layout_iter_free(iter);
    return {double(widest) / PANGO_SCALE, double(bottom) / PANGO_SCALE};
}

// How many whole lines fit `height` (at least one, so that a box too small
// still shows the start of the text).
int linesFitting(PangoLayout* layout, double height)
{
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    int count = 0;
    do {
        PangoRectangle line;
        pango_layout_iter_get_line_extents(iter, nullptr, &line);
        // Half a point of slack absorbs rounding of measured heights.
        if (double(line.y + line.height) / PANGO_SCALE > height + 0.5)
            break;
        ++count;
    } while (pango_layout_iter_next_line(iter));
    pango_layout_iter_free(iter);
    return std::max(count, 1);
}

class PangoMeasurer final : public TextMeasurer {
public:
    Size measure(std::string_view text, const TextStyle& style, double maxWidth) const override
    {
        if (text.empty())
            return {};
        LayoutPtr layout = makeLayout(text, style, maxWidth, 0);
        Size s = extentOfLines(layout.get(), style.numberOfLines);
        if (maxWidth > 0)
            s.width = std::min(s.width, maxWidth);
        return {std::ceil(s.width), std::ceil(s.height)};
    }
};

}

TextMeasurer::Shrunk TextMeasurer::measureShrinking(std::string_view text, const TextStyle& style, double maxWidth,
                                                    double minFontSize) const
{
    TextStyle line = style;
    line.numberOfLines = 1;
    line.lineBreak = LineBreakMode::Clip;
    double size = style.font.size();
    auto natural = [&](double fontSize) {
        line.font = style.font.withSize(fontSize);
        return measure(text, line, 0);
    };
    Size at = natural(size);
    bool bounded = std::isfinite(maxWidth) && maxWidth > 0;
    if (!bounded || at.width <= maxWidth || !(minFontSize < size))
        return {{bounded ? std::min(at.width, maxWidth) : at.width, at.height}, size};
    double low = std::max(minFontSize, 0.0), high = size;
    Size best = natural(low);
    if (best.width > maxWidth)
        return {{maxWidth, best.height}, low};
    // Invariant: `low` fits, `high` does not.
    while (high - low > 0.01) {
        double mid = (low + high) / 2;
        Size s = natural(mid);
        if (s.width <= maxWidth) {
            low = mid;
            best = s;
        } else {
            high = mid;
        }
    }
    return {best, low};
}

Rect caretRectInText(std::string_view text, const TextStyle& style, double width, std::size_t index)
{
    // The layout holds bad bytes repaired, so the index is found in the
    // repaired text.
    std::string repaired;
    if (!isValidUtf8(text)) {
        repaired = fromUtf16(toUtf16(text));
        text = repaired;
    }
    // Laid out as drawText() lays it out, so the caret follows the drawn
    // line breaks, with the room a wrapped line leaves unused at its end.
    LayoutPtr layout = makeLayout(text, style, width, 0);
    PangoRectangle strong;
    pango_layout_get_cursor_pos(layout.get(), int(utf8OffsetOfUtf16Index(text, index)), &strong, nullptr);
    double x = double(strong.x) / PANGO_SCALE;
    // A blank that hangs past the margin leaves the caret at the margin.
    if (width > 0)
        x = std::min(x, width);
    return Rect(x, double(strong.y) / PANGO_SCALE, 0, double(strong.height) / PANGO_SCALE);
}

PangoContext* textLayoutContext() { return sharedContext(); }

const TextMeasurer& TextMeasurer::system()
{
    static const PangoMeasurer measurer;
    return measurer;
}

void drawText(GraphicsContext& context, std::string_view text, const Rect& rect, const TextStyle& style)
{
    Rect r = sanitizedRect(rect);
    if (text.empty() || r.isEmpty() || style.color.isClear())
        return;
    LayoutPtr layout = makeLayout(text, style, r.width(), r.height());
    // A line cut in half is worse than no line: only whole lines are shown.
    // Truncating layouts already end with the last line that fits.
    int lines = style.numberOfLines;
    if (!isTruncating(style.lineBreak)) {
        int fit = linesFitting(layout.get(), r.height());
        lines = lines > 0 ? std::min(lines, fit) : fit;
    }
    Size used = extentOfLines(layout.get(), lines);

    double x = r.x();
    // A single clipped line is laid out unbounded, so it is aligned here.
    if (style.numberOfLines == 1 && style.lineBreak == LineBreakMode::Clip) {
        if (style.alignment == TextAlignment::Center)
            x += (r.width() - used.width) / 2;
        else if (style.alignment == TextAlignment::Right)
            x += r.width() - used.width;
    }
    cairo_t* cr = context.cairo();
    cairo_save(cr);
    cairo_rectangle(cr, r.x(), r.y(), r.width(), std::min(r.height(), used.height));
    cairo_clip(cr);
    const Color& c = style.color;
    cairo_set_source_rgba(cr, c.red, c.green, c.blue, c.alpha * context.alpha());
    cairo_move_to(cr, x, r.y());
    pango_cairo_show_layout(cr, layout.get());
    cairo_restore(cr);
}

}
