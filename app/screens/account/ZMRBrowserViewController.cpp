#include "app/screens/account/ZMRBrowserViewController.h"

#include "framework/core/QueryValue.h"
#include "platform/controls/ActivityIndicatorView.h"
#include "platform/controls/BarItem.h"
#include "platform/controls/Label.h"
#include "platform/controls/NavigationItem.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/URL.h"
#include "platform/web/HtmlDocument.h"

#include <cctype>

namespace {

bool isWebScheme(const std::string& scheme)
{
    std::string lower = scheme;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower == "http" || lower == "https";
}

// The page arrived but the renderer will not take it.
bool isRefusedPage(const pf::Error& error)
{
    if (error.domain != pf::htmlDocumentErrorDomain)
        return false;
    auto code = static_cast<pf::HtmlDocumentError>(error.code);
    return code == pf::HtmlDocumentError::TooLarge || code == pf::HtmlDocumentError::TooDeep
        || code == pf::HtmlDocumentError::TooComplex;
}

}

std::optional<std::string> ZMRBrowserViewController::pageAddress() const
{
    auto query = url() ? queryValues(*url()) : nullptr;
    if (!query)
        return std::nullopt;
    if (query->contains("key")) {
        auto key = query->string("key");
        const auto& entry = config();
        return key && entry ? entry->string(*key) : std::nullopt;
    }
    return query->string("url");
}

void ZMRBrowserViewController::viewDidLoad()
{
    auto query = url() ? queryValues(*url()) : nullptr;
    auto title = query ? query->string("title") : std::nullopt;
    setTitle(title);
    if (title && m_toolItem)
        m_toolItem->setTitle(*title);
    if (auto address = pageAddress()) {
        auto target = pf::URL::create(*address);
        if (!target || !isWebScheme(target->scheme()))
            pf::log("ZMRBrowserViewController: not a web page address: %s", address->c_str());
        else if (m_webView)
            m_webView->loadRequest(target->absoluteString());
    }
    ZMRViewController::viewDidLoad();
}

bool ZMRBrowserViewController::webViewShouldStartLoadWithRequest(pf::WebView&, const std::string& address)
{
    auto target = pf::URL::create(address);
    if (target && isWebScheme(target->scheme()))
        return true;
    pf::log("ZMRBrowserViewController: refused %s (only http and https pages load)", address.c_str());
    // A refused address (a redirect, a link tapped during a load) ends the
    // load without a report: the spinner goes once it has ended.
    std::weak_ptr<pf::Object> weak = weak_from_this();
    pf::dispatchMain([weak] {
        auto self = std::static_pointer_cast<ZMRBrowserViewController>(weak.lock());
        if (self && self->m_webView && !self->m_webView->isLoading())
            self->showReloadItem();
    });
    return false;
}

void ZMRBrowserViewController::webViewDidStartLoad(pf::WebView&)
{
    if (m_refusedLabel)
        m_refusedLabel->setHidden(true);
    if (!m_toolItem)
        return;
    auto indicator = std::make_shared<pf::ActivityIndicatorView>(pf::ActivityIndicatorViewStyle::Gray);
    indicator->setFrame({0, 0, 20, 20});
    indicator->startAnimating();
    auto item = std::make_shared<pf::BarButtonItem>();
    item->setCustomView(indicator);
    m_toolItem->setRightBarButtonItem(item);
}

void ZMRBrowserViewController::webViewDidFinishLoad(pf::WebView&) { showReloadItem(); }

void ZMRBrowserViewController::webViewDidFailLoadWithError(pf::WebView& webView, const pf::Error& error)
{
    pf::log("ZMRBrowserViewController: %s did not load: %s", webView.url().c_str(), error.description.c_str());
    // A load replaced by a newer one fails too; the newer one keeps its indicator.
    if (webView.isLoading())
        return;
    showReloadItem();
    if (m_refusedLabel && isRefusedPage(error))
        m_refusedLabel->setHidden(false);
}

void ZMRBrowserViewController::showReloadItem()
{
    if (!m_toolItem)
        return;
    auto item = std::make_shared<pf::BarButtonItem>(pf::BarButtonSystemItem::Refresh, m_webView,
                                                    [](pf::Object& target, pf::BarButtonItem&) {
                                                        if (auto* web = dynamic_cast<pf::WebView*>(&target))
                                                            web->reload();
                                                    });
    m_toolItem->setRightBarButtonItem(item);
}
