#include "VoxlyTestSupport.h"

#include "platform/controls/ActivityIndicatorView.h"
#include "platform/controls/Button.h"
#include "platform/controls/ScrollView.h"
#include "platform/graphics/Image.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Bitmap.h"
#include "platform/host/HeadlessHost.h"
#include "platform/net/CookieStore.h"
#include "platform/net/TrustAnchors.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/web/WebViewPages.h"
#include "sdk/voxly/VXAuthorizeWebView.h"
#include "sdk/voxly/VXStringAdditions.h"
#include "sdk/voxly/VoxlySDK3rdApp.h"
#include "tools/testserver/TestServer.h"
#include "tools/voxlyweb/VoxlyWebServer.h"

#include <atomic>

#include <cmath>
#include <numbers>

namespace voxly::test {
namespace {

using Reply = zmr::TestServer::Reply;

// A key window on the headless host, the dialog installed as the facade's,
// and an authorisation server on loopback whose links "授权", "拒绝" and
// two traps answer as the real one would.
class VoxlyWebDialog : public VoxlyTest {
protected:
    void SetUp() override
    {
        VoxlyTest::SetUp();
        ASSERT_TRUE(server.isRunning());
        host.emplace();
        window = pf::Window::create();
        window->setBackgroundColor(pf::Color::whiteColor());
        window->makeKeyAndVisible();
        pf::useHtmlDocumentsInWebViews();
        VoxlySDK::setServerOrigin(server.url(""));
        VoxlySDK::setAuthorizeDialogFactory([this](std::shared_ptr<VXAuthorizeRequest> request) {
            dialog = VXAuthorizeWebView::create(std::move(request));
            return dialog;
        });
        std::string redirect = server.url("/voxly/authorized");
        auto page = Reply::with(200, "text/html",
                                "<html><body style='margin:0'><div style='background:#0000ff;height:300px'></div><a href='/grant'>授权</a> "
                                "<a href='/deny'>拒绝</a> <a href='/noexpiry'>short</a> <a href='/elsewhere'>trap</a>"
                                "<div id='pad'></div><style>body[orientation=\"90\"] #pad{height:900px}</style>"
                                "</body></html>");
        page.headers = {{"Set-Cookie", "session=abc; Path=/"}};
        server.script("/oauth2/authorize", page);
        server.script("/grant", redirectTo(redirect + "#access_token=T%2B1&expires_in=3600&uid=U7"));
        server.script("/deny", redirectTo(redirect + "?error=access_denied&error_code=21330"));
        server.script("/noexpiry", redirectTo(redirect + "#access_token=T&uid=U7"));
        server.script("/elsewhere", redirectTo(server.url("/other") + "#access_token=X&expires_in=60&uid=U"));
        server.script("/other", Reply::with(200, "text/html", "<html><body>other</body></html>"));
        server.script("/voxly/authorized", Reply::with(200, "text/html", "<html><body>done</body></html>"));
    }
    void TearDown() override
    {
        if (dialog)
            dialog->webView()->stopLoading();
        dialog = nullptr;
        window = nullptr;
        pf::Screen::main().removeAllWindows();
        pf::Application::shared().setStatusBarOrientation(pf::InterfaceOrientation::Portrait);
        pf::Application::shared().setDeviceOrientation(pf::DeviceOrientation::Portrait);
        pf::CookieStore::shared().deleteAllCookies();
        VoxlySDK::setSettings({});
        VoxlyTest::TearDown();
        host.reset();
    }
    static Reply redirectTo(const std::string& location)
    {
        auto reply = Reply::with(302, "text/html", "");
        reply.headers = {{"Location", location}};
        return reply;
    }
    std::shared_ptr<VXAuthorizeRequest> send()
    {
        auto request = VXAuthorizeRequest::request();
        request->redirectURI = server.url("/voxly/authorized");
        request->scope = "all";
        EXPECT_TRUE(VoxlySDK::sendRequest(request));
        return request;
    }
    double presentedScale() const
    {
        auto t = dialog->presentationTransform();
        return std::hypot(t.a, t.b);
    }
    // Plays the bounce in, step by step, and waits for the page.
    void presentAndLoad()
    {
        for (double step : {0.2, 0.15, 0.15}) {
            host->advance(step + 0.002);
            pf::RunLoop::main().runUntilIdle();
        }
        ASSERT_TRUE(waitFor([&] { return !dialog->webView()->url().empty() && !dialog->webView()->isLoading(); }));
    }
    std::string origin() const { return pf::CookieStore::originOfURL(server.url("/")).value_or(""); }

