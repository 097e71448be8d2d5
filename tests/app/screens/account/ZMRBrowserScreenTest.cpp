// The browser screen: pages from the in-process server, the query's rules
// and the navigation items.

#include "tests/app/screens/AppScreenTest.h"

#include "app/screens/account/ZMRBrowserViewController.h"
#include "platform/controls/ActivityIndicatorView.h"
#include "platform/controls/BarItem.h"
#include "platform/controls/Label.h"
#include "platform/controls/NavigationItem.h"
#include "platform/graphics/Color.h"
#include "tools/appserver/AppServerPages.h"
#include "tools/testserver/TestServer.h"

namespace {

class BrowserScreen : public AppScreenTest {
protected:
    // Opens the browser above the start page with `query`; null when it did not show.
    std::shared_ptr<ZMRBrowserViewController> openBrowser(const std::string& query)
    {
        EXPECT_TRUE(open("root:///root/start")); // a fresh browser each time
        EXPECT_TRUE(open("root:///root/start/browser?" + query));
        auto top = shell->rootViewController()->topController();
        return std::dynamic_pointer_cast<ZMRBrowserViewController>(top);
    }

    static bool showsReloadItem(const ZMRBrowserViewController& browser)
    {
        auto item = browser.toolItem()->rightBarButtonItem();
        return item && item->systemItem() == pf::BarButtonSystemItem::Refresh;
    }

    bool pageLoaded(const ZMRBrowserViewController& browser, std::string_view path)
    {
        return waitFor([&] {
            const auto& web = browser.webView();
            return !web->isLoading() && showsReloadItem(browser) && web->url().ends_with(path);
        });
    }

    // A point inside the page's heading block.
    pf::Point blockPoint(const ZMRBrowserViewController& browser)
    {
        pf::Rect frame = browser.webView()->convertRectToView(browser.webView()->bounds(), nullptr);
        return {frame.midX(), frame.minY() + 40};
    }

