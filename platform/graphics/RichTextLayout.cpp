#include "platform/graphics/RichTextLayout.h"

#include "platform/foundation/Text.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/TextContext.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>

namespace pf {

namespace {

// Points to layout units. Lengths stay within 10000 points, so that the
// library's int sums over a line or a page of them cannot overflow.
int toPango(double points)
{
    constexpr double limit = 10000.0 * PANGO_SCALE;
    if (!std::isfinite(points))
        return 0;
    return int(std::lround(std::clamp(points * PANGO_SCALE, -limit, limit)));
}

double fromPango(int units) { return double(units) / PANGO_SCALE; }

guint16 channel(double component) { return guint16(std::lround(std::clamp(component, 0.0, 1.0) * 65535)); }

bool isBoundedWidth(double width) { return std::isfinite(width) && width > 0 && width < (1 << 20); }

}

// What frames share of the text at the time they were made.
struct RichTextLayout::Snapshot {
    std::string text;
    std::vector<std::size_t> offsets;
    PangoAttrList* attributes = nullptr;
    double lineSpacing = 0;
    bool justified = false;

    ~Snapshot()
    {
        if (attributes)
            pango_attr_list_unref(attributes);
    }
    std::size_t indexOfByte(std::size_t byte) const
    {
        return std::size_t(std::lower_bound(offsets.begin(), offsets.end(), byte) - offsets.begin());
    }
};

struct RichTextFrame::Impl {
    std::shared_ptr<RichTextLayout::Snapshot> snapshot;
    PangoLayout* layout = nullptr;
    ~Impl()
    {
        if (layout)
            g_object_unref(layout);
    }
};

RichTextLayout::RichTextLayout() = default;
RichTextLayout::~RichTextLayout() = default;

std::size_t RichTextLayout::byteOffset(std::size_t index, bool roundUp) const
{
    std::size_t n = length();
    if (index >= n)
        return m_text.size();
    std::size_t byte = m_offsets[index];
    if (roundUp && index > 0 && m_offsets[index - 1] == byte)
        return m_offsets[index + 1];
    return byte;
}

TextRange RichTextLayout::append(std::string_view utf8, const RichTextAttributes& attributes)
{
    std::string repaired;
    if (!isValidUtf8(utf8)) {
        repaired = fromUtf16(toUtf16(utf8));
        utf8 = repaired;
    }
    // NUL ends the text for the layout library; it stands as U+FFFD.
    if (utf8.find('\0') != std::string_view::npos) {
        if (repaired.empty())
            repaired = std::string(utf8);
        for (std::size_t at; (at = repaired.find('\0')) != std::string::npos;)
            repaired.replace(at, 1, "\xEF\xBF\xBD");
        utf8 = repaired;
    }
    TextRange range{length(), 0};
    if (utf8.empty())
        return range;
    std::size_t base = m_text.size();
    m_offsets.pop_back();
    for (std::size_t i = 0; i < utf8.size();) {
        unsigned char lead = (unsigned char)utf8[i];
        std::size_t bytes = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        m_offsets.push_back(base + i);
        if (bytes == 4)
            m_offsets.push_back(base + i); // the low surrogate's unit
        i += bytes;
    }
    m_text.append(utf8);
    m_offsets.push_back(m_text.size());
    range.length = length() - range.location;

    if (!m_segments.empty() && !attributes.shape && !m_segments.back().attributes.shape
        && m_segments.back().attributes == attributes)
        m_segments.back().byteEnd = m_text.size();
    else
        m_segments.push_back({m_text.size(), attributes});
    m_snapshot.reset();
    return range;
}

void RichTextLayout::splitAt(std::size_t byte)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < m_segments.size(); i++) {
        if (byte > start && byte < m_segments[i].byteEnd) {
            Segment head{byte, m_segments[i].attributes};
            m_segments.insert(m_segments.begin() + std::ptrdiff_t(i), head);
            return;
        }
        start = m_segments[i].byteEnd;
    }
}

void RichTextLayout::setAttributes(TextRange range, const RichTextAttributes& attributes)
{
    std::size_t n = length();
    std::size_t location = std::min(range.location, n);
    std::size_t end = location + std::min(range.length, n - location);
    std::size_t b0 = byteOffset(location);
    std::size_t b1 = byteOffset(end, true);
    if (b0 >= b1)
        return;
    splitAt(b0);
    splitAt(b1);
    std::size_t start = 0;
    auto first = m_segments.end(), last = m_segments.end();
    for (auto it = m_segments.begin(); it != m_segments.end(); ++it) {
        if (start >= b0 && it->byteEnd <= b1) {
            if (first == m_segments.end())
                first = it;
            last = it + 1;
        }
        start = it->byteEnd;
    }
    if (first == m_segments.end())
        return;
    auto at = m_segments.erase(first, last);
    m_segments.insert(at, Segment{b1, attributes});
    m_snapshot.reset();
}

