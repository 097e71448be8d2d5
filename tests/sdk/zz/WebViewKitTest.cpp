#include "platform/controls/BarItem.h"
#include "platform/controls/NavigationBar.h"
#include "platform/controls/NavigationItem.h"
#include "platform/host/HeadlessHost.h"
#include "platform/foundation/RunLoop.h"
#include "platform/net/URLConnection.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "platform/web/WebViewPages.h"
#include "sdk/zz/CVUiKit.h"
#include "sdk/zz/CVWebNavigationController.h"
#include "sdk/zz/CVWebViewKit.h"
#include "tools/testserver/TestServer.h"

#include <gtest/gtest.h>

namespace {

using Reply = zmr::TestServer::Reply;

struct KitHeard : CVWebViewKitDelegate {
    std::vector<std::string> calls;
    bool allow = true;
    void webViewKitDidFinishedWithError(CVWebViewKit&, const std::optional<pf::Error>& error) override
    {
        calls.push_back("finished " + std::to_string(error ? error->code : 0));
    }
    void webViewKitDidLoadWithContentError(CVWebViewKit&, const pf::Error& e) override
    {
        calls.push_back("content " + std::to_string(e.code));
    }
    void webViewKitDidLoadWithNetworkError(CVWebViewKit&, const pf::Error& e) override
    {
        calls.push_back("network " + std::to_string(e.code));
    }
    bool webViewKitShouldStartLoadWithRequest(CVWebViewKit&, const std::string& url) override
    {
        calls.push_back("ask " + url);
        return allow;
    }
};

// The application's key window on the headless host and a page server on loopback.
class WebViewKit : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.isRunning());
        host.emplace();
        appWindow = pf::Window::create();
        appWindow->makeKeyAndVisible();
        pf::useHtmlDocumentsInWebViews();
        server.script("/page", Reply::with(200, "text/html",
                                           "<html><head><title>页面</title></head><body>"
                                           "<a href='CVWebViewKit://setNavigationTitle-/%E7%99%BB%E5%BD%95/extra'>call</a> "
                                           "<a href='/other'>other</a></body></html>"));
        server.script("/other", Reply::with(200, "text/html", "<html><body>other</body></html>"));
    }
    void TearDown() override
    {
        kit = nullptr;
        appWindow = nullptr;
        pf::Screen::main().removeAllWindows();
        host.reset();
    }
    void openPage()
    {
        kit = std::make_shared<CVWebViewKit>(server.url("/page"), std::string(), heard);
        ASSERT_TRUE(kit->open());
        host->advance(CVWebViewKit::kSlideInSeconds + 0.05);
        ASSERT_TRUE(pf::RunLoop::main().runUntil(
            [&] { return kit->webViewController()->webview() && !kit->webViewController()->webview()->isLoading()
                         && kit->webViewController()->webTitle() == "页面"; },
            pf::Seconds(60)));
        heard->calls.clear();
    }
    std::shared_ptr<pf::NavigationItem> item() const
    {
        return std::dynamic_pointer_cast<pf::NavigationItem>(kit->webViewController()->navigationItem());
    }

    zmr::TestServer server;
    std::optional<pf::HeadlessHost> host;
    pf::WindowRef appWindow;
    std::shared_ptr<KitHeard> heard = std::make_shared<KitHeard>();
    std::shared_ptr<CVWebViewKit> kit;
};

}

TEST_F(WebViewKit, OpensOverTheApplicationWithACloseButton)
{
    openPage();
    EXPECT_EQ(kit->window()->frame(), pf::Screen::main().bounds()) << "slid in";
    EXPECT_EQ(pf::Application::shared().keyWindow(), kit->window());
    EXPECT_GE(appWindow->frame().origin.x, pf::Screen::main().bounds().size.width) << "the application moved out";
    EXPECT_EQ(item()->leftBarButtonItem()->title(), "关闭");
    EXPECT_TRUE(CVWebNavigationController::navigationBarImagePath()) << "the bundle's bar picture";
}

TEST_F(WebViewKit, PagesCallOnlyTheTableWithTextArguments)
{
    openPage();
    struct Row {
        const char* url;
        bool isCall;
        const char* title;
        bool barHidden;
    } rows[] = {
        { "CVWebViewKit://setNavigationTitle-/%E7%99%BB%E5%BD%95", true, "登录", false },
        { "cvwebviewkit://setNavigationTitle-/a/b", true, "a", false },
        { "CVWEBVIEWKIT://setNavigationTitle-", true, "", false },
        { "CVWebViewKit://setNavigationTitle-/%FF", true, "", false },
        { "CVWebViewKit://setNavigationTitle-/x%", true, "", false },
        { "CVWebViewKit://dealloc", true, "", false },
        { "CVWebViewKit://webViewControllerDidCloseWithLastError-/x", true, "", false },
        { "CVWebViewKit://setNavigationBarHidden-animated-/YES/0", true, "", true },
        { "CVWebViewKit://setNavigationBarHidden-animated-/0/0", true, "", false },
        { "CVWebViewKit://setNavigationBarHidden-animated-/true", true, "", true },
        { "CVWebViewKit://setNavigationBarHidden-animated-/no", true, "", false },
        { "CVWebViewKit://setNavigationBarHidden-animated-/1", true, "", true },
        { "CVWebViewKit://setNavigationBarHidden-animated-/2", true, "", false },
        { "http://127.0.0.1/setNavigationTitle-/z", false, "", false },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        EXPECT_EQ(kit->handlePageCall(row.url), row.isCall);
        EXPECT_EQ(item()->title(), row.title);
        EXPECT_EQ(kit->navigationController()->isNavigationBarHidden(), row.barHidden);
        item()->setTitle("");
    }
    EXPECT_TRUE(kit->window()) << "nothing closed the page";
    EXPECT_TRUE(heard->calls.empty());

    // A bound button runs its script in the page.
    kit->handlePageCall("CVWebViewKit://setRightNavigationBarButton-bindingJS-/%E5%AE%8C%E6%88%90/window.pressed%3D7");
    ASSERT_TRUE(item()->rightBarButtonItem());
    EXPECT_EQ(item()->rightBarButtonItem()->title(), "完成");
    item()->rightBarButtonItem()->sendAction();
    EXPECT_EQ(kit->webViewController()->webview()->stringByEvaluatingJavaScriptFromString("String(window.pressed)"), "7");
}

