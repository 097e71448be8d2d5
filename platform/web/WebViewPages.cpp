#include "platform/web/WebViewPages.h"

#include "platform/controls/WebView.h"
#include "platform/web/HtmlDocument.h"

namespace pf {

namespace {

class HtmlWebPage : public WebPage {
public:
    explicit HtmlWebPage(std::unique_ptr<HtmlDocument> document) : m_document(std::move(document)) {}
    Size layout(double width, double viewportHeight) override { return m_document->layout(width, viewportHeight); }
    void draw(GraphicsContext& context, const Rect& area) override { m_document->draw(context, area); }
    std::optional<std::string> linkAtPoint(Point point) const override
    {
        if (auto url = m_document->linkAtPoint(point))
            return url->absoluteString();
        return std::nullopt;
    }

private:
    std::unique_ptr<HtmlDocument> m_document;
};

Error unsupported(const std::string& url)
{
    return {htmlDocumentErrorDomain, (long long)HtmlDocumentError::UnsupportedURL, "Not a local file URL: " + url};
}

ErrorOr<std::unique_ptr<WebPage>> loadPage(const std::optional<std::string>& html, const std::string& url)
{
    auto parsed = URL::create(url);
    ErrorOr<std::unique_ptr<HtmlDocument>> document = Error{};
    if (html)
        document = HtmlDocument::create(*html, url.empty() ? std::nullopt : parsed);
    else if (!parsed)
        return unsupported(url);
    else
        document = HtmlDocument::createWithContentsOfURL(*parsed);
    if (!document)
        return document.error();
    return std::unique_ptr<WebPage>(std::make_unique<HtmlWebPage>(std::move(document.value())));
}

}

void useHtmlDocumentsInWebViews()
{
    WebView::setPageLoader(loadPage);
}

}
