#include "sdk/voxly/VXAuthorizeWebView.h"

#include "platform/controls/ActivityIndicatorView.h"
#include "platform/controls/Button.h"
#include "platform/foundation/ClampedSeconds.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Image.h"
#include "platform/net/CookieStore.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "sdk/voxly/VXBaseRequest.h"
#include "sdk/voxly/VXBaseResponse.h"
#include "sdk/voxly/VXStringAdditions.h"
#include "sdk/voxly/VoxlySDK3rdApp.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace {

// Parses fragments as queries; it is never loaded.
constexpr const char* kPlaceholderBase = "https://authorize.invalid/?";

// Whole seconds from "expires_in", clamped to what a 32-bit count holds;
// anything but digits counts as 0.
double secondsFrom(const std::optional<std::string>& text)
{
    if (!text || text->empty() || text->find_first_not_of("0123456789") != std::string::npos)
        return 0;
    return pf::clampedSeconds(std::strtod(text->c_str(), nullptr));
}

bool samePage(const std::string& url, const std::string& redirectURI)
{
    auto a = pf::URL::create(url);
    auto b = pf::URL::create(redirectURI);
    auto originA = pf::CookieStore::originOfURL(url);
    auto originB = pf::CookieStore::originOfURL(redirectURI);
    if (!a || !b || !originA || !originB || *originA != *originB)
        return false;
    auto pathOf = [](const pf::URL& u) { return u.path().empty() ? std::string("/") : u.path(); };
    return pathOf(*a) == pathOf(*b);
}

// The dialog's dimmed backdrop, a top view of the window: the phone's back
// answers as the close button does, and goes no further while it shows, so
// the screen under the dialog never moves.
class ModalBackground final : public pf::View {
public:
    ModalBackground(const pf::Rect& frame, std::weak_ptr<VXAuthorizeWebView> dialog)
        : pf::View(frame)
        , m_dialog(std::move(dialog))
    {
    }
    bool performBack() override
    {
        if (auto dialog = m_dialog.lock())
            dialog->closeButtonPressed();
        return true;
    }

private:
    std::weak_ptr<VXAuthorizeWebView> m_dialog;
};

}

std::shared_ptr<VXAuthorizeWebView> VXAuthorizeWebView::create(std::shared_ptr<VXAuthorizeRequest> request)
{
    auto view = std::make_shared<VXAuthorizeWebView>(std::move(request));
    view->buildSubviews();
    return view;
}

VXAuthorizeWebView::VXAuthorizeWebView(std::shared_ptr<VXAuthorizeRequest> request)
    : m_authorizeRequest(std::move(request))
{
    setBackgroundColor(pf::Color::clear());
    setAutoresizingMask(pf::Autoresizing::FlexibleWidth | pf::Autoresizing::FlexibleHeight);
}

void VXAuthorizeWebView::buildSubviews()
{
    m_webView = std::make_shared<pf::WebView>();
    m_webView->setAutoresizingMask(pf::Autoresizing::FlexibleWidth | pf::Autoresizing::FlexibleHeight);
    m_webView->setDelegate(std::static_pointer_cast<pf::WebViewDelegate>(
        std::static_pointer_cast<VXAuthorizeWebView>(self())));
    addSubview(m_webView);

    m_closeButton = std::make_shared<pf::Button>();
    m_closeButton->setImage(pf::Image::named("VoxlySDK.bundle/images/close.png"), pf::ControlStates::Normal);
    m_closeButton->setTitleColor(pf::Color{0.6549, 0.7216, 0.8471, 1}, pf::ControlStates::Normal);
    m_closeButton->setTitleColor(pf::Color::white(1), pf::ControlStates::Highlighted);
    m_closeButton->setTitleFont(pf::Font::boldSystem(12));
    m_closeButton->setShowsTouchWhenHighlighted(true);
    m_closeButton->setAutoresizingMask(pf::Autoresizing::FlexibleRightMargin | pf::Autoresizing::FlexibleBottomMargin);
    std::weak_ptr<VXAuthorizeWebView> weak = std::static_pointer_cast<VXAuthorizeWebView>(self());
    m_closeButton->addAction(
        [weak](pf::Control&) {
            if (auto dialog = weak.lock())
                dialog->closeButtonPressed();
        },
        pf::ControlEvent::TouchUpInside);
    addSubview(m_closeButton);

    m_indicatorView = std::make_shared<pf::ActivityIndicatorView>(pf::ActivityIndicatorViewStyle::Gray);
    m_indicatorView->setAutoresizingMask(pf::Autoresizing::FlexibleLeftMargin | pf::Autoresizing::FlexibleRightMargin
                                         | pf::Autoresizing::FlexibleTopMargin
                                         | pf::Autoresizing::FlexibleBottomMargin);
    addSubview(m_indicatorView);
}