TEST_F(WebViewKit, ALinkToANativeCallNeverLoads)
{
    openPage();
    auto web = kit->webViewController()->webview();
    ASSERT_TRUE(web->followLinkWithText("call"));
    ASSERT_TRUE(pf::RunLoop::main().runUntil([&] { return item()->title() == "登录"; }, pf::Seconds(60)));
    EXPECT_EQ(heard->calls, std::vector<std::string> {}) << "the delegate is not asked about a call";
    ASSERT_TRUE(web->followLinkWithText("other")) << "the page stays";
    ASSERT_TRUE(pf::RunLoop::main().runUntil([&] { return !heard->calls.empty(); }, pf::Seconds(60)));
    EXPECT_EQ(heard->calls, std::vector<std::string> { "ask " + server.url("/other") });
}

TEST_F(WebViewKit, CloseTellsOnceAndSlidesOut)
{
    openPage();
    auto window = kit->window();
    ASSERT_TRUE(host->tapViewWithText("关闭"));
    EXPECT_EQ(heard->calls, std::vector<std::string> { "finished 0" });
    EXPECT_TRUE(kit->isClosing());
    host->advance(CVWebViewKit::kSlideOutSeconds / 2);
    double x = window->presentationCenter().x;
    EXPECT_LT(x, pf::Screen::main().bounds().size.width / 2) << "sliding left";
    EXPECT_GT(x, -pf::Screen::main().bounds().size.width / 2);
    kit->doClose();
    kit->onClickClose();
    host->advance(CVWebViewKit::kSlideOutSeconds);
    EXPECT_EQ(heard->calls.size(), 1u) << "a close during the slide does nothing";
    EXPECT_FALSE(kit->window());
    EXPECT_FALSE(kit->isClosing());
    EXPECT_EQ(pf::Application::shared().keyWindow(), appWindow);
    EXPECT_EQ(appWindow->frame().origin.x, 0) << "the application came back";
}

TEST_F(WebViewKit, LoadFailuresByKind)
{
    openPage();
    struct Row {
        pf::Error error;
        const char* heard;
    } rows[] = {
        { { pf::urlErrorDomain, -999, "cancelled" }, "content -999" },
        { { "WebKitErrorDomain", 102, "interrupted" }, nullptr },
        { { pf::urlErrorDomain, -1009, "offline" }, "network -1009" },
        { { pf::urlErrorDomain, -1001, "timed out" }, "network -1001" },
        { { "WebKitErrorDomain", 101, "other" }, "network 101" },
    };
    for (const Row& row : rows) {
        heard->calls.clear();
        kit->webViewControllerDidFailLoadWithError(*kit->webViewController(), row.error);
        EXPECT_EQ(heard->calls, row.heard ? std::vector<std::string> { row.heard } : std::vector<std::string> {})
            << row.error.description;
    }
    // A real one: nobody listens on the port.
    heard->calls.clear();
    kit->loadURL("http://127.0.0.1:1/", std::string("x"), heard);
    ASSERT_TRUE(pf::RunLoop::main().runUntil([&] { return heard->calls.size() >= 2; }, pf::Seconds(60)));
    EXPECT_EQ(heard->calls[1], "network -1004");
    kit->doCloseWithNotAnimation();
    EXPECT_FALSE(kit->window()) << "closed at once";
}

TEST_F(WebViewKit, TheUiKitReusesItsKit)
{
    CVUiKit ui("1");
    EXPECT_TRUE(ui.popWebViewWnd(server.url("/page"), std::string("一"), heard));
    auto first = ui.webViewKit();
    EXPECT_TRUE(ui.popWebViewWnd(server.url("/other"), std::string("二"), heard));
    EXPECT_EQ(ui.webViewKit(), first);
    EXPECT_EQ(first->requestUrl(), server.url("/other"));
    auto controller = ui.getWebViewController(server.url("/page"), std::string("三"), heard);
    EXPECT_NE(ui.webViewKit(), first);
    EXPECT_TRUE(controller->wantsFullScreenLayout());
    EXPECT_FALSE(first->window()) << "the old kit closed";
}
