#include "sdk/zz/CVWebViewKit.h"

#include "platform/controls/BarItem.h"
#include "platform/controls/NavigationItem.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/net/URLConnection.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "sdk/zz/CVWebNavigationController.h"
#include "sdk/zz/CvApiTool.h"

#include <algorithm>
#include <array>
#include <functional>

namespace {

using Arguments = std::vector<std::optional<std::string>>;
using PageCall = std::function<void(CVWebViewKit&, const Arguments&)>;

// The only operations a page may call, by host (the selector with "-" for ":").
const std::array<std::pair<std::string_view, PageCall>, 7>& pageCalls()
{
    static const std::array<std::pair<std::string_view, PageCall>, 7> calls { {
        { "setNavigationTitle-", [](CVWebViewKit& kit, const Arguments& a) { kit.setNavigationTitle(a[0]); } },
        { "setLeftNavigationBarButton-bindingJS-",
          [](CVWebViewKit& kit, const Arguments& a) { kit.setLeftNavigationBarButton(a[0], a[1]); } },
        { "setRightNavigationBarButton-bindingJS-",
          [](CVWebViewKit& kit, const Arguments& a) { kit.setRightNavigationBarButton(a[0], a[1]); } },
        { "setNavigationBarHidden-animated-",
          [](CVWebViewKit& kit, const Arguments& a) { kit.setNavigationBarHidden(a[0], a[1]); } },
        { "doClose", [](CVWebViewKit& kit, const Arguments&) { kit.doClose(); } },
        { "doCloseWithNotAnimation", [](CVWebViewKit& kit, const Arguments&) { kit.doCloseWithNotAnimation(); } },
        { "onClickClose", [](CVWebViewKit& kit, const Arguments&) { kit.onClickClose(); } },
    } };
    return calls;
}

std::size_t argumentCount(std::string_view host) { return static_cast<std::size_t>(std::count(host.begin(), host.end(), '-')); }

bool hasCaseInsensitivePrefix(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); i++) {
        if (std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    }
    return true;
}

// The page's window: the phone's back closes the page as "关闭" does, and
// goes no further while the page shows, so the screens under it stay.
class PageWindow final : public pf::Window {
public:
    PageWindow(const pf::Rect& frame, std::weak_ptr<CVWebViewKit> kit)
        : pf::Window(frame)
        , m_kit(std::move(kit))
    {
    }
    bool performBack() override
    {
        if (auto kit = m_kit.lock(); kit && !kit->isClosing())
            kit->onClickClose();
        return true;
    }

private:
    std::weak_ptr<CVWebViewKit> m_kit;
};

}

CVWebViewKit::CVWebViewKit(std::string url, std::optional<std::string> webTitle,
                           std::weak_ptr<CVWebViewKitDelegate> delegate)
    : m_delegate(std::move(delegate))
    , m_requestUrl(std::move(url))
    , m_webTitle(std::move(webTitle))
{
}

CVWebViewKit::~CVWebViewKit()
{
    if (m_webViewController)
        m_webViewController->setDelegate({});
    if (m_window) {
        if (m_keywindow)
            m_keywindow->makeKeyWindow();
        m_window->setRootViewController(nullptr);
        m_window->setHidden(true);
    }
}

bool CVWebViewKit::open()
{
    closeWindow();
    m_keywindow = pf::Application::shared().keyWindow();
    pf::Rect bounds = pf::Screen::main().bounds();
    pf::Rect start = bounds;
    start.origin.x -= bounds.size.width;
    auto self = std::static_pointer_cast<CVWebViewKit>(shared_from_this());
    m_window = std::make_shared<PageWindow>(start, self);
    m_window->setWindowLevel(pf::WindowLevel::Normal);
    m_window->setBackgroundColor(pf::Color::whiteColor());
    m_window->makeKeyAndVisible();
    pf::View::animate(kSlideInSeconds, [window = m_window, bounds] { window->setFrame(bounds); });

    m_webViewController = std::make_shared<CVWebViewController>(m_requestUrl, m_webTitle,
                                                                 std::weak_ptr<CVWebViewControllerDelegate>(self));
    m_navigation = std::make_shared<CVWebNavigationController>();
    m_navigation->setViewControllers({ m_webViewController }, false);
    auto item = std::make_shared<pf::NavigationItem>(m_webTitle.value_or(""));
    auto close = std::make_shared<pf::BarButtonItem>("关闭", pf::BarButtonItemStyle::Bordered);
    close->setTarget(self, [](pf::Object& target, pf::BarButtonItem&) { static_cast<CVWebViewKit&>(target).onClickClose(); });
    item->setLeftBarButtonItem(close);
    m_webViewController->setNavigationItem(item);
    m_window->setRootViewController(m_navigation);
    if (CVWebViewController::localPageBase(m_requestUrl)) {
        if (auto url = pf::URL::create(m_requestUrl); url && url->host() == "localhost")
            m_navigation->setNavigationBarHidden(true, false);
    }
    m_windowsArray.push_back(m_window);
    moveOtherWindowsOut();
    return true;
}