void VXAuthorizeWebView::show()
{
    cleanCookies();
    sizeToFitOrientation(false);
    auto size = bounds().size;
    m_closeButton->setFrame({2, 2, 29, 29});
    m_webView->setFrame({11, 11, size.width - 22, size.height - 21});
    m_indicatorView->sizeToFit();
    m_indicatorView->setFrame({std::floor((size.width - m_indicatorView->bounds().size.width) / 2),
                               std::floor((size.height - m_indicatorView->bounds().size.height) / 2),
                               m_indicatorView->bounds().size.width, m_indicatorView->bounds().size.height});
    showWebView();
    m_indicatorView->startAnimating();
    if (!m_orientationObserver) {
        std::weak_ptr<VXAuthorizeWebView> weak = std::static_pointer_cast<VXAuthorizeWebView>(self());
        m_orientationObserver = pf::NotificationCenter::defaultCenter().addObserver(
            pf::DeviceOrientationDidChangeNotification, weak, [weak](const pf::Notification&) {
                if (auto dialog = weak.lock())
                    dialog->deviceOrientationDidChange();
            });
    }
}

void VXAuthorizeWebView::hide()
{
    cleanCookies();
    if (m_orientationObserver)
        pf::NotificationCenter::defaultCenter().removeObserver(std::exchange(m_orientationObserver, 0));
    m_webView->stopLoading();
    if (auto modal = m_modalBackgroundView.lock())
        modal->removeFromSuperview();
    removeFromSuperview();
}

void VXAuthorizeWebView::cleanCookies()
{
    if (auto origin = pf::CookieStore::originOfURL(VoxlySDK::settings().webAuthorizeHost))
        pf::CookieStore::shared().deleteCookiesForOrigin(*origin);
}

void VXAuthorizeWebView::closeButtonPressed()
{
    authorizeDidFinishWithResponseCode(-1, nullptr);
}

pf::AffineTransform VXAuthorizeWebView::transformForOrientation() const
{
    switch (pf::Application::shared().statusBarOrientation()) {
    case pf::InterfaceOrientation::LandscapeLeft:
        return pf::AffineTransform::rotation(std::numbers::pi / 2);
    case pf::InterfaceOrientation::LandscapeRight:
        return pf::AffineTransform::rotation(3 * std::numbers::pi / 2);
    case pf::InterfaceOrientation::PortraitUpsideDown:
        return pf::AffineTransform::rotation(-std::numbers::pi);
    default:
        return pf::AffineTransform::identity();
    }
}

