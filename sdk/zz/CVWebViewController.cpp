#include "sdk/zz/CVWebViewController.h"

#include "platform/controls/ActivityIndicatorView.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/URL.h"
#include "platform/net/HttpRequest.h"
#include "sdk/zz/CVOSDKServers.h"

namespace {

constexpr double kLoadTimeout = 30;

}

CVWebViewController::CVWebViewController(std::string requestURLStr, std::optional<std::string> webTitle,
                                         std::weak_ptr<CVWebViewControllerDelegate> delegate)
    : m_webTitle(std::move(webTitle))
    , m_requestURLStr(std::move(requestURLStr))
    , m_delegate(std::move(delegate))
{
}

CVWebViewController::~CVWebViewController()
{
    if (m_webview) {
        m_webview->setDelegate(nullptr);
        m_webview->stopLoading();
    }
}

void CVWebViewController::viewDidLoad()
{
    auto root = view();
    m_webview = std::make_shared<pf::WebView>(root->bounds());
    // Fills the screen whatever size it is given.
    m_webview->setAutoresizingMask(pf::Autoresizing::FlexibleWidth | pf::Autoresizing::FlexibleHeight);
    m_webview->setDelegate(std::static_pointer_cast<CVWebViewController>(shared_from_this()));
    root->addSubview(m_webview);
    m_indicator = std::make_shared<pf::ActivityIndicatorView>(pf::ActivityIndicatorViewStyle::Gray);
    m_indicator->setHidesWhenStopped(true);
    m_indicator->setCenter(m_webview->center());
    m_indicator->setAutoresizingMask(pf::Autoresizing::FlexibleLeftMargin | pf::Autoresizing::FlexibleRightMargin
                                     | pf::Autoresizing::FlexibleTopMargin | pf::Autoresizing::FlexibleBottomMargin);
    root->addSubview(m_indicator);
    loadURL();
}

std::optional<std::string> CVWebViewController::localPageBase(const std::string& text)
{
    auto url = pf::URL::create(text);
    if (!url)
        return std::nullopt;
    std::string path = url->path();
    std::string last = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
    bool local = url->host() == "localhost" || (url->scheme() == "file" && url->host().empty());
    if (!local || last != "local.html")
        return std::nullopt;
    std::string base = CVOSDKServers::origin(CVOSDKServers::Row::PlazaWeb) + "/";
    if (url->query())
        base += "?" + *url->query();
    return base;
}

void CVWebViewController::loadURL()
{
    if (!m_webview)
        return;
    if (auto base = localPageBase(m_requestURLStr)) {
        auto bytes = pf::readFile(pf::URL::create(m_requestURLStr)->path());
        m_webview->loadHTMLString(bytes ? std::string(bytes->begin(), bytes->end()) : std::string(), *base);
        return;
    }
    m_webview->loadRequest(pf::HttpRequest(m_requestURLStr, pf::URLRequestCachePolicy::ReloadIgnoringLocalCacheData,
                                           std::chrono::duration<double>(kLoadTimeout)));
}

void CVWebViewController::stopLoad()
{
    if (m_webview)
        m_webview->stopLoading();
}

void CVWebViewController::tellClosed()
{
    auto self = shared_from_this();
    auto delegate = std::exchange(m_delegate, {}).lock();
    if (delegate)
        delegate->webViewControllerDidCloseWithLastError(*this, m_error);
}

void CVWebViewController::doClose()
{
    m_finished = true;
    tellClosed();
}

void CVWebViewController::viewDidDisappear(bool)
{
    tellClosed();
}

bool CVWebViewController::webViewShouldStartLoadWithRequest(pf::WebView&, const std::string& url)
{
    auto self = shared_from_this();
    if (auto delegate = m_delegate.lock())
        return delegate->webViewControllerShouldStartLoadWithRequest(*this, url);
    return true;
}

void CVWebViewController::webViewDidStartLoad(pf::WebView&)
{
    if (m_indicator)
        m_indicator->startAnimating();
}

void CVWebViewController::webViewDidFinishLoad(pf::WebView& webView)
{
    if (m_indicator)
        m_indicator->stopAnimating();
    if (!m_webTitle || m_webTitle->empty())
        m_webTitle = webView.title();
}

void CVWebViewController::webViewDidFailLoadWithError(pf::WebView&, const pf::Error& error)
{
    if (m_indicator)
        m_indicator->stopAnimating();
    m_error = error;
    auto self = shared_from_this();
    if (auto delegate = m_delegate.lock())
        delegate->webViewControllerDidFailLoadWithError(*this, error);
}
