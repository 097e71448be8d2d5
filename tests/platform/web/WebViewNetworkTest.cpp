#include "platform/controls/WebView.h"
#include "platform/foundation/Reachability.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/ImageCodec.h"
#include "platform/net/CookieStore.h"
#include "platform/net/URLCache.h"
#include "platform/net/URLConnection.h"
#include "platform/web/HtmlDocument.h"
#include "platform/web/WebViewPages.h"
#include "tests/platform/controls/ControlsTestSupport.h"
#include "tools/testserver/TestServer.h"

#include <functional>

using namespace pf;
using Reply = zmr::TestServer::Reply;

namespace {

using Log = std::vector<std::string>;

// Records every call; refuses "auth:" URLs and pages named "refuse".
struct Recorder : WebViewDelegate {
    bool webViewShouldStartLoadWithRequest(WebView&, const std::string& url) override
    {
        log.push_back("should " + url);
        return url.rfind("auth:", 0) != 0 && url.find("refuse.html") == std::string::npos;
    }
    void webViewDidStartLoad(WebView&) override { log.push_back("start"); }
    void webViewDidFinishLoad(WebView&) override { log.push_back("finish"); }
    void webViewDidFailLoadWithError(WebView&, const Error& e) override
    {
        log.push_back("fail " + std::to_string(e.code));
        error = e;
    }
    Log log;
    Error error;
};

std::string jpeg(Color color)
{
    auto bitmap = Bitmap::create(40, 40).value();
    auto context = std::move(GraphicsContext::create(*bitmap).value());
    context->fillRect({0, 0, 40, 40}, color);
    auto bytes = encodeJpeg(*bitmap, 0.95).value();
    return {bytes.begin(), bytes.end()};
}

// A JPEG whose frame header claims more pixels than any decode may make.
std::string oversizedJpeg()
{
    std::string bytes = jpeg(Color::rgb(1, 0, 0));
    auto frame = bytes.find("\xFF\xC0");
    if (frame != std::string::npos)
        bytes.replace(frame + 5, 4, "\xFF\x00\xFF\x00"); // 65280 by 65280
    return bytes;
}

// Answers one picture from the cache; everything else goes to the network.
struct OnePictureCache : URLCache {
    std::string url;
    std::optional<CachedURLResponse> cachedResponseForRequest(const HttpRequest& request) override
    {
        if (request.url() != url)
            return std::nullopt;
        std::string bytes = jpeg(Color::rgb(0, 1, 0));
        return CachedURLResponse{HttpResponse(url, 200, {}), Bytes(bytes.begin(), bytes.end())};
    }
};

class WebViewNetwork : public test::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        ASSERT_TRUE(server.isRunning());
        useHtmlDocumentsInWebViews();
        window->addSubview(web);
        web->setDelegate(delegate);
    }
    void TearDown() override
    {
        setReachabilityProvider({});
        URLCache::setShared(nullptr);
        web->stopLoading();
        HostTest::TearDown();
    }
    bool settle()
    {
        bool done = RunLoop::main().runUntil([&] { return !web->isLoading(); }, Seconds(30));
        return RunLoop::main().runUntilIdle(), done;
    }
    Log load(const std::string& url)
    {
        delegate->log.clear();
        web->loadRequest(url);
        EXPECT_TRUE(settle()) << url;
        return delegate->log;
    }
    void page(const std::string& path, const std::string& html, std::vector<std::pair<std::string, std::string>> headers = {})
    {
        auto reply = Reply::with(200, "text/html", html);
        reply.headers = std::move(headers);
        server.script(path, reply);
    }

    zmr::TestServer server;
    std::shared_ptr<Recorder> delegate = std::make_shared<Recorder>();
    std::shared_ptr<WebView> web = std::make_shared<WebView>(Rect(0, 0, 320, 240));
};

}

