#include "sdk/zz/CVUiKit.h"

bool CVUiKit::popWebViewWnd(const std::string& url, const std::optional<std::string>& webTitle,
                            std::weak_ptr<CVWebViewKitDelegate> delegate)
{
    if (m_webViewKit) {
        m_webViewKit->openWithUrl(url, webTitle, std::move(delegate));
        return true;
    }
    m_webViewKit = std::make_shared<CVWebViewKit>(url, webTitle, std::move(delegate));
    m_webViewKit->open();
    return true;
}

std::shared_ptr<CVWebViewController> CVUiKit::getWebViewController(const std::string& url,
                                                                   const std::optional<std::string>& webTitle,
                                                                   std::weak_ptr<CVWebViewKitDelegate> delegate)
{
    if (m_webViewKit)
        m_webViewKit->doCloseWithNotAnimation();
    m_webViewKit = std::make_shared<CVWebViewKit>();
    return m_webViewKit->getViewControllerWithUrl(url, webTitle, std::move(delegate));
}
