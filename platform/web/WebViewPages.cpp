#include "platform/web/WebViewPages.h"

#include "platform/controls/WebView.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Reachability.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/ImageCodec.h"
#include "platform/net/URLConnection.h"
#include "platform/web/HtmlDocument.h"

namespace pf {

namespace {

// Largest picture fetched for a page; decoding limits the pixels besides.
constexpr std::size_t kMaxPageImageBytes = 16 * 1024 * 1024;

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
    std::optional<std::string> linkWithText(std::string_view text) const override
    {
        if (auto url = m_document->linkWithText(text))
            return url->absoluteString();
        return std::nullopt;
    }
    std::string title() const override { return m_document->title(); }
    bool setBodyAttribute(const std::string& name, const std::optional<std::string>& value) override
    {
        return m_document->setBodyAttribute(name, value);
    }

private:
    std::unique_ptr<HtmlDocument> m_document;
};

Error htmlError(HtmlDocumentError code, std::string description)
{
    return {htmlDocumentErrorDomain, (long long)code, std::move(description)};
}

Error tooLarge(const std::string& url)
{
    return htmlError(HtmlDocumentError::TooLarge, url + " is larger than " + std::to_string(kMaxHtmlBytes) + " bytes");
}

// Pictures decode here, off the main thread; never destroyed, as loads may
// be under way at exit.
DispatchQueue& decodeQueue()
{
    static auto* queue = new DispatchQueueRef(DispatchQueue::create("pf.web.decode"));
    return **queue;
}

bool isNetwork(const std::string& scheme)
{
    return scheme == "http" || scheme == "https";
}

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// One page load: the page's bytes, then its style sheets and pictures.
class PageFetch final : public WebPageLoad, public std::enable_shared_from_this<PageFetch> {
public:
    PageFetch(std::optional<std::string> html, HttpRequest request, WebPageLoadClient client)
        : m_html(std::move(html)), m_request(std::move(request)), m_client(std::move(client))
    {
    }

    // A load dropped by its view stops its transfers.
    ~PageFetch() override
    {
        for (auto& connection : m_connections)
            connection->cancel();
    }

    void start()
    {
        m_url = m_request.url();
        // The request's time-out bounds each wait, and the whole load too:
        // a server dripping a byte at a time never lets it run out.
        m_deadline = HttpConnection::Clock::now()
            + std::chrono::duration_cast<HttpConnection::Clock::duration>(m_request.effectiveTimeoutInterval());
        if (m_html) {
            later([](PageFetch& f) { f.m_body = std::move(*f.m_html), f.build(); });
            return;
        }
        auto url = URL::create(m_url);
        if (url && isNetwork(url->scheme())) {
            fetchPage(m_request);
            return;
        }
        later([](PageFetch& f) {
            auto parsed = URL::create(f.m_url);
            if (!parsed)
                return f.fail(htmlError(HtmlDocumentError::UnsupportedURL, "Not a URL: " + f.m_url));
            auto document = HtmlDocument::createWithContentsOfURL(*parsed);
            if (!document)
                return f.fail(document.error());
            f.finish(std::move(document.value()));
        });
    }

    void cancel() override
    {
        m_done = true;
        m_client = {};
        auto connections = std::move(m_connections);
        for (auto& connection : connections)
            connection->cancel();
    }

private:
    void later(std::function<void(PageFetch&)> step)
    {
        std::weak_ptr<PageFetch> weak = shared_from_this();
        RunLoop::main().post([weak, step = std::move(step)] {
            if (auto fetch = weak.lock(); fetch && !fetch->m_done)
                step(*fetch);
        });
    }

    // The request's host is asked of the platform's reachability first, so
    // an offline device fails at once rather than after a time-out.
    std::optional<Error> offline(const std::string& url)
    {
        auto parsed = URL::create(url);
        ReachabilityTarget target;
        target.kind = ReachabilityTarget::Kind::HostName;
        target.hostName = parsed ? parsed->host() : std::string();
        if (reachabilityFlagsForTarget(target) & kReachabilityReachable)
            return std::nullopt;
        return Error{urlErrorDomain, -1009, "The Internet connection appears to be offline."};
    }

