#include "platform/controls/WebView.h"

#include "platform/controls/ImageView.h"
#include "platform/controls/ScrollView.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/net/URLConnection.h"
#include "platform/script/ScriptContext.h"
#include "platform/ui/Touch.h"

#include <algorithm>
#include <cctype>

namespace pf {

namespace {
constexpr double kShadow = 10;

WebPageLoader& pageLoader()
{
    static WebPageLoader loader;
    return loader;
}
}

// The whole page, backed only where it shows (plus a margin), so a page of
// any height scrolls without being drawn again on every step.
class WebContentView : public View {
public:
    explicit WebContentView(WebView& owner) : m_owner(&owner) {}
    bool drawsContent() const override { return true; }
    bool backsVisibleAreaOnly() const override { return true; }
    void draw(GraphicsContext& context, const Rect& rect) override
    {
        if (m_owner && m_owner->m_page)
            m_owner->m_page->draw(context, rect);
    }
    void touchesEnded(const TouchSet& touches) override
    {
        if (m_owner && touches.size() == 1)
            m_owner->linkTapped(touches.front()->locationInView(this));
    }
    WebView* m_owner;
};

// Answers the context's navigation hook with the view's delegate.
class WebView::ScriptHook : public ScriptContextDelegate {
public:
    explicit ScriptHook(WebView& owner) : m_owner(&owner) {}
    bool shouldStartLoad(const std::string& url, NavigationType) override
    {
        auto keep = m_owner->self(); // the delegate may drop the view's last owner
        auto delegate = m_owner->m_delegate.lock();
        return !delegate || delegate->webViewShouldStartLoadWithRequest(*m_owner, url);
    }

private:
    WebView* m_owner;
};

WebView::WebView(const Rect& frame)
    : View(frame)
    , m_scrollView(std::make_shared<ScrollView>(Rect({}, frame.size)))
    , m_content(std::make_shared<WebContentView>(*this))
{
    setBackgroundColor(Color::whiteColor());
    m_scrollView->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
    m_scrollView->setDecelerationRate(ScrollViewDecelerationRateFast);
    m_scrollView->addSubview(m_content);
    // The edge shadows seen while the page is pulled past its ends: just outside the resting view, so a
    // page at rest shows none of them.
    for (int edge = 0; edge < 2; ++edge) {
        auto shadow = std::make_shared<ImageView>(Rect(0, edge ? frame.height() : -kShadow, frame.width(), kShadow));
        shadow->setBackgroundColor(Color::black().withAlpha(0.08));
        shadow->setAutoresizingMask(Autoresizing::FlexibleWidth | (edge ? Autoresizing::FlexibleTopMargin : 0));
        m_scrollView->addSubview(shadow);
    }
    m_topShadow = std::make_shared<ImageView>(Rect(0, 0, frame.width(), 1));
    m_topShadow->setBackgroundColor(Color::black().withAlpha(0.08));
    m_topShadow->setAutoresizingMask(Autoresizing::FlexibleWidth);
}

// The content view may outlive the web view in someone's hands.
WebView::~WebView()
{
    static_cast<WebContentView&>(*m_content).m_owner = nullptr;
}

void WebView::setPageLoader(WebPageLoader loader)
{
    pageLoader() = std::move(loader);
}

const std::shared_ptr<ScrollView>& WebView::scrollView()
{
    if (!m_attached && self()) {
        m_attached = true;
        // The scroll view first, as hosts expect.
        insertSubview(m_scrollView, 0);
        addSubview(m_topShadow);
        subviewsDidAttach();
    }
    return m_scrollView;
}

ViewRef WebView::hitTest(Point p)
{
    scrollView();
    return View::hitTest(p);
}

void WebView::setDelegateObject(const ObjectRef& delegate)
{
    m_delegateObject = delegate;
    m_delegate = std::dynamic_pointer_cast<WebViewDelegate>(delegate);
}

void WebView::setDelegate(const std::shared_ptr<WebViewDelegate>& delegate)
{
    m_delegate = delegate;
    m_delegateObject = std::dynamic_pointer_cast<Object>(delegate);
}

bool WebView::loadHTMLString(const std::string& html, const std::string& baseURL)
{
    return startLoad(html, HttpRequest(baseURL));
}

bool WebView::loadRequest(const std::string& url)
{
    return startLoad(std::nullopt, HttpRequest(url));
}

bool WebView::loadRequest(const HttpRequest& request)
{
    return startLoad(std::nullopt, request);
}

bool WebView::reload()
{
    HttpRequest request = m_request;
    request.setUrl(m_url);
    return startLoad(m_html, request);
}

std::string WebView::title() const
{
    return m_page ? m_page->title() : std::string();
}

bool WebView::startLoad(std::optional<std::string> html, const HttpRequest& request)
{
    std::weak_ptr<View> weak = self();
    if (weak.expired())
        return false;
    stopLoading();
    unsigned generation = ++m_generation;
    m_html = std::move(html);
    m_request = request;
    m_request.setHttpShouldHandleCookies(true);
    m_url = request.url();
    m_loading = true;
    RunLoop::main().post([weak, generation] {
        if (auto view = std::static_pointer_cast<WebView>(weak.lock()))
            view->beginLoad(generation);
    });
    return true;
}

void WebView::stopLoading()
{
    ++m_generation;
    bool reportCancel = m_loading && m_started;
    m_loading = false;
    m_started = false;
    // Held across cancel(), which may release what the load captured.
    if (auto load = std::move(m_load))
        load->cancel();
    if (!reportCancel)
        return;
    std::weak_ptr<View> weak = self();
    RunLoop::main().post([weak] {
        auto view = std::static_pointer_cast<WebView>(weak.lock());
        if (auto d = view ? view->m_delegate.lock() : nullptr)
            d->webViewDidFailLoadWithError(*view, Error{urlErrorDomain, -999, "cancelled"});
    });
}

void WebView::beginLoad(unsigned generation)
{
    if (generation != m_generation)
        return;
    auto keep = self();
    if (auto d = m_delegate.lock(); d && !d->webViewShouldStartLoadWithRequest(*this, m_url)) {
        m_loading = false;
        return;
    }
    if (generation != m_generation)
        return; // the delegate started another load or stopped this one
    m_started = true;
    if (auto d = m_delegate.lock())
        d->webViewDidStartLoad(*this);
    if (generation != m_generation)
        return;
    std::weak_ptr<View> weak = keep;
    auto& loader = pageLoader();
    if (!loader) {
        RunLoop::main().post([weak, generation] {
            if (auto view = std::static_pointer_cast<WebView>(weak.lock()))
                view->finishLoad(generation,
                                 Error{webViewErrorDomain, (long long)WebViewError::NoRenderer,
                                       "No page renderer is installed"},
                                 view->m_url);
        });
        return;
    }
    WebPageLoadClient client;
    client.shouldFollowRedirect = [weak, generation](const std::string& url) {
        auto view = std::static_pointer_cast<WebView>(weak.lock());
        return view && view->redirect(generation, url);
    };
    client.finished = [weak, generation](ErrorOr<std::unique_ptr<WebPage>> page, const std::string& url) {
        if (auto view = std::static_pointer_cast<WebView>(weak.lock()))
            view->finishLoad(generation, std::move(page), url);
    };
    m_load = loader(m_html, m_request, std::move(client));
}

bool WebView::redirect(unsigned generation, const std::string& url)
{
    if (generation != m_generation)
        return false;
    auto keep = self();
    if (auto d = m_delegate.lock(); d && !d->webViewShouldStartLoadWithRequest(*this, url)) {
        if (generation == m_generation) {
            m_loading = m_started = false;
            m_load.reset(); // the load ends itself on our answer
        }
        return false;
    }
    if (generation != m_generation)
        return false; // the delegate started another load or stopped this one
    m_url = url;
    return true;
}

void WebView::finishLoad(unsigned generation, ErrorOr<std::unique_ptr<WebPage>> page, const std::string& url)
{
    if (generation != m_generation)
        return;
    auto keep = self();
    m_loading = m_started = false;
    m_load.reset();
    if (!page) {
        // A failed load keeps showing the page before it.
        if (auto d = m_delegate.lock())
            d->webViewDidFailLoadWithError(*this, page.error());
        return;
    }
    m_page = std::move(page.value());
    m_url = url;
    m_laidOutWidth = -1;
    layoutPage();
    m_scrollView->setContentOffset(Point());
    if (auto d = m_delegate.lock())
        d->webViewDidFinishLoad(*this);
}

const std::shared_ptr<ScriptContext>& WebView::scriptContext()
{
    if (!m_scriptContext) {
        m_scriptContext = ScriptContext::create();
        if (m_scriptContext) {
            m_scriptHook = std::make_shared<ScriptHook>(*this);
            m_scriptContext->setDelegate(m_scriptHook);
        }
    }
    return m_scriptContext;
}

std::string WebView::stringByEvaluatingJavaScriptFromString(std::string_view text)
{
    const auto& context = scriptContext();
    return context ? context->evaluate(text) : std::string();
}

Value WebView::callScriptFunction(std::string_view path, const std::vector<Value>& arguments)
{
    // Not copied: the context holds itself while it runs.
    const auto& context = scriptContext();
    return context ? context->callFunction(path, arguments) : Value();
}

bool WebView::setPageBodyAttribute(const std::string& name, const std::optional<std::string>& value)
{
    if (!m_page || !m_page->setBodyAttribute(name, value))
        return false;
    m_laidOutWidth = -1;
    layoutPage();
    return true;
}

void WebView::layoutPage()
{
    double width = bounds().width();
    if (!m_page || width == m_laidOutWidth)
        return;
    m_laidOutWidth = width;
    m_pageSize = m_page->layout(width, bounds().height());
    m_scrollView->setContentSize(Size{width, m_pageSize.height});
    m_content->setFrame({0, 0, width, std::max(0.0, m_pageSize.height)});
    m_content->setNeedsDisplay();
}

void WebView::linkTapped(Point pagePoint)
{
    if (!m_page)
        return;
    if (auto link = m_page->linkAtPoint(pagePoint))
        followLink(*link);
}

bool WebView::followLinkWithText(std::string_view text)
{
    if (!m_page)
        return false;
    auto link = m_page->linkWithText(text);
    return link && followLink(*link);
}

bool WebView::followLink(const std::string& link)
{
    auto scheme = [](const std::string& url) {
        std::string s = url.substr(0, url.find(':'));
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        return s;
    };
    std::string from = scheme(m_url);
    // A page from the network may not open local files.
    if ((from == "http" || from == "https") && scheme(link) == "file")
        return false;
    HttpRequest request = m_request;
    request.setUrl(link);
    return loadRequest(request);
}

void WebView::layoutSubviews()
{
    scrollView()->setFrame(bounds());
    layoutPage();
}

}