void CVWebViewKit::moveOtherWindowsOut()
{
    std::vector<pf::WindowRef> windows = pf::Screen::main().windows();
    for (const auto& window : windows) {
        if (window != m_window && CvApiTool::isWindowOffScreen(window->frame()))
            m_windowsArray.push_back(window);
    }
    CvApiTool::MoveAllWindowOutOfScreen(m_windowsArray, true);
}

void CVWebViewKit::openWithUrl(std::string url, std::optional<std::string> webTitle,
                               std::weak_ptr<CVWebViewKitDelegate> delegate)
{
    m_requestUrl = std::move(url);
    m_webTitle = std::move(webTitle);
    m_delegate = std::move(delegate);
    open();
}

void CVWebViewKit::loadURL(std::string url, std::optional<std::string> webTitle,
                           std::weak_ptr<CVWebViewKitDelegate> delegate)
{
    m_requestUrl = std::move(url);
    m_webTitle = std::move(webTitle);
    m_delegate = std::move(delegate);
    if (!m_webViewController) {
        open();
        return;
    }
    m_webViewController->setWebTitle(m_webTitle);
    m_webViewController->setDelegate(std::static_pointer_cast<CVWebViewKit>(shared_from_this()));
    m_webViewController->setRequestURLStr(m_requestUrl);
    setNavigationTitle(m_webTitle);
    m_webViewController->loadURL();
}

std::shared_ptr<CVWebViewController> CVWebViewKit::getViewControllerWithUrl(std::string url,
                                                                            std::optional<std::string> webTitle,
                                                                            std::weak_ptr<CVWebViewKitDelegate> delegate)
{
    m_requestUrl = std::move(url);
    m_webTitle = std::move(webTitle);
    m_delegate = std::move(delegate);
    if (m_webViewController)
        m_webViewController->setDelegate({});
    auto self = std::static_pointer_cast<CVWebViewKit>(shared_from_this());
    m_webViewController = std::make_shared<CVWebViewController>(m_requestUrl, m_webTitle,
                                                                 std::weak_ptr<CVWebViewControllerDelegate>(self));
    m_webViewController->setWantsFullScreenLayout(true);
    return m_webViewController;
}

void CVWebViewKit::setNavigationTitle(const std::optional<std::string>& title)
{
    if (!m_webViewController)
        return;
    if (auto item = std::dynamic_pointer_cast<pf::NavigationItem>(m_webViewController->navigationItem()))
        item->setTitle(title.value_or(""));
    else
        m_webViewController->setTitle(title);
}

std::shared_ptr<pf::BarButtonItem> CVWebViewKit::createNavigationBarButton(const std::string& title,
                                                                          const std::optional<std::string>& js)
{
    auto style = title == "取消" || title == "完成" ? pf::BarButtonItemStyle::Done : pf::BarButtonItemStyle::Bordered;
    auto item = std::make_shared<pf::BarButtonItem>(title, style);
    item->setTarget(shared_from_this(), [js](pf::Object& target, pf::BarButtonItem&) {
        static_cast<CVWebViewKit&>(target).onClickBarButton(js);
    });
    return item;
}

void CVWebViewKit::setLeftNavigationBarButton(const std::optional<std::string>& title,
                                              const std::optional<std::string>& js)
{
    auto item = m_webViewController ? std::dynamic_pointer_cast<pf::NavigationItem>(m_webViewController->navigationItem())
                                    : nullptr;
    if (item)
        item->setLeftBarButtonItem(title ? createNavigationBarButton(*title, js) : nullptr);
}

void CVWebViewKit::setRightNavigationBarButton(const std::optional<std::string>& title,
                                               const std::optional<std::string>& js)
{
    auto item = m_webViewController ? std::dynamic_pointer_cast<pf::NavigationItem>(m_webViewController->navigationItem())
                                    : nullptr;
    if (item)
        item->setRightBarButtonItem(title ? createNavigationBarButton(*title, js) : nullptr);
}

bool CVWebViewKit::boolFromText(const std::optional<std::string>& text)
{
    if (!text)
        return false;
    std::string lower = *text;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    return lower == "1" || lower == "true" || lower == "yes";
}

