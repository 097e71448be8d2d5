#pragma once

// The in-app web authorisation dialog, served when the Voxly app is
// missing or too old: a framed page over the key window that loads the
// Voxly authorisation page for one VXAuthorizeRequest and watches every
// navigation (redirects included, since the web view asks before following
// them) for the answer.
//
// Trust: the page is somebody else's, so an answer is taken only from a
// navigation to the request's redirect URI (same scheme, host, port and
// path); a page that merely carries "access_token=" or "error=" elsewhere
// loads as any other. Without a redirect URI nothing is taken and only
// closing answers. An answer ends the dialog with a VXAuthorizeResponse
// handed to VoxlySDK::didReceiveAuthorizeResponse, which hides it: 0 with
// the token, -3 with the page's error, -1 when closed (the close button, or
// the phone's back, which goes no further while the dialog shows).
//
// Every show and hide deletes the cookies of the authorisation origin, so
// each authorisation starts signed out. The bounce in runs on the
// animation clock; the page loads when it ends.
//
// While shown, a device orientation change that turned the status bar to
// another upright orientation lays the dialog out again for it, rotated,
// over the status bar's turning time, and marks the page's <body> with
// orientation="90" in landscape (removed otherwise).
//
// Main queue only. The view tree keeps a shown dialog alive until hide().

#include "platform/controls/WebView.h"
#include "platform/foundation/Forward.h"
#include "platform/ui/View.h"
#include "sdk/voxly/VoxlySDK.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace pf {
class ActivityIndicatorView;
class Button;
}
class VXAuthorizeRequest;

class VXAuthorizeWebView final : public pf::View, public VXAuthorizeDialog, public pf::WebViewDelegate {
public:
    static std::shared_ptr<VXAuthorizeWebView> create(std::shared_ptr<VXAuthorizeRequest> request);
    explicit VXAuthorizeWebView(std::shared_ptr<VXAuthorizeRequest> request);

    void show() override;
    void hide() override;
    void closeButtonPressed();
    static void cleanCookies();

    // What a navigation to `url` answers: a status (0 token, -3 error) and
    // the parameters of the part that carried it; none for a page to load.
    // `redirectURI` is the only page an answer may come from.
    struct Outcome {
        long long status = 0;
        pf::DictionaryRef info;
    };
    static std::optional<Outcome> outcomeOfNavigation(const std::string& url,
                                                      const std::optional<std::string>& redirectURI);
    // The text after the last `split`, behind a placeholder base that ends
    // in "?"; none when `split` does not occur.
    static std::optional<std::string> fixedUrlStringFromURL(const std::string& url, char split);
    // The authorisation page's URL for `request`.
    static std::string authorizeURLForRequest(const VXAuthorizeRequest& request);

    const std::shared_ptr<VXAuthorizeRequest>& authorizeRequest() const { return m_authorizeRequest; }
    const std::shared_ptr<pf::WebView>& webView() const { return m_webView; }
    const std::shared_ptr<pf::Button>& closeButton() const { return m_closeButton; }
    const std::shared_ptr<pf::ActivityIndicatorView>& indicatorView() const { return m_indicatorView; }

    bool drawsContent() const override { return true; }
    void draw(pf::GraphicsContext& context, const pf::Rect& rect) override;

    bool webViewShouldStartLoadWithRequest(pf::WebView&, const std::string& url) override;
    void webViewDidFinishLoad(pf::WebView&) override;
    void webViewDidFailLoadWithError(pf::WebView&, const pf::Error&) override;

private:
    void buildSubviews();
    void sizeToFitOrientation(bool transform);
    pf::AffineTransform transformForOrientation() const;
    void deviceOrientationDidChange();
    void updateWebOrientation();
    void showWebView();
    void load();
    void authorizeDidFinishWithResponseCode(long long status, pf::DictionaryRef info);

    std::shared_ptr<VXAuthorizeRequest> m_authorizeRequest;
    std::shared_ptr<pf::WebView> m_webView;
    std::shared_ptr<pf::Button> m_closeButton;
    std::shared_ptr<pf::ActivityIndicatorView> m_indicatorView;
    // Owned by the window it covers; it owns the dialog while shown.
    std::weak_ptr<pf::View> m_modalBackgroundView;
    int m_previousOrientation = 1;
    std::uint64_t m_orientationObserver = 0; // while shown
    bool m_finished = false; // answered once; later navigations and presses are ignored
};