void RichTextLayout::clear()
{
    m_text.clear();
    m_offsets.assign(1, 0);
    m_segments.clear();
    m_snapshot.reset();
}

std::shared_ptr<RichTextLayout::Snapshot> RichTextLayout::snapshot() const
{
    if (m_snapshot)
        return m_snapshot;
    auto s = std::make_shared<Snapshot>();
    s->text = m_text;
    s->offsets = m_offsets;
    s->attributes = pango_attr_list_new();
    if (!m_segments.empty()) {
        s->lineSpacing = m_segments.front().attributes.lineSpacing;
        s->justified = m_segments.front().attributes.justified;
    }
    std::size_t start = 0;
    for (std::size_t i = 0; i < m_segments.size(); i++) {
        const Segment& segment = m_segments[i];
        const RichTextAttributes& a = segment.attributes;
        auto insert = [&](PangoAttribute* attribute) {
            attribute->start_index = guint(start);
            attribute->end_index = guint(segment.byteEnd);
            pango_attr_list_insert(s->attributes, attribute);
        };
        PangoFontDescription* description = a.font.newPangoDescription();
        insert(pango_attr_font_desc_new(description));
        pango_font_description_free(description);
        insert(pango_attr_foreground_new(channel(a.color.red), channel(a.color.green), channel(a.color.blue)));
        // Alpha 0 reads as "not set" to the renderer; one step above it is
        // as invisible.
        if (a.color.alpha < 1)
            insert(pango_attr_foreground_alpha_new(std::max<guint16>(1, channel(a.color.alpha))));
        if (a.kern != 0)
            insert(pango_attr_letter_spacing_new(toPango(a.kern)));
        if (a.shape) {
            double ascent = std::max(0.0, a.shape->ascent), descent = std::max(0.0, a.shape->descent);
            PangoRectangle box{0, -toPango(ascent), toPango(std::max(0.0, a.shape->width)), toPango(ascent + descent)};
            // Distinct data keeps neighbouring objects of one size in runs
            // of their own.
            insert(pango_attr_shape_new_with_data(&box, &box, GSIZE_TO_POINTER(i + 1), nullptr, nullptr));
        }
        start = segment.byteEnd;
    }
    m_snapshot = s;
    return s;
}

RichTextFrameRef RichTextLayout::frame(Size size) const
{
    auto impl = std::make_unique<RichTextFrame::Impl>();
    impl->snapshot = snapshot();
    const Snapshot& s = *impl->snapshot;
    impl->layout = pango_layout_new(textLayoutContext());
    PangoLayout* layout = impl->layout;
    pango_layout_set_text(layout, s.text.data(), int(s.text.size()));
    pango_layout_set_attributes(layout, s.attributes);
    if (isBoundedWidth(size.width))
        pango_layout_set_width(layout, toPango(size.width));
    pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    if (s.lineSpacing > 0)
        pango_layout_set_spacing(layout, toPango(s.lineSpacing));
    pango_layout_set_justify(layout, s.justified);

    std::vector<RichTextLine> lines;
    double height = std::isfinite(size.height) ? size.height : HUGE_VAL;
    if (!s.text.empty()) {
        PangoLayoutIter* iter = pango_layout_get_iter(layout);
        PangoLayoutLine* current = nullptr;
        do {
            PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter);
            if (line != current) {
                current = line;
                PangoRectangle logical;
                pango_layout_iter_get_line_extents(iter, nullptr, &logical);
                // Half a point of slack absorbs rounding of suggested sizes.
                if (fromPango(logical.y + logical.height) > height + 0.5)
                    break;
                RichTextLine entry;
                entry.box = {fromPango(logical.x), fromPango(logical.y), fromPango(logical.width),
                             fromPango(logical.height)};
                entry.baseline = fromPango(pango_layout_iter_get_baseline(iter));
                entry.range.location = s.indexOfByte(std::size_t(line->start_index));
                lines.push_back(std::move(entry));
            }
            PangoLayoutRun* run = pango_layout_iter_get_run_readonly(iter);
            if (run) {
                PangoRectangle logical;
                pango_layout_iter_get_run_extents(iter, nullptr, &logical);
                RichTextRun r;
                std::size_t b0 = std::size_t(run->item->offset);
                r.range.location = s.indexOfByte(b0);
                r.range.length = s.indexOfByte(b0 + std::size_t(run->item->length)) - r.range.location;
                r.x = fromPango(logical.x);
                r.width = fromPango(logical.width);
                r.ascent = lines.back().baseline - fromPango(logical.y);
                r.descent = fromPango(logical.y + logical.height) - lines.back().baseline;
                lines.back().runs.push_back(r);
            }
        } while (pango_layout_iter_next_run(iter));
        pango_layout_iter_free(iter);
        // A line reaches to the next line's start, its line break included.
        int count = pango_layout_get_line_count(layout);
        for (std::size_t i = 0; i < lines.size(); i++) {
            std::size_t next = s.offsets.size() - 1;
            if (int(i) + 1 < count)
                next = s.indexOfByte(std::size_t(pango_layout_get_line_readonly(layout, int(i) + 1)->start_index));
            lines[i].range.length = next - lines[i].range.location;
        }
    }
    auto frame = std::shared_ptr<RichTextFrame>(new RichTextFrame(std::move(impl)));
    frame->m_size = size;
    frame->m_lines = std::move(lines);
    return frame;
}

