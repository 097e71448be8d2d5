#include "platform/web/HtmlDocument.h"

#include "platform/graphics/GraphicsContext.h"
#include "platform/web/HtmlFile.h"
#include "platform/web/HtmlPainter.h"
#include "platform/web/HtmlSanitizer.h"

#include <algorithm>
#include <cmath>
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

}

ErrorOr<std::unique_ptr<HtmlDocument>> HtmlDocument::create(std::string_view html, std::optional<URL> baseURL)
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
    auto text = sanitizedHtml(html, kMaxHtmlDepth);
    if (!text)
        return tooDeep();

    std::unique_ptr<HtmlDocument> page(new HtmlDocument);
    page->m_painter = std::make_unique<HtmlPainter>(std::move(baseURL));
    page->m_context = std::make_unique<litehtml::context>();
    page->m_context->load_master_stylesheet(html::masterStyleSheet());
    page->m_document = litehtml::document::createFromUTF8(text->c_str(), page->m_painter.get(), page->m_context.get());
    if (!page->m_document)
        return htmlError(HtmlDocumentError::Unreadable, "the page could not be parsed");
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

Size HtmlDocument::layout(double width, double viewportHeight)
{
    int w = pagePoints(width, 1, int(kMaxCoordinate));
    int h = pagePoints(viewportHeight, 0, int(kMaxCoordinate));
    m_painter->setViewport(w, h);
    m_document->media_changed();
    m_document->render(w);
    return contentSize();
}

Size HtmlDocument::contentSize() const
{
    return {double(m_document->width()), double(m_document->height())};
}

void HtmlDocument::draw(GraphicsContext& context, const Rect& area)
{
    Rect clip = sanitizedRect(area).integral();
    litehtml::position position(int(clip.x()), int(clip.y()), int(clip.width()), int(clip.height()));
    context.save();
    context.clipToRect(clip);
    m_document->draw(reinterpret_cast<litehtml::uint_ptr>(&context), 0, 0, &position);
    context.restore();
}

std::optional<URL> HtmlDocument::linkAtPoint(Point point) const
{
    if (!std::isfinite(point.x) || !std::isfinite(point.y))
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

}