    zmr::TestServer server;
    std::optional<pf::HeadlessHost> host;
    pf::WindowRef window;
    std::shared_ptr<VXAuthorizeWebView> dialog;
};

TEST_F(VoxlyWebDialog, BouncesInThenLoadsTheAuthorisationPage)
{
    auto request = send();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->bounds(), pf::Rect(0, 0, 320, 548));
    EXPECT_EQ(dialog->center().x, 160);
    EXPECT_EQ(dialog->center().y, 294);
    struct Row {
        double advance;
        double scale;
        bool loaded;
    } rows[] = {{0, 0.001, false}, {0.2, 1.1, false}, {0.15, 0.9, false}, {0.15, 1.0, true}};
    for (const auto& row : rows) {
        // A hair past each step, so that its end falls inside the frame.
        host->advance(row.advance ? row.advance + 0.002 : 0);
        EXPECT_NEAR(presentedScale(), row.scale, 0.01) << row.advance;
        pf::RunLoop::main().runUntilIdle();
        EXPECT_EQ(server.count("/oauth2/authorize") > 0 || dialog->webView()->isLoading(), row.loaded) << row.advance;
    }
    ASSERT_TRUE(waitFor([&] { return server.count("/oauth2/authorize") == 1 && !dialog->webView()->isLoading(); }));
    auto query = server.received("/oauth2/authorize")[0].query;
    EXPECT_EQ(query, "response_type=code&display=mobile&client_id=" + std::string(kAppKey) + "&redirect_uri="
                         + VoxlySDK::escapeQueryValue(server.url("/voxly/authorized")) + "&scope=all&packagename="
                         + VoxlySDK::escapeQueryValue(*request->app()->bundleID) + "&key_hash=" + VoxlySDK::hashKey());
    EXPECT_FALSE(dialog->indicatorView()->isAnimating());
    ASSERT_TRUE(dialog->closeButton()->currentImage());
    EXPECT_EQ(dialog->closeButton()->currentImage()->size().width, 29);
    EXPECT_FALSE(pf::CookieStore::shared().cookiesForOrigin(origin()).empty());

