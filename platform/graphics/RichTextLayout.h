#pragma once

// Text of many styles laid out into frames: the stand-in for the phone's
// attributed-text layout. Callers count characters in UTF-16 units, as the
// rest of the system does; the text is kept as UTF-8 for the layout library
// with a map between the two, converted only at this boundary. Invalid UTF-8
// becomes U+FFFD when appended, and no range cuts a surrogate pair in half
// (a start inside a pair moves back to the pair, an end inside it forward).
//
// Coordinates grow downwards from the top left of the frame; lines are
// described by their logical boxes, which hit testing and highlight rows both
// use.
//
// Any thread, one thread at a time per layout; a frame is used on the thread
// that made it (layouts come from that thread's text context). A frame is a
// snapshot: later appends do not change frames already made.

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Geometry.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pf {

struct TextRange {
    std::size_t location = 0;
    std::size_t length = 0;
    std::size_t end() const { return location + length; }
    bool operator==(const TextRange&) const = default;
};

// The box an inline object takes in place of its characters: `width` wide,
// `ascent` above the baseline and `descent` below it. Nothing is drawn there.
struct TextShape {
    double width = 0;
    double ascent = 0;
    double descent = 0;
    bool operator==(const TextShape&) const = default;
};

struct RichTextAttributes {
    Font font = Font::system(14);
    Color color = Color::black();
    double kern = 0; // extra points between letters
    // Paragraph settings; the layout takes them from the first run.
    double lineSpacing = 0;
    bool justified = false;
    std::optional<TextShape> shape;
    bool operator==(const RichTextAttributes&) const = default;
};

struct RichTextRun {
    TextRange range;
    double x = 0; // left edge in the frame
    double width = 0;
    double ascent = 0;
    double descent = 0;
};

struct RichTextLine {
    TextRange range;
    Rect box; // the logical box, in the frame
    double baseline = 0;
    std::vector<RichTextRun> runs;
};

class RichTextFrame;
using RichTextFrameRef = std::shared_ptr<const RichTextFrame>;

class RichTextLayout {
public:
    RichTextLayout();
    ~RichTextLayout();

    // Appends a run; answers the units it occupies.
    TextRange append(std::string_view utf8, const RichTextAttributes& attributes);
    // Replaces the attributes of a range; a range past the end is clamped.
    void setAttributes(TextRange range, const RichTextAttributes& attributes);
    void clear();

    std::size_t length() const { return m_offsets.size() - 1; }
    // The UTF-8 offset of a UTF-16 index (clamped); inside a pair, the
    // pair's start, or its end when rounding up.
    std::size_t byteOffset(std::size_t index, bool roundUp = false) const;
    const std::string& text() const { return m_text; }
    bool endsWithNewline() const { return !m_text.empty() && m_text.back() == '\n'; }

    // The lines of the whole text laid out at `size.width` (no limit when
    // not finite or not positive) whose bottoms lie within `size.height`.
    RichTextFrameRef frame(Size size) const;
    // The size the text wants within the constraints (whole points).
    Size suggestedSize(Size constraints) const;

    RichTextLayout(const RichTextLayout&) = delete;
    RichTextLayout& operator=(const RichTextLayout&) = delete;

private:
    friend class RichTextFrame;
    struct Segment {
        std::size_t byteEnd;
        RichTextAttributes attributes;
    };
    struct Snapshot;
    std::shared_ptr<Snapshot> snapshot() const;
    void splitAt(std::size_t byte);

    std::string m_text;
    // UTF-8 offset of every UTF-16 index, and one past the end.
    std::vector<std::size_t> m_offsets{0};
    std::vector<Segment> m_segments;
    mutable std::shared_ptr<Snapshot> m_snapshot;
};

class RichTextFrame {
public:
    ~RichTextFrame();

    Size size() const { return m_size; }
    const std::vector<RichTextLine>& lines() const { return m_lines; }
    // The caret index nearest to a point on one of the lines; nothing when
    // the point lies on none.
    std::optional<std::size_t> indexAtPoint(Point p) const;
    // The x of the caret before `index` on line `line`.
    double offsetForIndex(std::size_t line, std::size_t index) const;
    // One rect per line the range touches: x from the caret offsets, y and
    // height from the line's box.
    std::vector<Rect> rectsForRange(TextRange range) const;
    // Draws the lines with their top left at `origin`.
    void draw(GraphicsContext& context, Point origin = {}) const;

    RichTextFrame(const RichTextFrame&) = delete;
    RichTextFrame& operator=(const RichTextFrame&) = delete;

private:
    friend class RichTextLayout;
    struct Impl;
    explicit RichTextFrame(std::unique_ptr<Impl> impl);

    std::unique_ptr<Impl> m_impl;
    Size m_size;
    std::vector<RichTextLine> m_lines;
};

}