    void fetchPage(HttpRequest request)
    {
        if (auto error = offline(request.url())) {
            later([error = *error](PageFetch& f) { f.fail(error); });
            return;
        }
        m_url = request.url();
        m_body.clear();
        std::weak_ptr<PageFetch> weak = shared_from_this();
        auto connection = std::make_shared<std::shared_ptr<URLConnection>>();
        URLConnectionCallbacks callbacks;
        callbacks.response = [weak, connection](const HttpResponse& response) {
            if (auto f = weak.lock())
                f->pageResponse(**connection, response);
        };
        callbacks.data = [weak, connection](const Bytes& chunk) {
            auto f = weak.lock();
            if (!f)
                return;
            if (f->m_body.size() + chunk.size() > kMaxHtmlBytes) {
                (*connection)->cancel();
                return f->fail(tooLarge(f->m_url));
            }
            f->m_body.append(chunk.begin(), chunk.end());
        };
        callbacks.finished = [weak] {
            if (auto f = weak.lock())
                f->build();
        };
        callbacks.failed = [weak](const Error& error) {
            if (auto f = weak.lock())
                f->fail(urlError(error));
        };
        *connection = URLConnection::start(std::move(request), std::move(callbacks), m_deadline);
        m_connections = {*connection};
    }

    void pageResponse(URLConnection& connection, const HttpResponse& response)
    {
        auto keep = shared_from_this();
        auto location = response.valueForHTTPHeaderField("Location");
        if (isRedirect(response.statusCode()) && location) {
            connection.cancel();
            auto base = URL::create(m_url);
            auto target = URL::create(*location, base ? &*base : nullptr);
            if (!target)
                return fail(Error{urlErrorDomain, -1011, "A redirect named no URL: " + *location});
            std::string next = target->absoluteString();
            if (++m_hops > kMaxWebRedirects)
                return fail(Error{urlErrorDomain, -1007, "too many HTTP redirects"});
            auto ask = m_client.shouldFollowRedirect;
            if (ask && !ask(next)) {
                cancel(); // refused: ends without a report
                return;
            }
            if (m_done)
                return;
            if (!isNetwork(target->scheme()))
                return fail(htmlError(HtmlDocumentError::UnsupportedURL, "A page cannot redirect to " + next));
            HttpRequest request = m_request;
            request.setUrl(next);
            if (response.statusCode() == 303) {
                request.setHttpMethod("GET");
                request.setHttpBody(nullptr);
            }
            fetchPage(std::move(request));
            return;
        }
        if (auto length = response.expectedContentLength(); length && *length > kMaxHtmlBytes) {
            connection.cancel();
            fail(tooLarge(m_url));
        }
    }

    // Makes the page from its bytes and what it has of its resources; fetches
    // the style sheets it missed and makes it again, then its pictures.
    void build()
    {
        if (m_done)
            return;
        m_connections.clear();
        auto base = URL::create(m_url);
        auto document = HtmlDocument::create(m_body, m_url.empty() ? std::nullopt : base, m_resources);
        if (!document)
            return fail(document.error());
        auto sheets = document.value()->missingStyleSheets();
        // Sheets may import more sheets: a few rounds, then the page shows without the rest.
        if (!sheets.empty() && m_sheetRounds++ < 3) {
            fetchResources(sheets, false);
            return;
        }
        auto images = document.value()->missingImages();
        if (images.empty())
            return finish(std::move(document.value()));
        m_document = std::move(document.value());
        fetchResources(images, true);
    }