    static pf::Color colour(const char* hex) { return *pf::Color::parse(hex); }
};

TEST_F(BrowserScreen, DrawsTheConfiguredAgreementAndFollowsItsLink)
{
    auto browser = openBrowser("key=agreement&title=" + std::string("%E7%94%A8%E6%88%B7%E5%8D%8F%E8%AE%AE"));
    ASSERT_TRUE(browser);
    EXPECT_EQ(browser->title(), "用户协议");
    EXPECT_EQ(browser->toolItem()->title(), "用户协议");
    ASSERT_TRUE(pageLoaded(*browser, "/pages/agreement.html"));
    // The configured address was repointed at this test's server.
    EXPECT_EQ(browser->webView()->url(), origin() + "/pages/agreement.html");
    ASSERT_TRUE(waitFor([&] { return bool(pixelIs(blockPoint(*browser), colour(zmr::kAgreementBlockColour))); }))
        << pixelIs(blockPoint(*browser), colour(zmr::kAgreementBlockColour));

    ASSERT_TRUE(browser->webView()->followLinkWithText("隐私说明"));
    ASSERT_TRUE(pageLoaded(*browser, "/pages/privacy.html"));
    ASSERT_TRUE(waitFor([&] { return bool(pixelIs(blockPoint(*browser), colour(zmr::kPrivacyBlockColour))); }))
        << pixelIs(blockPoint(*browser), colour(zmr::kPrivacyBlockColour));

    ASSERT_TRUE(tapText("返回"));
    EXPECT_EQ(shell->rootViewController()->topController()->alias(), "start");
}

TEST_F(BrowserScreen, LoadsWhatTheQueryNames)
{
    const std::string privacy = origin() + "/pages/privacy.html";
    struct Row {
        std::string query;
        std::string loaded; // "" for nothing
    };
    const Row rows[] = {
        {"key=agreement&url=" + privacy, origin() + "/pages/agreement.html"}, // "key" wins
        {"key=nothing&url=" + privacy, ""},                                  // a key naming no text
        {"key=class&url=" + privacy, ""},                                    // the entry's own keys are no pages
        {"url=" + privacy, privacy},
        {"url=http%3A%2F%2Fa+b%2Fc", ""},   // not a URL: a blank inside
        {"title=x", ""},
    };
    for (const Row& row : rows) {
        auto browser = openBrowser(row.query);
        ASSERT_TRUE(browser) << row.query;
        if (row.loaded.empty()) {
            EXPECT_EQ(browser->webView()->url(), "") << row.query;
            EXPECT_FALSE(browser->webView()->isLoading()) << row.query;
        } else {
            EXPECT_TRUE(pageLoaded(*browser, row.loaded)) << row.query;
            EXPECT_EQ(browser->webView()->url(), row.loaded) << row.query;
        }
    }
}

TEST_F(BrowserScreen, LoadsOnlyWebPages)
{
    auto browser = openBrowser("title=x");
    ASSERT_TRUE(browser);
    struct Row {
        const char* url;
        bool loads;
    };
    const Row rows[] = {
        {"http://127.0.0.1/pages/a.html", true},
        {"HTTPS://example.invalid/", true},
        {"root:///root/login", false},
        {"pop:///image-picker", false},
        {"file:///etc/passwd", false},
        {"javascript:alert(1)", false},
        {"data:text/html,<b>x</b>", false},
        {"about:blank", false},
        {"not a url at all", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(browser->webViewShouldStartLoadWithRequest(*browser->webView(), row.url), row.loads) << row.url;
}

TEST_F(BrowserScreen, SpinsWhileLoadingAndOffersReloadAfterAFailureSayingWhenThePageIsRefused)
{
    // A page the renderer refuses: tables nested past its work bound.
    zmr::TestServer hostile;
    std::string tables;
    for (int i = 0; i < 60; ++i)
        tables += "<table><tr><td>";
    hostile.script("/tables.html", zmr::TestServer::Reply::with(200, "text/html", tables + "x"));
    auto browser = openBrowser("title=x");
    ASSERT_TRUE(browser);
    auto& web = *browser->webView();
    browser->webViewDidStartLoad(web);
    auto item = browser->toolItem()->rightBarButtonItem();
    ASSERT_TRUE(item);
    auto spinner = std::dynamic_pointer_cast<pf::ActivityIndicatorView>(item->customView());
    ASSERT_TRUE(spinner);
    EXPECT_TRUE(spinner->isAnimating());

    browser->webViewDidFailLoadWithError(web, pf::Error{"NSURLErrorDomain", -1004, "could not connect"});
    ASSERT_TRUE(showsReloadItem(*browser));
    EXPECT_TRUE(browser->refusedLabel()->isHidden()); // not for a failure of the network

    // A refused page fails the load; the screen says why over the blank view.
    ASSERT_TRUE(web.loadRequest(hostile.url("/tables.html")));
    ASSERT_TRUE(waitFor([&] { return !web.isLoading() && showsReloadItem(*browser); }));
    EXPECT_FALSE(browser->refusedLabel()->isHidden());
    EXPECT_TRUE(textFrame("无法显示"));
    // The reload item reloads the web view's page.
    ASSERT_TRUE(web.loadRequest(origin() + "/pages/privacy.html"));
    ASSERT_TRUE(pageLoaded(*browser, "/pages/privacy.html"));
    EXPECT_FALSE(textFrame("无法显示"));
    browser->toolItem()->rightBarButtonItem()->sendAction();
    EXPECT_TRUE(web.isLoading());
    ASSERT_TRUE(pageLoaded(*browser, "/pages/privacy.html"));

    // A redirect to an address that is no web page ends the load unreported; the spinner goes too.
    ASSERT_TRUE(web.loadRequest(hostile.url("/redirect?to=zomaru%3A%2F%2Fx")));
    EXPECT_TRUE(waitFor([&] { return !web.isLoading() && showsReloadItem(*browser); }));
}

}
