#include "platform/controls/WebView.h"

#include "platform/controls/ImageView.h"
#include "platform/controls/ScrollView.h"

namespace pf {

namespace {
constexpr double kShadow = 10;
}

WebView::WebView(const Rect& frame)
    : View(frame)
    , m_scrollView(std::make_shared<ScrollView>(Rect({}, frame.size)))
{
    setBackgroundColor(Color::whiteColor());
    m_scrollView->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
    m_scrollView->setDecelerationRate(ScrollViewDecelerationRateFast);
    // The edge shadows seen while the page is pulled past its ends.
    for (int edge = 0; edge < 2; ++edge) {
        auto shadow = std::make_shared<ImageView>(Rect(0, edge ? frame.height() - kShadow : 0, frame.width(), kShadow));
        shadow->setBackgroundColor(Color::black().withAlpha(0.08));
        shadow->setAutoresizingMask(Autoresizing::FlexibleWidth | (edge ? Autoresizing::FlexibleTopMargin : 0));
        m_scrollView->addSubview(shadow);
    }
    m_topShadow = std::make_shared<ImageView>(Rect(0, 0, frame.width(), 1));
    m_topShadow->setBackgroundColor(Color::black().withAlpha(0.08));
    m_topShadow->setAutoresizingMask(Autoresizing::FlexibleWidth);
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
    auto keep = self();
    auto d = m_delegate.lock();
    if (d && !d->webViewShouldStartLoadWithRequest(*this, baseURL))
        return false;
    m_html = html;
    m_url = baseURL;
    if (d)
        d->webViewDidStartLoad(*this);
    return true;
}

bool WebView::loadRequest(const std::string& url)
{
    auto keep = self();
    auto d = m_delegate.lock();
    if (d && !d->webViewShouldStartLoadWithRequest(*this, url))
        return false;
    m_html.reset();
    m_url = url;
    if (d)
        d->webViewDidStartLoad(*this);
    return true;
}

void WebView::layoutSubviews()
{
    scrollView()->setFrame(bounds());
}

}