Size RichTextLayout::suggestedSize(Size constraints) const
{
    RichTextFrameRef f = frame(constraints);
    double width = 0, height = 0;
    for (const RichTextLine& line : f->lines()) {
        width = std::max(width, line.box.width());
        height = std::max(height, line.box.maxY());
    }
    return {std::ceil(width), std::ceil(height)};
}

RichTextFrame::RichTextFrame(std::unique_ptr<Impl> impl)
    : m_impl(std::move(impl))
{
}

RichTextFrame::~RichTextFrame() = default;

std::optional<std::size_t> RichTextFrame::indexAtPoint(Point p) const
{
    const auto& s = *m_impl->snapshot;
    for (std::size_t i = 0; i < m_lines.size(); i++) {
        const Rect& box = m_lines[i].box;
        if (p.x < box.x() || p.x > box.maxX() || p.y < box.y() || p.y >= box.maxY())
            continue;
        PangoLayoutLine* line = pango_layout_get_line_readonly(m_impl->layout, int(i));
        int index = 0, trailing = 0;
        pango_layout_line_x_to_index(line, toPango(p.x - box.x()), &index, &trailing);
        const char* text = s.text.c_str();
        const char* at = g_utf8_offset_to_pointer(text + index, trailing);
        return s.indexOfByte(std::size_t(at - text));
    }
    return std::nullopt;
}

double RichTextFrame::offsetForIndex(std::size_t line, std::size_t index) const
{
    if (line >= m_lines.size())
        return 0;
    const auto& s = *m_impl->snapshot;
    const RichTextLine& entry = m_lines[line];
    PangoLayoutLine* pl = pango_layout_get_line_readonly(m_impl->layout, int(line));
    index = std::clamp(index, entry.range.location, entry.range.end());
    std::size_t byte = index < s.offsets.size() ? s.offsets[index] : s.text.size();
    byte = std::min(byte, std::size_t(pl->start_index + pl->length));
    int x = 0;
    pango_layout_line_index_to_x(pl, int(byte), FALSE, &x);
    return entry.box.x() + fromPango(x);
}

std::vector<Rect> RichTextFrame::rectsForRange(TextRange range) const
{
    std::vector<Rect> rows;
    std::size_t consumed = 0;
    for (std::size_t i = 0; i < m_lines.size() && consumed < range.length; i++) {
        const RichTextLine& line = m_lines[i];
        std::size_t index = range.location + consumed;
        if (index < line.range.location || index >= line.range.end())
            continue;
        double startX = offsetForIndex(i, index);
        double endX;
        if (line.range.end() < range.end()) {
            endX = line.box.maxX();
            consumed = line.range.end() - range.location;
        } else {
            consumed = range.length;
            endX = offsetForIndex(i, range.end());
        }
        rows.push_back({startX, line.box.y(), endX - startX, line.box.height()});
    }
    return rows;
}

void RichTextFrame::draw(GraphicsContext& context, Point origin) const
{
    if (m_lines.empty())
        return;
    cairo_t* cr = context.cairo();
    cairo_save(cr);
    bool faded = context.alpha() < 1;
    if (faded)
        cairo_push_group(cr);
    for (std::size_t i = 0; i < m_lines.size(); i++) {
        const RichTextLine& line = m_lines[i];
        cairo_move_to(cr, origin.x + line.box.x(), origin.y + line.baseline);
        pango_cairo_show_layout_line(cr, pango_layout_get_line_readonly(m_impl->layout, int(i)));
    }
    if (faded) {
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, context.alpha());
    }
    cairo_restore(cr);
}

}