    void fetchResources(const std::vector<std::string>& urls, bool images)
    {
        m_pending = urls.size();
        std::weak_ptr<PageFetch> weak = shared_from_this();
        for (const auto& url : urls) {
            HttpRequest request = m_request;
            request.setUrl(url);
            request.setHttpMethod("GET");
            request.setHttpBody(nullptr);
            auto body = std::make_shared<std::string>();
            auto ok = std::make_shared<bool>(false);
            std::size_t cap = images ? kMaxPageImageBytes : kMaxHtmlBytes;
            auto connection = std::make_shared<std::shared_ptr<URLConnection>>();
            auto done = [weak, url, body, ok, images] {
                if (auto f = weak.lock())
                    f->resourceArrived(url, *ok ? std::move(*body) : std::string(), *ok, images);
            };
            URLConnectionCallbacks callbacks;
            callbacks.response = [ok](const HttpResponse& response) { *ok = response.isSuccessful(); };
            callbacks.data = [body, ok, cap, connection, done](const Bytes& chunk) {
                if (body->size() + chunk.size() > cap) {
                    *ok = false;
                    (*connection)->cancel();
                    return done();
                }
                body->append(chunk.begin(), chunk.end());
            };
            callbacks.finished = done;
            callbacks.failed = [ok, done](const Error&) { *ok = false, done(); };
            *connection = URLConnection::start(std::move(request), std::move(callbacks), m_deadline);
            m_connections.push_back(*connection);
        }
    }

    void resourceArrived(const std::string& url, std::string bytes, bool ok, bool image)
    {
        if (m_done)
            return;
        if (image && ok) {
            std::weak_ptr<PageFetch> weak = shared_from_this();
            decodeQueue().async([weak, url, bytes = std::move(bytes)] {
                BitmapRef bitmap;
                if (auto decoded = decodeImage(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()))
                    bitmap = decoded.value();
                dispatchMain([weak, url, bitmap] {
                    if (auto f = weak.lock(); f && !f->m_done)
                        f->imageDecoded(url, bitmap);
                });
            });
            return;
        }
        if (image)
            return imageDecoded(url, nullptr);
        std::const_pointer_cast<HtmlResources>(m_resources)->styleSheets[url] = ok ? std::move(bytes) : std::string();
        if (--m_pending == 0)
            build();
    }

    // A picture that does not decode (over the pixel cap included) stays blank.
    void imageDecoded(const std::string& url, BitmapRef bitmap)
    {
        m_document->setImage(url, std::move(bitmap));
        if (--m_pending == 0)
            finish(std::move(m_document));
    }

    void finish(std::unique_ptr<HtmlDocument> document)
    {
        auto keep = shared_from_this();
        auto client = std::move(m_client);
        m_done = true;
        m_connections.clear();
        if (client.finished)
            client.finished(std::unique_ptr<WebPage>(std::make_unique<HtmlWebPage>(std::move(document))), m_url);
    }

    void fail(const Error& error)
    {
        if (m_done)
            return;
        auto keep = shared_from_this();
        auto client = std::move(m_client);
        cancel();
        if (client.finished)
            client.finished(error, m_url);
    }

    std::optional<std::string> m_html;
    HttpRequest m_request;
    WebPageLoadClient m_client;
    std::string m_url;
    std::string m_body;
    std::shared_ptr<const HtmlResources> m_resources = std::make_shared<HtmlResources>();
    std::unique_ptr<HtmlDocument> m_document; // waiting for its pictures
    std::vector<std::shared_ptr<URLConnection>> m_connections;
    URLConnection::Deadline m_deadline;
    std::size_t m_pending = 0;
    int m_hops = 0;
    int m_sheetRounds = 0;
    bool m_done = false;
};

std::shared_ptr<WebPageLoad> loadPage(const std::optional<std::string>& html, const HttpRequest& request,
                                      WebPageLoadClient client)
{
    auto fetch = std::make_shared<PageFetch>(html, request, std::move(client));
    fetch->start();
    return fetch;
}

}

void useHtmlDocumentsInWebViews()
{
    WebView::setPageLoader(loadPage);
}

}
