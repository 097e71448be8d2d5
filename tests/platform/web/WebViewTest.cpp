#include "platform/controls/ScrollView.h"
#include "platform/controls/WebView.h"
#include "platform/web/WebViewPages.h"
#include "tests/platform/controls/ControlsTestSupport.h"

#include <filesystem>
#include <fstream>
#include <functional>

using namespace pf;

namespace {

using Log = std::vector<std::string>;

// Records every call with the file name asked for; refuses URLs holding "refuse".
struct RecordingDelegate : WebViewDelegate {
    explicit RecordingDelegate(std::shared_ptr<Log> events) : log(std::move(events)) {}
    bool webViewShouldStartLoadWithRequest(WebView&, const std::string& url) override
    {
        log->push_back("should " + std::filesystem::path(url).filename().string());
        return url.find("refuse") == std::string::npos;
    }
    void webViewDidStartLoad(WebView&) override { log->push_back("start"), onStart ? onStart() : void(); }
    void webViewDidFinishLoad(WebView&) override { log->push_back("finish"); }
    void webViewDidFailLoadWithError(WebView&, const Error& e) override { log->push_back("fail " + std::to_string(e.code)); }
    std::shared_ptr<Log> log;
    std::function<void()> onStart;
};

class WebViewTest : public test::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        useHtmlDocumentsInWebViews();
        window->addSubview(web);
        web->setDelegate(delegate);
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "second.html") << "<p>second</p>";
    }
    void TearDown() override { std::filesystem::remove_all(folder), HostTest::TearDown(); }
    std::string url(const char* name) const { return "file://" + (folder / name).string(); }
    bool settle()
    {
        bool done = RunLoop::main().runUntil([&] { return !web->isLoading(); }, Seconds(30));
        return RunLoop::main().runUntilIdle(), done;
    }
    bool inked(const Rect& area)
    {
        auto frame = host->render().value();
        for (double y = area.y(); y < area.maxY(); ++y)
            for (double x = area.x(); x < area.maxX(); ++x)
                if (frame->pixelAtPoint({x, y}).r < 100) return true;
        return false;
    }

    std::filesystem::path folder = std::filesystem::temp_directory_path() / ("zmr-webview-" + std::to_string(getpid()));
    std::shared_ptr<Log> log = std::make_shared<Log>();
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>(log);
    std::shared_ptr<WebView> web = std::make_shared<WebView>(Rect(0, 0, 320, 240));
};

}

TEST_F(WebViewTest, LoadsReportOnLaterTurns)
{
    const std::vector<std::tuple<std::function<void()>, Log>> rows = {
        {[&] { web->loadHTMLString("<p>hi</p>", ""); }, {"should ", "start", "finish"}},
        {[&] { web->loadRequest(url("second.html")); }, {"should second.html", "start", "finish"}},
        {[&] { web->loadRequest(url("none.html")); }, {"should none.html", "start", "fail 4"}},
        {[&] { web->loadRequest("ftp://127.0.0.1/x.html"); }, {"should x.html", "start", "fail 5"}},
        {[&] { web->loadRequest(url("refuse.html")); }, {"should refuse.html"}},
        {[&] { web->loadHTMLString("1", "file:///one.html"), web->loadHTMLString("2", "file:///two.html"); },
         {"should two.html", "start", "finish"}},
    };
    for (const auto& [load, expected] : rows) {
        log->clear();
        load();
        EXPECT_TRUE(log->empty() && web->isLoading());
        EXPECT_TRUE(settle());
        EXPECT_EQ(*log, expected);
    }
}

TEST_F(WebViewTest, DrawsTheVisibleBandOfThePage)
{
    std::ofstream(folder / "page.html") << "<body style='margin:0'><div style='background:red;height:50px'></div>"
                                           "<p style='font-size:40px;margin:0;height:50px'>中文</p>"
                                           "<script>document.write('<p>WWWWWWWWWWWW</p>')</script>"
                                           "<div style='height:2000px'></div>"
                                           "<div style='background:#0000ff;height:100px'></div>";
    web->loadRequest(url("page.html"));
    ASSERT_TRUE(settle());
    EXPECT_EQ(web->scrollView()->contentSize(), (Size{320, 2200})); // scripts never run
    EXPECT_TRUE(probe({20, 25}).near(toRgba8(Color::rgb(1, 0, 0)), 3));
    EXPECT_TRUE(inked({0, 50, 320, 45}));
    EXPECT_FALSE(inked({0, 150, 320, 40}));
    web->scrollView()->setContentOffset({0, 1960});
    EXPECT_TRUE(probe({20, 200}).near(toRgba8(Color::rgb(0, 0, 1)), 3));
    EXPECT_TRUE(probe({20, 100}).near(toRgba8(Color::rgb(1, 1, 1)), 3));
}

TEST_F(WebViewTest, TappedLinksAskTheDelegateThenLoad)
{
    const char* block = "style='display:block;height:100px'>go</a>";
    web->loadHTMLString(std::string("<body style='margin:0'><a href='refuse.html' ") + block + "<a href='second.html' "
                            + block, url("first.html"));
    ASSERT_TRUE(settle());
    log->clear();
    host->tap({50, 50});
    settle();
    host->tap({50, 150});
    ASSERT_TRUE(settle());
    EXPECT_EQ(*log, (Log{"should refuse.html", "should second.html", "start", "finish"}));
    EXPECT_EQ(web->url(), url("second.html"));
}

TEST_F(WebViewTest, StoppedOrAbandonedLoadsDeliverNothingMore)
{
    web->loadHTMLString("<p>x</p>", "");
    web->stopLoading();
    EXPECT_FALSE(web->isLoading());
    RunLoop::main().runUntilIdle();
    EXPECT_TRUE(log->empty());

    delegate->onStart = [&] { web->stopLoading(); };
    web->loadHTMLString("<p>x</p>", "");
    RunLoop::main().runUntilIdle();
    EXPECT_FALSE(web->isLoading());

    delegate->onStart = [&] { RunLoop::main().post([&] { delegate.reset(); }); };
    web->loadHTMLString("<p>x</p>", "");
    EXPECT_TRUE(settle());
    // Only a load that had reported its start reports its cancellation.
    EXPECT_EQ(*log, (Log{"should ", "start", "fail -999", "should ", "start"}));
}
