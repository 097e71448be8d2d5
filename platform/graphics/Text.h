#pragma once

// Single-style text: measured and drawn with the same layout, so a box sized
// by measure() holds exactly what drawText() draws in it.
//
// Any thread: each thread lays out text with its own font map and context.

#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Geometry.h"

#include <cstddef>
#include <string_view>

namespace pf {

enum class TextAlignment { Left, Center, Right };

enum class LineBreakMode {
    WordWrap,       // at word boundaries, inside a word only when it does not fit alone
    CharWrap,       // at any character
    Clip,           // wrapped at words; what does not fit the box is cut
    TruncateHead,   // "…end" on the last line that fits
    TruncateTail,   // "start…"
    TruncateMiddle, // "sta…end"
};

struct TextStyle {
    Font font;
    Color color = Color::black();
    TextAlignment alignment = TextAlignment::Left;
    LineBreakMode lineBreak = LineBreakMode::WordWrap;
    int numberOfLines = 0; // 0: as many as the text needs
    double lineSpacing = 0; // extra points between lines
};

// Measuring sits behind an interface so that layout tests can use fixed metrics.
class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    // The size of the text laid out at most `maxWidth` wide (no limit when not
    // positive) and limited to the style's number of lines; whole points.
    virtual Size measure(std::string_view text, const TextStyle& style, double maxWidth) const = 0;

    // The text on one line within `maxWidth`, the font made smaller (a binary
    // search, to a hundredth of a point) until the line fits, but never below
    // `minFontSize`; at the minimum when even that is too wide, cut to the
    // width. Answers the size and the font size used.
    struct Shrunk {
        Size size;
        double fontSize = 0;
    };
    Shrunk measureShrinking(std::string_view text, const TextStyle& style, double maxWidth, double minFontSize) const;

    // Measures with the fonts that drawText() uses.
    static const TextMeasurer& system();
};

// Draws the text from the top of `rect`, wrapped at its width and limited to
// the whole lines that fit its height and the style's number of lines; the
// truncating modes end the last of them with an ellipsis.
void drawText(GraphicsContext& context, std::string_view text, const Rect& rect, const TextStyle& style);

// Where a caret before UTF-16 unit `index` of `text` (clamped to its end)
// stands when drawText() draws the text `width` wide, from the box's origin:
// x after what precedes it on its laid-out line (never past `width`), y that
// line's top, the height that line's; the width is 0. After a final line
// break it stands at the start of the empty line below.
Rect caretRectInText(std::string_view text, const TextStyle& style, double width, std::size_t index);

}