TEST_F(WebViewNetwork, ShowsAPageWithItsPicturesAndStyleSheetsThroughTheCache)
{
    page("/page.html", "<html><head><title>The page</title><link rel='stylesheet' href='/style.css'></head>"
                       "<body style='margin:0'><img src='/blue.jpg' width='40' height='40'>"
                       "<img src='/cached.jpg' width='40' height='40'><img src='/huge.jpg' width='40' height='40'>"
                       "<div class='band'></div></body></html>");
    server.script("/huge.jpg", Reply::with(200, "image/jpeg", oversizedJpeg()));
    server.script("/style.css", Reply::with(200, "text/css", ".band { background: #ff0000; height: 50px }"));
    server.script("/blue.jpg", Reply::with(200, "image/jpeg", jpeg(Color::rgb(0, 0, 1))));
    auto cache = std::make_shared<OnePictureCache>();
    cache->url = server.url("/cached.jpg");
    URLCache::setShared(cache);

    EXPECT_EQ(load(server.url("/page.html")), (Log{"should " + server.url("/page.html"), "start", "finish"}));
    EXPECT_EQ(web->title(), "The page");
    EXPECT_TRUE(probe({20, 20}).near(toRgba8(Color::rgb(0, 0, 1)), 12));
    EXPECT_TRUE(probe({60, 20}).near(toRgba8(Color::rgb(0, 1, 0)), 12));
    EXPECT_TRUE(probe({100, 20}).near(toRgba8(Color::rgb(1, 1, 1)), 3)); // over the pixel cap: blank
    EXPECT_TRUE(probe({160, 70}).near(toRgba8(Color::rgb(1, 0, 0)), 3));
    EXPECT_EQ(server.count("/cached.jpg"), 0u);

    // A reload that ignores the cache fetches everything again.
    web->loadRequest(HttpRequest(server.url("/page.html"), URLRequestCachePolicy::ReloadIgnoringLocalCacheData));
    ASSERT_TRUE(settle());
    web->reload();
    ASSERT_TRUE(settle());
    EXPECT_EQ(server.count("/cached.jpg"), 2u);
    EXPECT_EQ(server.count("/style.css"), 3u);
}