    // Frame fill (gray 0.3 at 0.8 over white), its border, then the page.
    auto frame = host->render();
    ASSERT_TRUE(frame);
    struct Probe {
        pf::Point at;
        pf::Rgba8 colour;
    } probes[] = {{{5, 220}, {112, 112, 112, 255}}, {{10, 220}, {77, 77, 77, 255}}, {{160, 300}, {0, 0, 255, 255}},
                      {{16.5, 28.5}, {0x33, 0x33, 0x33, 255}}, {{16.5, 23.5}, {255, 255, 255, 255}}};
    for (const auto& probe : probes)
        EXPECT_TRUE(frame.value()->pixelAtPoint(probe.at).near(probe.colour, 6)) << probe.at.x;
    // The close button glows while touched; lifting the finger elsewhere keeps the dialog.
    // The button covers (2, 22) to (31, 51) in the window.
    auto brightness = [](const pf::BitmapRef& picture) {
        int sum = 0;
        for (double x = 3; x < 31; x += 3)
            for (double y = 23; y < 51; y += 3) {
                auto p = picture->pixelAtPoint({ x, y });
                sum += p.r + p.g + p.b;
            }
        return sum;
    };
    int before = brightness(frame.value());
    host->touchDown({ 16.5, 36.5 });
    auto pressed = host->render();
    ASSERT_TRUE(pressed);
    EXPECT_GT(brightness(pressed.value()), before + 2000);
    host->touchUp({ 160, 300 });
    EXPECT_TRUE(dialog->superview()) << "not closed";
    if (HasFailure())
        (void)host->writePng("voxly-web-dialog.png");
}

TEST_F(VoxlyWebDialog, AnswersOnlyFromTheRedirectPage)
{
    struct Row {
        const char* action; // a link's text, or "close"
        long long status;   // the delivered status; 1 for nothing delivered
    } rows[] = {{"授权", 0}, {"拒绝", -3}, {"close", -1}, {"short", 1}, {"trap", 1}};
    for (const auto& row : rows) {
        TearDown();
        SetUp();
        auto request = send();
        ASSERT_TRUE(dialog) << row.action;
        presentAndLoad();
        double sent = pf::Date::now().seconds;
        if (std::string(row.action) == "close")
            host->tap({16, 36});
        else
            ASSERT_TRUE(dialog->webView()->followLinkWithText(row.action)) << row.action;
        if (row.status == 1) {
            ASSERT_TRUE(waitFor([&] { return !dialog->webView()->isLoading(); })) << row.action;
            pf::RunLoop::main().runUntilIdle();
            EXPECT_TRUE(app->sdk->responses.empty()) << row.action;
            EXPECT_TRUE(dialog->superview()) << row.action;
            continue;
        }
        ASSERT_TRUE(waitFor([&] { return !app->sdk->responses.empty(); })) << row.action;
        auto response = std::dynamic_pointer_cast<VXAuthorizeResponse>(app->sdk->responses[0]);
        ASSERT_TRUE(response) << row.action;
        EXPECT_EQ(response->statusCode, row.status) << row.action;
        EXPECT_EQ(response->requestID, request->requestID()) << row.action;
        EXPECT_FALSE(dialog->superview()) << row.action;
        EXPECT_TRUE(pf::CookieStore::shared().cookiesForOrigin(origin()).empty()) << row.action;
        auto info = app->sdk->userInfos[0];
        if (row.status == 0) {
            EXPECT_EQ(response->accessToken, "T+1");
            EXPECT_EQ(response->userID, "U7");
            ASSERT_TRUE(response->expirationDate);
            EXPECT_NEAR(response->expirationDate->seconds - sent, 3600, 5);
        } else if (row.status == -3) {
            ASSERT_TRUE(info);
            EXPECT_EQ(info->string("error"), "access_denied");
            EXPECT_EQ(info->string("error_code"), "21330");
            EXPECT_FALSE(response->accessToken);
        } else {
            EXPECT_FALSE(info && !info->empty());
            EXPECT_FALSE(response->accessToken);
        }
    }
}

// A root controller that lets the status bar follow the device to the
// orientations it allows.
struct TurningController final : pf::ViewController {
    bool shouldAutorotate() const override { return true; }
    unsigned supportedInterfaceOrientations() const override { return allowed; }
    unsigned allowed = 0x1e; // the four upright ones
};

// Each row turns the device (or the bar) from where the row before left it.
// Before each the dialog is shrunk, so a row that lays it out again shows
// by its transform.
TEST_F(VoxlyWebDialog, LaysItselfOutAgainWhenTheStatusBarTurns)
{
    namespace IO = pf::InterfaceOrientation;
    namespace DO = pf::DeviceOrientation;
    auto root = std::make_shared<TurningController>();
    window->setRootViewController(root);
    send();
    ASSERT_TRUE(dialog);
    presentAndLoad();
    auto& application = pf::Application::shared();
    auto pageHeight = [&] { return dialog->webView()->scrollView()->contentSize().height; };
    const double plainHeight = pageHeight();
    auto turn = [&](int device) { return [&application, device] { application.setDeviceOrientation(device); }; };
    auto near = [](const pf::AffineTransform& t, const pf::AffineTransform& u) {
        return std::abs(t.a - u.a) + std::abs(t.b - u.b) + std::abs(t.c - u.c) + std::abs(t.d - u.d) < 1e-6;
    };
    struct Row {
        const char* what;
        std::function<void()> act;
        int statusBar;
        bool laidOut;
        double width, height, angle;
        bool marked; // the page's body carries orientation="90"
    } rows[] = {
        {"to landscape", turn(DO::LandscapeRight), IO::LandscapeLeft, true, 548, 320, std::numbers::pi / 2, true},
        {"face up keeps the bar", turn(DO::FaceUp), IO::LandscapeLeft, false, 548, 320, 0, true},
        {"refused by the controller", [&] { root->allowed = IO::PortraitMask, turn(DO::LandscapeLeft)(); },
         IO::LandscapeLeft, false, 548, 320, 0, true},
        {"a bar in no upright orientation",
         [&] {
             application.setStatusBarOrientation(DO::FaceUp);
             pf::NotificationCenter::defaultCenter().post(pf::DeviceOrientationDidChangeNotification);
         },
         DO::FaceUp, false, 548, 320, 0, true},
        {"to portrait", [&] { root->allowed = 0x1e, turn(DO::Portrait)(); }, IO::Portrait, true, 320, 548, 0, false},
        {"upside down", turn(DO::PortraitUpsideDown), IO::PortraitUpsideDown, true, 320, 548, -std::numbers::pi, false},
        {"after closing", [&] { dialog->closeButtonPressed(), turn(DO::LandscapeRight)(); }, IO::LandscapeLeft, false,
         320, 548, 0, false},
    };
    const auto shrunk = pf::AffineTransform::scaling(0.5, 0.5);
    for (const auto& row : rows) {
        dialog->setTransform(shrunk);
        row.act();
        EXPECT_EQ(application.statusBarOrientation(), row.statusBar) << row.what;
        auto expected = row.laidOut ? pf::AffineTransform::rotation(row.angle) : shrunk;
        if (row.laidOut) {
            // Under way for the bar's turning time.
            host->advance(0.15);
            EXPECT_FALSE(near(dialog->presentationTransform(), expected)) << row.what;
        }
        host->advance(0.3);
        pf::RunLoop::main().runUntilIdle();
        EXPECT_TRUE(near(dialog->presentationTransform(), expected)) << row.what;
        EXPECT_EQ(dialog->bounds().size, (pf::Size{row.width, row.height})) << row.what;
        EXPECT_EQ(dialog->webView()->bounds().size, (pf::Size{row.width - 22, row.height - 21})) << row.what;
        EXPECT_EQ(pageHeight() > plainHeight + 500, row.marked) << row.what << " " << pageHeight();
    }
    EXPECT_FALSE(dialog->superview());
}

TEST(VoxlyRedirectDetector, TakesAnswersOnlyFromTheRedirectURI)
{
    const std::string redirect = "https://app.test/voxly/done";
    struct Row {
        std::string url;
        long long status; // 1: load the page
    } rows[] = {
        {redirect + "#access_token=T&expires_in=60&uid=U", 0},
        {redirect + "?error=access_denied&error_code=21330", -3},
        {"HTTPS://APP.TEST:443/voxly/done#access_token=T&expires_in=60", 0},
        {redirect + "#access_token=T&uid=U", 1},
        {redirect + "?access_token=T#expires_in=60", 0},
        {redirect + "?access_token=T&expires_in=60#x=1", 0},
        {"http://app.test/voxly/done#access_token=T&expires_in=60", 1},
        {"https://app.test:8443/voxly/done#access_token=T&expires_in=60", 1},
        {"https://app.test/voxly/done/more#access_token=T&expires_in=60", 1},
        {"https://evil.test/voxly/done#access_token=T&expires_in=60", 1},
        {"https://evil.test/?r=" + redirect + "#access_token=T&expires_in=60", 1},
        {"about:blank#access_token=T&expires_in=60", 1},
        {redirect + "#access_token=%ZZ&expires_in=60", 1},
    };
    for (const auto& row : rows) {
        auto outcome = VXAuthorizeWebView::outcomeOfNavigation(row.url, redirect);
        EXPECT_EQ(outcome ? outcome->status : 1, row.status) << row.url;
    }
    EXPECT_FALSE(VXAuthorizeWebView::outcomeOfNavigation(redirect + "#access_token=T&expires_in=60", std::nullopt));
    auto info = VXAuthorizeWebView::outcomeOfNavigation(redirect + "?state=s#access_token=T&expires_in=60&uid=U", redirect)->info;
    EXPECT_EQ(info->string("uid"), "U");
    EXPECT_FALSE(info->contains("state"));
}

TEST(VoxlyStringAdditions, ReplaceCountsUnitsAndTrimDropsBlanks)
{
    struct Row {
        std::string text;
        std::size_t location, length;
        std::optional<std::string> replaced;
    } rows[] = {
        {"a#b", 0, 2, "X?b"},
        {"a#b", 3, 0, "a#bX?"},
        {"a#b", 2, 2, std::nullopt},
        {"a#b", 4, 0, std::nullopt},
        {"a#b", 1, SIZE_MAX, std::nullopt},
        {"é😀z", 1, 2, "éX?z"}, // the emoji is two units
        {"", 0, 0, "X?"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(stringByReplacingRange(row.text, row.location, row.length, "X?"), row.replaced) << row.text;
    EXPECT_EQ(trimmedString(" \t\n 授 权 \r\n"), "授 权");
    EXPECT_EQ(trimmedString("\n\n"), "");
}

// The stand-in Voxly web server over https, trusted through its test CA:
// "授权" signs in with the token it granted, "拒绝" answers its error, and
// the revocation reaches it with the token escaped.
TEST_F(VoxlyWebDialog, AuthorisesAgainstTheVoxlyWebStandIn)
{
    struct Done final : VoxlySDKRequestDelegate {
        void didReceiveVoxlySDKResponse(const std::string& text, const std::optional<pf::Error>& error) override
        {
            body = error ? "error" : text;
            done = true;
        }
        std::string body;
        std::atomic<bool> done = false;
    };
    for (const char* link : {"授权", "拒绝"}) {
        TearDown();
        SetUp();
        zmr::VoxlyWebServer web;
        ASSERT_TRUE(web.isRunning());
        std::string ca = std::filesystem::temp_directory_path() / ("zmr-voxlyweb-ca-" + std::to_string(getpid()) + ".pem");
        ASSERT_TRUE(web.writeCA(ca));
        pf::setExtraCAFile(ca);
        struct Forget {
            std::string path;
            ~Forget()
            {
                pf::setExtraCAFile(std::nullopt);
                std::filesystem::remove(path);
            }
        } forget{ca};
        VoxlySDK::setServerOrigin(web.origin());
        auto request = VXAuthorizeRequest::request();
        request->redirectURI = web.redirectURL();
        ASSERT_TRUE(VoxlySDK::sendRequest(request));
        presentAndLoad();
        EXPECT_EQ(dialog->webView()->url().rfind(web.origin() + "/oauth2/authorize?", 0), 0u) << dialog->webView()->url();
        auto webOrigin = pf::CookieStore::originOfURL(web.origin()).value_or("");
        EXPECT_EQ(pf::CookieStore::shared().cookiesForOrigin(webOrigin).size(), 1u);
        ASSERT_TRUE(dialog->webView()->followLinkWithText(link));
        ASSERT_TRUE(waitFor([&] { return !app->sdk->responses.empty(); })) << link;
        auto response = std::dynamic_pointer_cast<VXAuthorizeResponse>(app->sdk->responses[0]);
        ASSERT_TRUE(response);
        EXPECT_TRUE(pf::CookieStore::shared().cookiesForOrigin(webOrigin).empty());
        for (const auto& in : web.received())
            EXPECT_NE(in.path, zmr::VoxlyWebServer::redirectPath()) << "the redirect page is never fetched";
        if (std::string(link) == "拒绝") {
            EXPECT_EQ(response->statusCode, -3);
            EXPECT_EQ(app->sdk->userInfos[0]->string("error_code"), "21330");
            continue;
        }
        EXPECT_EQ(response->statusCode, 0);
        ASSERT_EQ(web.grantedTokens().size(), 1u);
        EXPECT_EQ(response->accessToken, web.grantedTokens()[0]);
        EXPECT_EQ(response->userID, zmr::VoxlyWebServer::uid());

        auto revoke = std::make_shared<Done>();
        VoxlySDK::logOutWithToken(*response->accessToken + "&x", revoke);
        ASSERT_TRUE(waitFor([&] { return revoke->done.load(); }));
        EXPECT_EQ(revoke->body, "{\"result\":true}");
        EXPECT_EQ(web.received().back().target, "/oauth2/revokeoauth2?access_token=" + *response->accessToken + "%26x");
    }
}

}
}
