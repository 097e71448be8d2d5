#pragma once

// Keeps one web-page kit for an application id: popWebViewWnd() reuses it
// for every page it shows; getWebViewController() replaces it and hands its
// page screen to the caller.
//
// Main queue only.

#include "sdk/zz/CVWebViewKit.h"

#include <memory>
#include <optional>
#include <string>

class CVUiKit {
public:
    explicit CVUiKit(std::string appId) : m_appId(std::move(appId)) {}

    const std::string& appId() const { return m_appId; }
    const std::shared_ptr<CVWebViewKit>& webViewKit() const { return m_webViewKit; }

    bool popWebViewWnd(const std::string& url, const std::optional<std::string>& webTitle,
                       std::weak_ptr<CVWebViewKitDelegate> delegate);
    std::shared_ptr<CVWebViewController> getWebViewController(const std::string& url,
                                                              const std::optional<std::string>& webTitle,
                                                              std::weak_ptr<CVWebViewKitDelegate> delegate);

private:
    std::string m_appId;
    std::shared_ptr<CVWebViewKit> m_webViewKit;
};