TEST_F(WebViewNetwork, EveryRedirectTargetIsPutToTheDelegateFirst)
{
    page("/second.html", "<title>Second</title>");
    auto redirect = [&](const std::string& to) { return server.url("/redirect?to=" + to); };
    struct Row {
        const char* name;
        std::string url;
        Log expected;
        std::string finalURL;
    };
    const std::vector<Row> rows = {
        {"followed", redirect("/second.html"),
         {"should " + redirect("/second.html"), "start", "should " + server.url("/second.html"), "finish"},
         server.url("/second.html")},
        {"refused to another scheme", redirect("auth://done/code7"),
         {"should " + redirect("auth://done/code7"), "start", "should auth://done/code7"}, ""},
        {"allowed to a local file", redirect("file:///etc/hostname"),
         {"should " + redirect("file:///etc/hostname"), "start", "should file:///etc/hostname", "fail 5"}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(load(row.url), row.expected);
        EXPECT_FALSE(web->isLoading());
        if (!row.finalURL.empty()) {
            EXPECT_EQ(web->url(), row.finalURL);
        }
    }
    // A refused first navigation sends nothing.
    EXPECT_EQ(load(server.url("/refuse.html")), (Log{"should " + server.url("/refuse.html")}));
    EXPECT_EQ(server.count("/refuse.html"), 0u);

    auto log = load(server.url("/loop"));
    EXPECT_EQ(log.size(), 2u + kMaxWebRedirects + 1);
    EXPECT_EQ(log.back(), "fail -1007");
}

TEST_F(WebViewNetwork, FailuresCarryURLErrorCodes)
{
    auto closed = std::make_unique<zmr::TestServer>();
    std::string closedURL = closed->url("/page.html");
    closed.reset(); // nothing listens on its port now
    page("/big.html", std::string(kMaxHtmlBytes + 1, 'a'));
    struct Row {
        const char* name;
        std::function<void()> before;
        HttpRequest request;
        std::string domain;
        long long code;
    };
    HttpRequest stalled(server.url("/stall"));
    stalled.setTimeoutInterval(std::chrono::milliseconds(300));
    // A byte every 50 ms for 10 seconds: never idle, but past the time-out.
    HttpRequest dripping(server.url("/slow?chunks=200&ms=50&size=1"));
    dripping.setTimeoutInterval(std::chrono::milliseconds(500));
    const std::vector<Row> rows = {
        {"timed out", {}, stalled, urlErrorDomain, -1001},
        {"dripping past the time-out", {}, dripping, urlErrorDomain, -1001},
        {"offline", [] { setReachabilityProvider([] { return 0u; }); }, HttpRequest(server.url("/text")), urlErrorDomain,
         -1009},
        {"cannot connect", {}, HttpRequest(closedURL), urlErrorDomain, -1004},
        {"over the size cap", {}, HttpRequest(server.url("/big.html")), htmlDocumentErrorDomain,
         (long long)HtmlDocumentError::TooLarge},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        setReachabilityProvider({});
        if (row.before)
            row.before();
        delegate->log.clear();
        web->loadRequest(row.request);
        ASSERT_TRUE(settle());
        EXPECT_EQ(delegate->log.back(), "fail " + std::to_string(row.code));
        EXPECT_EQ(delegate->error.domain, row.domain);
        EXPECT_FALSE(delegate->error.description.empty());
    }
    EXPECT_EQ(server.count("/text"), 0u); // offline sends nothing

    // Stopping cancels the transfer, which reports only its cancellation.
    delegate->log.clear();
    web->loadRequest(server.url("/stall"));
    ASSERT_TRUE(RunLoop::main().runUntil([&] { return server.count("/stall") == 2; }, Seconds(10)));
    web->stopLoading();
    EXPECT_FALSE(web->isLoading());
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(delegate->log, (Log{"should " + server.url("/stall"), "start", "fail -999"}));
    EXPECT_EQ(delegate->error.domain, urlErrorDomain);
}

TEST_F(WebViewNetwork, CookiesStayWithTheirOrigin)
{
    zmr::TestServer other; // the same host on another port
    page("/set", "<p>set</p>", {{"Set-Cookie", "session=abc; Path=/"}, {"Set-Cookie", "token=1; Secure; Path=/"}});
    page("/page", "<p>page</p>");
    other.script("/page", Reply::with(200, "text/html", "<p>other</p>"));
    std::string origin = *CookieStore::originOfURL(server.url("/"));
    // A secure cookie of the https origin on the same host and port.
    CookieStore::shared().setCookieFromHeader("https" + origin.substr(4), "secret=1; Secure");

    auto cookieSent = [](const zmr::TestServer& s, const std::string& path) {
        auto received = s.received(path);
        return received.empty() ? std::string("none") : received.back().header("Cookie").value_or("");
    };
    load(server.url("/set"));
    load(server.url("/page"));
    EXPECT_EQ(cookieSent(server, "/page"), "session=abc");
    load(other.url("/page"));
    EXPECT_EQ(cookieSent(other, "/page"), "");
    ASSERT_EQ(CookieStore::shared().cookiesForOrigin(origin).size(), 1u);
    EXPECT_EQ(CookieStore::shared().cookiesForOrigin(origin)[0].value, "abc");
    // Neither from a page nor given by hand does plain http keep a Secure cookie.
    CookieStore::shared().setCookieFromHeader(origin, "given=1; Secure");
    EXPECT_EQ(CookieStore::shared().cookiesForOrigin(origin).size(), 1u);

    CookieStore::shared().deleteCookiesForOrigin(origin);
    load(server.url("/page"));
    EXPECT_EQ(cookieSent(server, "/page"), "");
}

TEST_F(WebViewNetwork, FollowsALinkByItsText)
{
    page("/first.html", "<title>First</title><a href='/second.html'>Next <b>page</b></a>"
                        "<a href='file:///etc/hostname'>Local</a>");
    page("/second.html", "<title>Second</title>");
    load(server.url("/first.html"));
    EXPECT_EQ(web->title(), "First");
    EXPECT_FALSE(web->followLinkWithText("Local")); // a network page never opens local files
    EXPECT_FALSE(web->followLinkWithText("Missing"));
    ASSERT_TRUE(web->followLinkWithText("Next page"));
    ASSERT_TRUE(settle());
    EXPECT_EQ(web->title(), "Second");
    EXPECT_EQ(web->url(), server.url("/second.html"));
}
