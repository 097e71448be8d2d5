#pragma once

// A web page laid out and drawn by our renderer: parse once, lay out at a
// width, draw any part of it, and find the link under a point. Text, boxes
// and images are drawn with cairo and pango (the default family is the CJK
// sans family, so Chinese text renders); a page from a local file reads its
// images and linked style sheets from local files, a page over http or https
// only from the HtmlResources it is given, and <script> elements are ignored.
//
// Pages are untrusted. Text over kMaxHtmlBytes, a file that is not regular,
// a document nested deeper than kMaxHtmlDepth elements, and a page over its
// work budget (PageBudget.h) fail to load with an error, so nothing of them
// is drawn. A page whose media queries restyle it past the budget at the
// width it is laid out at is withheld: it has no content and draws nothing.
//
// One thread at a time.

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Forward.h"
#include "platform/graphics/Geometry.h"

#include <cstddef>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace litehtml {
class context;
class document;
}

namespace pf {

class HtmlPainter;
class PageBudget;
struct HtmlCensus;

// Errors of the domain "pf::HtmlDocument" use these codes.
enum class HtmlDocumentError : long long {
    TooLarge = 1,       // the page's text is over kMaxHtmlBytes
    NotRegularFile = 2, // a directory, pipe or device
    TooDeep = 3,        // elements nested deeper than kMaxHtmlDepth
    Unreadable = 4,     // the file could not be opened or read
    UnsupportedURL = 5, // not a local file URL
    TooComplex = 6,     // more elements, words, selector work, nested tables or floats than a page may ask for
};
inline constexpr const char* htmlDocumentErrorDomain = "pf::HtmlDocument";
// The largest page text (and linked style sheet).
inline constexpr std::size_t kMaxHtmlBytes = 2 * 1024 * 1024;
// The renderer recurses once per level of elements, so nesting is bounded.
inline constexpr int kMaxHtmlDepth = 256;
// The most pictures and linked style sheets one page asks for over the network.
inline constexpr std::size_t kMaxPageImages = 64;
inline constexpr std::size_t kMaxPageStyleSheets = 16;

// The pictures and style sheets of a page whose URL is http or https, by
// resolved URL: such a page reads nothing else (never local files), and
// notes what it asked for and did not find, so that its loader can fetch
// those and make the page again. Pictures over https serve an https page only.
struct HtmlResources {
    using Images = std::map<std::string, BitmapRef>;
    using StyleSheets = std::map<std::string, std::string>;
    Images images; // null for a picture that could not be had
    StyleSheets styleSheets;
};

class HtmlDocument {
public:
    // A page from its text; relative URLs resolve against `baseURL`. A page
    // over its work budget (see PageBudget.h) fails with TooComplex.
    static ErrorOr<std::unique_ptr<HtmlDocument>> create(std::string_view html, std::optional<URL> baseURL = {},
                                                         std::shared_ptr<const HtmlResources> resources = nullptr);
    // A page read from a local file URL.
    static ErrorOr<std::unique_ptr<HtmlDocument>> createWithContentsOfURL(const URL& url);
    ~HtmlDocument();

    // Lays the page out `width` points wide for a viewport `viewportHeight`
    // high and answers the size of its content.
    Size layout(double width, double viewportHeight = 0);
    Size contentSize() const;

    // Draws the part of the page inside `area` (page coordinates) with the
    // page's origin at the context's origin.
    void draw(GraphicsContext& context, const Rect& area);

    // The resolved target of the link under `point` (page coordinates).
    std::optional<URL> linkAtPoint(Point point) const;
    // The text of <title>, empty when there is none.
    const std::string& title() const;
    // The resolved target of the first link whose text, white space
    // collapsed and trimmed, is `text`.
    std::optional<URL> linkWithText(std::string_view text) const;

    // What the page asked for over the network and was not given.
    std::vector<std::string> missingImages() const;
    std::vector<std::string> missingStyleSheets() const;
    // Gives the page a picture it missed; before layout.
    void setImage(const std::string& url, BitmapRef image);

    // Sets (or, without a value, removes) an attribute of the page's <body>.
    // The renderer matches selectors only when a page is made, so the page
    // is made again from its text with the attribute, keeping its pictures;
    // lay it out afterwards. False, changing nothing, when that fails.
    bool setBodyAttribute(const std::string& name, const std::optional<std::string>& value);

    // Tags of list items read on this thread (HtmlListItem.h): lets tests
    // check that laying out a list reads each item once.
    static std::size_t listItemTagReadsForTesting();

    HtmlDocument(const HtmlDocument&) = delete;
    HtmlDocument& operator=(const HtmlDocument&) = delete;

private:
    HtmlDocument() = default;
    static ErrorOr<std::unique_ptr<HtmlDocument>> make(std::string_view html, std::optional<URL> baseURL,
                                                       std::shared_ptr<const HtmlResources> resources,
                                                       const std::map<std::string, std::string>& bodyAttributes);

    // What the page was made from, to make it again with other body attributes.
    std::string m_source;
    std::optional<URL> m_baseURL;
    std::shared_ptr<const HtmlResources> m_resources;
    std::map<std::string, std::string> m_bodyAttributes;

    std::unique_ptr<PageBudget> m_budget; // read by the painter while the page is made
    std::unique_ptr<HtmlCensus> m_census;
    std::unique_ptr<HtmlPainter> m_painter;
    std::unique_ptr<litehtml::context> m_context;
    std::shared_ptr<litehtml::document> m_document;
    bool m_withheld = false; // over the budget once restyled for the viewport
};

}