void CVWebViewKit::setNavigationBarHidden(const std::optional<std::string>& hidden,
                                          const std::optional<std::string>& animated)
{
    if (m_navigation)
        m_navigation->setNavigationBarHidden(boolFromText(hidden), boolFromText(animated));
}

void CVWebViewKit::onClickBarButton(const std::optional<std::string>& js)
{
    if (js && m_webViewController && m_webViewController->webview())
        m_webViewController->webview()->stringByEvaluatingJavaScriptFromString(*js);
}

void CVWebViewKit::onClickClose()
{
    auto self = shared_from_this();
    if (m_webViewController)
        m_webViewController->doClose();
    doClose();
}

void CVWebViewKit::doClose() { close(true); }

void CVWebViewKit::doCloseWithNotAnimation() { close(false); }

void CVWebViewKit::close(bool animated)
{
    if (!m_window || m_isClosing)
        return;
    m_isClosing = true;
    CvApiTool::MoveAllWindowIntoScreen(m_windowsArray, animated);
    m_windowsArray.clear();
    pf::Rect frame = m_window->frame();
    frame.origin.x -= pf::Screen::main().bounds().size.width;
    if (!animated) {
        m_window->setFrame(frame);
        closeWindow();
        return;
    }
    std::weak_ptr<CVWebViewKit> weak = std::static_pointer_cast<CVWebViewKit>(shared_from_this());
    pf::View::animate(kSlideOutSeconds, [window = m_window, frame] { window->setFrame(frame); },
                      [weak, window = m_window](bool finished) {
                          auto kit = weak.lock();
                          // Only the window this slide was for, once it has gone.
                          if (kit && finished && kit->m_window == window)
                              kit->closeWindow();
                      });
}

void CVWebViewKit::closeWindow()
{
    if (!m_window)
        return;
    auto self = shared_from_this();
    if (auto key = std::exchange(m_keywindow, nullptr))
        key->makeKeyWindow();
    auto window = std::exchange(m_window, nullptr);
    window->setRootViewController(nullptr);
    window->setHidden(true);
    m_windowsArray.clear();
    if (m_webViewController)
        m_webViewController->setDelegate({});
    m_webViewController = nullptr;
    m_navigation = nullptr;
    m_isClosing = false;
}

bool CVWebViewKit::handlePageCall(const std::string& url)
{
    constexpr std::string_view scheme = "cvwebviewkit://";
    if (!hasCaseInsensitivePrefix(url, scheme))
        return false;
    std::string_view rest = std::string_view(url).substr(scheme.size());
    rest = rest.substr(0, rest.find_first_of("?#"));
    std::string_view host = rest.substr(0, rest.find('/'));
    const PageCall* call = nullptr;
    for (const auto& [name, body] : pageCalls()) {
        if (name == host)
            call = &body;
    }
    if (!call)
        return true;
    Arguments arguments(argumentCount(host));
    std::string_view path = host.size() < rest.size() ? rest.substr(host.size() + 1) : std::string_view();
    for (std::size_t i = 0; i < arguments.size() && !path.empty(); i++) {
        std::size_t slash = path.find('/');
        std::string_view component = path.substr(0, slash);
        auto decoded = pf::percentDecode(component);
        // Nothing half-done: an argument that is not text cancels the call.
        if (!decoded || !pf::isValidUtf8(*decoded))
            return true;
        arguments[i] = std::move(*decoded);
        path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    }
    auto self = shared_from_this();
    (*call)(*this, arguments);
    return true;
}

void CVWebViewKit::webViewControllerDidCloseWithLastError(CVWebViewController&, const std::optional<pf::Error>& error)
{
    auto self = shared_from_this();
    if (auto delegate = m_delegate.lock())
        delegate->webViewKitDidFinishedWithError(*this, error);
    doClose();
}

void CVWebViewKit::webViewControllerDidFailLoadWithError(CVWebViewController&, const pf::Error& error)
{
    auto self = shared_from_this();
    auto delegate = m_delegate.lock();
    if (error.domain == pf::urlErrorDomain && error.code == -999) {
        if (delegate)
            delegate->webViewKitDidLoadWithContentError(*this, error);
        return;
    }
    // A page interrupting its own load.
    if (error.domain == "WebKitErrorDomain" && error.code == 102)
        return;
    if (delegate)
        delegate->webViewKitDidLoadWithNetworkError(*this, error);
}

bool CVWebViewKit::webViewControllerShouldStartLoadWithRequest(CVWebViewController&, const std::string& url)
{
    if (handlePageCall(url))
        return false;
    auto self = shared_from_this();
    if (auto delegate = m_delegate.lock())
        return delegate->webViewKitShouldStartLoadWithRequest(*this, url);
    return true;
}
