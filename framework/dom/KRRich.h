#pragma once

// A rich text: runs of styled text and inline objects appended in order,
// laid out into a frame of a given size, drawn, measured and hit-tested.
// Ranges count UTF-16 units. An inline object stands in the text as one
// "囧" in the clear colour whose box is the object's size; the rich text
// draws its draw elements over their boxes after the text, and places the
// views of its view elements when asked.
//
// Coordinates grow downwards from the top left of the frame; nothing is
// flipped. Hit rows and highlight rows are the lines' logical boxes.
//
// The font, colour and spacings apply to later appends only. One frame is
// cached, keyed by size; every append or clear drops it. Main queue only.

#include "framework/dom/KRRichElement.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/RichTextLayout.h"

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

struct KRRichParagraphStyle {
    double lineSpacing = 0;
    bool justified = true;
};

// What a run may set; anything left empty takes the rich text's setting.
struct KRRichAttributes {
    std::optional<pf::Font> font;
    std::optional<pf::Color> foregroundColor;
    std::optional<double> kern;
    std::optional<KRRichParagraphStyle> paragraphStyle;
};

class KRRich {
public:
    // U+56E7 in UTF-8.
    static constexpr std::string_view kPlaceholder = "\xE5\x9B\xA7";

    KRRich();
    ~KRRich();

    // Appends one run; the element (when given) takes its range and joins
    // the element list.
    void appendElement(std::shared_ptr<KRRichElement> element, std::string_view text, const KRRichAttributes& attributes);
    // An inline object: its placeholder in the clear colour.
    void appendElement(std::shared_ptr<KRRichElement> element);
    void appendText(std::string_view text, const KRRichAttributes& attributes);
    // Replaces the attributes of the element's range (clamped to the text);
    // an inline object keeps its box.
    void setAttributes(const KRRichAttributes& attributes, const KRRichElement* element);
    void removeAllElements();

    // The frame for that size, cached.
    pf::RichTextFrameRef frameWithSize(pf::Size size);
    // The size the whole text wants within the constraints (a non-finite
    // or huge side is unbounded).
    pf::Size contentSizeWithSize(pf::Size constraints) const;
    bool isNewLine() const { return m_text.endsWithNewline(); }

    // The text, then every draw element over its box, in list order.
    void drawContext(pf::GraphicsContext& context, pf::Size size);
    void drawElement(KRRichElement& element, pf::GraphicsContext& context, pf::Size size);
    // The element whose range holds the caret index nearest the point, its
    // end included; null when none.
    std::shared_ptr<KRRichElement> elementByLocation(pf::Point point, pf::Size size);
    // One rect per line the element covers; none for a null element.
    std::vector<pf::Rect> elementRects(const KRRichElement* element, pf::Size size);
    // The box of an inline object's placeholder in the frame; nothing when
    // its line is not in the frame.
    std::optional<pf::Rect> elementBox(const KRRichElement& element, pf::Size size);
    // Frames each view element's view at its box (offset by `rect`'s origin)
    // and adds it to `host`; uninstallView() takes them off again.
    void installView(const pf::ViewRef& host, const pf::Rect& rect);
    void uninstallView();

    const pf::Font& font() const { return m_font; }
    void setFont(pf::Font font) { m_font = std::move(font); }
    double incFontSize() const { return m_incFontSize; }
    void setIncFontSize(double inc) { m_incFontSize = inc; }
    const pf::Color& textColor() const { return m_textColor; }
    void setTextColor(pf::Color color) { m_textColor = color; }
    double linesSpacing() const { return m_linesSpacing; }
    void setLinesSpacing(double spacing) { m_linesSpacing = spacing; }
    double charsetsSpacing() const { return m_charsetsSpacing; }
    void setCharsetsSpacing(double spacing) { m_charsetsSpacing = spacing; }
    const std::vector<std::shared_ptr<KRRichElement>>& elements() const { return m_elements; }
    const pf::RichTextLayout& attributedString() const { return m_text; }

    KRRich(const KRRich&) = delete;
    KRRich& operator=(const KRRich&) = delete;

private:
    pf::RichTextAttributes resolve(const KRRichAttributes& attributes, const KRRichElement* element) const;
    void invalidate();

    pf::RichTextLayout m_text;
    std::vector<std::shared_ptr<KRRichElement>> m_elements;
    pf::RichTextFrameRef m_frame;
    pf::Size m_frameSize;
    pf::Font m_font = pf::Font::system(14);
    double m_incFontSize = 0;
    pf::Color m_textColor = pf::Color::black();
    double m_linesSpacing = 3;
    double m_charsetsSpacing = 0;
};