void VXAuthorizeWebView::sizeToFitOrientation(bool transform)
{
    if (transform)
        setTransform(pf::AffineTransform::identity());
    auto& app = pf::Application::shared();
    pf::Rect screen = pf::Screen::main().bounds();
    double bar = app.statusBarFrame().size.height;
    pf::Rect frame{screen.origin.x, screen.origin.y + bar, screen.size.width, screen.size.height - bar};
    double factor = pf::DeviceProfile::current().isPad() ? 0.6 : 1.0;
    double width = std::floor(frame.size.width * factor);
    double height = std::floor(frame.size.height * factor);
    int orientation = app.statusBarOrientation();
    if (orientation == pf::InterfaceOrientation::LandscapeLeft
        || orientation == pf::InterfaceOrientation::LandscapeRight)
        std::swap(width, height);
    setBounds({0, 0, width, height});
    setCenter({frame.origin.x + std::ceil(frame.size.width / 2), frame.origin.y + std::ceil(frame.size.height / 2)});
    m_previousOrientation = orientation;
    if (transform)
        setTransform(transformForOrientation());
}

void VXAuthorizeWebView::deviceOrientationDidChange()
{
    int orientation = pf::Application::shared().statusBarOrientation();
    if (orientation == m_previousOrientation || orientation < pf::InterfaceOrientation::Portrait
        || orientation > pf::InterfaceOrientation::LandscapeLeft)
        return;
    updateWebOrientation();
    std::weak_ptr<VXAuthorizeWebView> weak = std::static_pointer_cast<VXAuthorizeWebView>(self());
    pf::View::animate(pf::Application::shared().statusBarOrientationAnimationDuration(), [weak] {
        if (auto dialog = weak.lock())
            dialog->sizeToFitOrientation(true);
    });
}

void VXAuthorizeWebView::updateWebOrientation()
{
    int orientation = pf::Application::shared().statusBarOrientation();
    bool landscape = orientation == pf::InterfaceOrientation::LandscapeLeft
                     || orientation == pf::InterfaceOrientation::LandscapeRight;
    // Our web view runs no script against the page's document, so the mark goes on its <body> through the view.
    m_webView->setPageBodyAttribute("orientation", landscape ? std::optional<std::string>("90") : std::nullopt);
}

void VXAuthorizeWebView::showWebView()
{
    auto& app = pf::Application::shared();
    auto window = app.keyWindow();
    if (!window && !pf::Screen::main().windows().empty())
        window = pf::Screen::main().windows().front();
    if (!window)
        return;
    auto modal = std::make_shared<ModalBackground>(window->frame(),
                                                   std::static_pointer_cast<VXAuthorizeWebView>(self()));
    modal->setAutoresizingMask(pf::Autoresizing::FlexibleWidth | pf::Autoresizing::FlexibleHeight);
    modal->addSubview(self());
    window->addSubview(modal);
    m_modalBackgroundView = modal;

    setTransform(pf::AffineTransform::scaling(0.001, 0.001).concatenated(transformForOrientation()));
    std::weak_ptr<VXAuthorizeWebView> weak = std::static_pointer_cast<VXAuthorizeWebView>(self());
    // Each step reads the orientation afresh, so a turn during the bounce is kept.
    auto scaleTo = [weak](double s) {
        if (auto dialog = weak.lock())
            dialog->setTransform(pf::AffineTransform::scaling(s, s).concatenated(dialog->transformForOrientation()));
    };
    pf::View::animate(0.2, [scaleTo] { scaleTo(1.1); }, [weak, scaleTo](bool) {
        pf::View::animate(0.15, [scaleTo] { scaleTo(0.9); }, [weak, scaleTo](bool) {
            pf::View::animate(
                0.15, [scaleTo] { scaleTo(1.0); },
                [weak](bool) {
                    if (auto dialog = weak.lock(); dialog && !dialog->m_finished)
                        dialog->load();
                });
        });
    });
}

std::string VXAuthorizeWebView::authorizeURLForRequest(const VXAuthorizeRequest& request)
{
    std::vector<std::pair<std::string, std::string>> params{{"response_type", "code"}, {"display", "mobile"}};
    if (request.app() && request.app()->appKey)
        params.emplace_back("client_id", *request.app()->appKey);
    if (request.redirectURI)
        params.emplace_back("redirect_uri", *request.redirectURI);
    if (request.scope)
        params.emplace_back("scope", *request.scope);
    if (request.app() && request.app()->bundleID)
        params.emplace_back("packagename", *request.app()->bundleID);
    params.emplace_back("key_hash", VoxlySDK::hashKey());
    return VoxlySDK::serializeURLString(VoxlySDK::webAuthorizeURL(), params).value_or("");
}

