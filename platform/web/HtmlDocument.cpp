#include "platform/web/HtmlDocument.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/web/HtmlFile.h"
#include "platform/web/HtmlListItem.h"
#include "platform/web/HtmlPainter.h"
#include "platform/web/HtmlSanitizer.h"
#include "platform/web/LayoutShape.h"
#include "platform/web/PageBudget.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>

namespace pf {

namespace {

Error htmlError(HtmlDocumentError code, std::string description)
{
    return {htmlDocumentErrorDomain, static_cast<long long>(code), std::move(description)};
}

// Tag counts overstate the depth of sloppy pages (unclosed <font> or <b> in
// every paragraph), so the cheap bound before parsing allows this much more
// than the tree may have.
constexpr int kTagDepthAllowance = 4;

int pagePoints(double v, int low, int high)
{
    if (!std::isfinite(v))
        return low;
    return static_cast<int>(std::clamp(std::floor(v), double(low), double(high)));
}

// The renderer indexes some style sheet text unchecked through checked
// string access (a media query of an open parenthesis and a space reads
// before its first byte), so it throws from deep in its parse. Such a page is
// unreadable, not a reason to end the process; what the parse built goes with
// the unwinding, and the page's painter and context go with the page.
std::shared_ptr<litehtml::document> parsedDocument(const std::string& markup, HtmlPainter& painter,
                                                   litehtml::context& context)
{
    try {
        return litehtml::document::createFromUTF8(markup.c_str(), &painter, &context);
    } catch (const std::exception&) {
        return nullptr;
    }
}

}

ErrorOr<std::unique_ptr<HtmlDocument>> HtmlDocument::create(std::string_view html, std::optional<URL> baseURL,
                                                            std::shared_ptr<const HtmlResources> resources)
{
    return make(html, std::move(baseURL), std::move(resources), {});
}

ErrorOr<std::unique_ptr<HtmlDocument>> HtmlDocument::make(std::string_view html, std::optional<URL> baseURL,
                                                          std::shared_ptr<const HtmlResources> resources,
                                                          const std::map<std::string, std::string>& bodyAttributes)
{
    if (html.size() > kMaxHtmlBytes)
        return htmlError(HtmlDocumentError::TooLarge,
                         "the page is larger than " + std::to_string(kMaxHtmlBytes) + " bytes");
    auto tooDeep = [] {
        return htmlError(HtmlDocumentError::TooDeep,
                         "the page nests elements deeper than " + std::to_string(kMaxHtmlDepth) + " levels");
    };
    int tagLimit = kTagDepthAllowance * kMaxHtmlDepth;
    if (htmlTagDepthBound(html, tagLimit) > tagLimit)
        return tooDeep();
    auto text = sanitizedHtml(html, kMaxHtmlDepth, bodyAttributes);
    if (!text)
        return tooDeep();

    std::unique_ptr<HtmlDocument> page(new HtmlDocument);
    page->m_source = html;
    page->m_baseURL = baseURL;
    page->m_resources = resources;
    page->m_bodyAttributes = bodyAttributes;
    page->m_census = std::make_unique<HtmlCensus>(std::move(text->census));
    page->m_budget = std::make_unique<PageBudget>(*page->m_census);
    auto& budget = *page->m_budget;
    budget.addStyleSheet(html::masterStyleSheet());
    for (const auto& sheet : page->m_census->styleSheets)
        budget.addStyleSheet(sheet);
    // Linked sheets are counted as the renderer reads them, and one over the
    // budget is withheld, so the renderer never does the work refused here.
    auto overBudget = [&] { return htmlError(HtmlDocumentError::TooComplex, budget.overReason()); };
    if (!budget.overReason().empty())
        return overBudget();
    page->m_painter = std::make_unique<HtmlPainter>(std::move(baseURL), std::move(resources), page->m_budget.get());
    page->m_context = std::make_unique<litehtml::context>();
    page->m_context->load_master_stylesheet(html::masterStyleSheet());
    page->m_document = parsedDocument(text->markup, *page->m_painter, *page->m_context);
    if (!page->m_document || !page->m_document->root())
        return htmlError(HtmlDocumentError::Unreadable, "the page could not be parsed");
    if (!budget.overReason().empty() || !budget.setLayoutShape(layoutShapeOf(*page->m_document->root())))
        return overBudget();
    return page;
}

ErrorOr<std::unique_ptr<HtmlDocument>> HtmlDocument::createWithContentsOfURL(const URL& url)
{
    auto text = readHtmlFileOrError(url, kMaxHtmlBytes);
    if (!text)
        return text.error();
    return create(text.value(), url);
}

HtmlDocument::~HtmlDocument()
{
    // The document calls back into the painter while it goes (fonts are deleted).
    m_document.reset();
}

std::size_t HtmlDocument::listItemTagReadsForTesting() { return HtmlListItem::tagReadsForTesting(); }

Size HtmlDocument::layout(double width, double viewportHeight)
{
    int w = pagePoints(width, 1, int(kMaxCoordinate));
    int h = pagePoints(viewportHeight, 0, int(kMaxCoordinate));
    m_painter->setViewport(w, h);
    // Media queries may restyle the page into tables or floats it was not
    // made with, so its shape is measured again before the renderer sees it.
    if (m_document->media_changed() && !m_budget->setLayoutShape(layoutShapeOf(*m_document->root())))
        m_withheld = true;
    if (!m_withheld)
        m_document->render(w);
    return contentSize();
}

Size HtmlDocument::contentSize() const
{
    if (m_withheld)
        return {};
    return {double(m_document->width()), double(m_document->height())};
}

void HtmlDocument::draw(GraphicsContext& context, const Rect& area)
{
    if (m_withheld)
        return;
    Rect clip = sanitizedRect(area).integral();
    litehtml::position position(int(clip.x()), int(clip.y()), int(clip.width()), int(clip.height()));
    context.save();
    context.clipToRect(clip);
    m_document->draw(reinterpret_cast<litehtml::uint_ptr>(&context), 0, 0, &position);
    context.restore();
}

std::optional<URL> HtmlDocument::linkAtPoint(Point point) const
{
    if (m_withheld || !std::isfinite(point.x) || !std::isfinite(point.y))
        return std::nullopt;
    int x = pagePoints(point.x, -int(kMaxCoordinate), int(kMaxCoordinate));
    int y = pagePoints(point.y, -int(kMaxCoordinate), int(kMaxCoordinate));
    auto root = m_document->root();
    if (!root)
        return std::nullopt;
    for (auto el = root->get_element_by_point(x, y, x, y); el; el = el->parent()) {
        const char* tag = el->get_tagName();
        const char* href = el->get_attr("href");
        if (tag && href && litehtml::t_strcasecmp(tag, "a") == 0)
            return m_painter->resolve(href);
    }
    return std::nullopt;
}

const std::string& HtmlDocument::title() const
{
    return m_painter->title();
}

namespace {

std::string collapsedWhiteSpace(const std::string& text)
{
    std::string out;
    for (char c : text) {
        bool space = c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
        if (!space)
            out += c;
        else if (!out.empty() && out.back() != ' ')
            out += ' ';
    }
    if (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

}

std::optional<URL> HtmlDocument::linkWithText(std::string_view text) const
{
    auto root = m_document->root();
    if (!root)
        return std::nullopt;
    // Links cannot nest deeper than the tree, which was bounded.
    for (const auto& link : root->select_all("a[href]")) {
        std::string content;
        link->get_text(content);
        if (collapsedWhiteSpace(content) == text)
            return m_painter->resolve(link->get_attr("href"));
    }
    return std::nullopt;
}

std::vector<std::string> HtmlDocument::missingImages() const
{
    return {m_painter->missingImages().begin(), m_painter->missingImages().end()};
}

std::vector<std::string> HtmlDocument::missingStyleSheets() const
{
    return {m_painter->missingStyleSheets().begin(), m_painter->missingStyleSheets().end()};
}

void HtmlDocument::setImage(const std::string& url, BitmapRef image)
{
    m_painter->setImage(url, std::move(image));
}

bool HtmlDocument::setBodyAttribute(const std::string& name, const std::optional<std::string>& value)
{
    auto attributes = m_bodyAttributes;
    if (value)
        attributes[name] = *value;
    else
        attributes.erase(name);
    if (attributes == m_bodyAttributes)
        return true;
    auto made = make(m_source, m_baseURL, m_resources, attributes);
    if (!made)
        return false;
    auto& page = *made.value();
    for (const auto& [url, image] : m_painter->images())
        page.m_painter->setImage(url, image);
    // The parts point at each other (painter to budget to census), never at
    // their owner, so they change owners whole; the old page goes with `made`.
    std::swap(m_budget, page.m_budget);
    std::swap(m_census, page.m_census);
    std::swap(m_painter, page.m_painter);
    std::swap(m_context, page.m_context);
    std::swap(m_document, page.m_document);
    m_withheld = false;
    m_bodyAttributes = std::move(attributes);
    return true;
}

}
