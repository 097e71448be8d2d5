#pragma once

// Untrusted page text made safe for the renderer. The HTML parser's work
// grows with the square of the nesting depth, and with default options it
// copies the open-element stack into every parse error it records, so a deep
// or error-laden page costs minutes and gigabytes. We therefore
//  1. bound the nesting cheaply from the tags alone before parsing,
//  2. parse once ourselves without recording errors and measure the depth of
//     the element tree, and
//  3. hand the renderer the tree written back as clean markup (scripts and
//     comments dropped, table spans and style sheets made safe, the
//     renderer's own list numbers never taken from the page), which its
//     own parse reads without errors into the same tree: the census and the
//     depth bound hold for what the renderer builds. (Raw text is written
//     raw only where the parser reads it raw, and no name written inside
//     svg or math makes the parser leave them.) A style element is written
//     back as the one text its census counts.
// Internal to pf_web. Any thread.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pf {

// The renderer indexes its table grid by a cell's colspan and rowspan
// unchecked: a span below one reads outside the grid (far enough below, it
// crashes), a colspan in the billions asks for gigabytes, and large rowspans
// over many rows make a grid that takes minutes to lay out. Spans are
// written back as whole numbers from 1 to this; one that is not a positive
// number is 1.
inline constexpr int kMaxHtmlTableSpan = 100;

// The renderer removes a style sheet's comments before reading it and, for
// a comment left open at the sheet's second character ("p/* x"), loops for
// ever. Every sheet it is handed (a style element's text, a linked or
// imported sheet) starts with these two line breaks, which no comment
// removal takes away, so no comment can start there.
inline constexpr const char* kStyleSheetStart = "\n\n";

// A generous bound on the element depth the parser will build, from tag
// counts alone: start tags that cannot close implicitly count, their end
// tags uncount, raw-text contents and comments are skipped. Stops counting
// once past `limit`.
int htmlTagDepthBound(std::string_view html, int limit);

// What the renderer's work on a page grows with, counted on the tree it is
// handed.
struct HtmlCensus {
    int depth = 0;       // elements nested
    int elements = 0;
    int textRuns = 0;    // words and the spaces between them, each a box
    std::size_t textBytes = 0;    // of the text shown
    std::size_t nonAsciiBytes = 0; // of those, the ones of other than ASCII characters
    int maxChildren = 0; // the most children of one element
    // The levels of the elements summed, and of the words and spaces: the
    // renderer looks each inherited style up through every level above.
    double elementDepths = 0;
    double textRunDepths = 0;
    bool mediaQueries = false; // a media attribute (on a style sheet) anywhere
    std::map<std::string, int> tags, classes, ids;
    std::vector<std::string> styleSheets; // the texts of <style> elements
};

struct SanitizedHtml {
    std::string markup;
    HtmlCensus census;
};

// Attributes the page's <body> is written back with, replacing its own of
// the same names (the web view's marks, WebPage::setBodyAttribute).
using HtmlBodyAttributes = std::map<std::string, std::string>;

// The page written back as markup with its census, or nothing when its
// element tree nests deeper than `maxDepth`.
std::optional<SanitizedHtml> sanitizedHtml(std::string_view html, int maxDepth,
                                           const HtmlBodyAttributes& bodyAttributes = {});

}