void VXAuthorizeWebView::load()
{
    m_webView->loadRequest(authorizeURLForRequest(*m_authorizeRequest));
}

std::optional<std::string> VXAuthorizeWebView::fixedUrlStringFromURL(const std::string& url, char split)
{
    auto at = url.rfind(split);
    if (at == std::string::npos)
        return std::nullopt;
    return stringByReplacingRange(url, 0, pf::utf16Length(std::string_view(url).substr(0, at + 1)), kPlaceholderBase);
}

std::optional<VXAuthorizeWebView::Outcome>
VXAuthorizeWebView::outcomeOfNavigation(const std::string& url, const std::optional<std::string>& redirectURI)
{
    if (!redirectURI || url.size() > VoxlySDK::kMaxURLLength || !samePage(url, *redirectURI))
        return std::nullopt;
    struct Read {
        std::optional<std::string> copy, error, errorCode, token, expiresIn;
        bool answers() const { return (error && errorCode) || (token && expiresIn); }
    };
    auto read = [&](char split) {
        Read r;
        r.copy = fixedUrlStringFromURL(url, split);
        if (r.copy) {
            r.error = VoxlySDK::queryValueWithName("error", *r.copy);
            r.errorCode = VoxlySDK::queryValueWithName("error_code", *r.copy);
            r.token = VoxlySDK::queryValueWithName("access_token", *r.copy);
            r.expiresIn = VoxlySDK::queryValueWithName("expires_in", *r.copy);
        }
        return r;
    };
    Read r = read('#');
    if (!r.answers())
        r = read('?');
    if (!r.copy || !r.answers())
        return std::nullopt;
    Outcome outcome;
    outcome.status = r.error && r.errorCode ? -3 : 0;
    outcome.info = VoxlySDK::queryDictionaryOfURLQuery(r.copy->substr(std::string(kPlaceholderBase).size()));
    return outcome;
}

bool VXAuthorizeWebView::webViewShouldStartLoadWithRequest(pf::WebView&, const std::string& url)
{
    if (m_finished)
        return false;
    auto outcome = outcomeOfNavigation(url, m_authorizeRequest->redirectURI);
    if (!outcome)
        return true;
    authorizeDidFinishWithResponseCode(outcome->status, outcome->info);
    return false;
}

void VXAuthorizeWebView::webViewDidFinishLoad(pf::WebView&)
{
    m_indicatorView->stopAnimating();
}

void VXAuthorizeWebView::webViewDidFailLoadWithError(pf::WebView&, const pf::Error&)
{
    m_indicatorView->stopAnimating();
}

void VXAuthorizeWebView::authorizeDidFinishWithResponseCode(long long status, pf::DictionaryRef info)
{
    if (m_finished)
        return;
    m_finished = true;
    auto keep = std::static_pointer_cast<VXAuthorizeWebView>(self());
    auto response = VXAuthorizeResponse::response();
    response->statusCode = status;
    response->setUserInfo(info);
    if (status == 0 && info) {
        response->userID = info->string("uid");
        response->accessToken = info->string("access_token");
        response->expirationDate = pf::Date{pf::Date::now().seconds + secondsFrom(info->string("expires_in"))};
    }
    response->requestID = m_authorizeRequest->requestID();
    VoxlySDK::didReceiveAuthorizeResponse(response, keep);
}

void VXAuthorizeWebView::draw(pf::GraphicsContext& context, const pf::Rect&)
{
    pf::Rect box = bounds();
    context.fillRoundedRect(box, 10, pf::Color::white(0.3, 0.8));
    context.strokeRect({10, 10, box.size.width - 20, box.size.height - 21}, pf::Color::white(0.3, 1), 1);
}
