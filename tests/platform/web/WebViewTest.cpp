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

// Records every delegate call; refuses URLs holding "refuse".
struct RecordingDelegate : WebViewDelegate {
    explicit RecordingDelegate(std::shared_ptr<Log> events) : log(std::move(events)) {}
    bool webViewShouldStartLoadWithRequest(WebView&, const std::string& url) override
    {
        log->push_back("should " + std::filesystem::path(url).filename().string());
        return url.find("refuse") == std::string::npos;
    }
    void webViewDidStartLoad(WebView&) override
    {
        log->push_back("start");
        if (onStart)
            onStart();
    }
    void webViewDidFinishLoad(WebView&) override { log->push_back("finish"); }
    void webViewDidFailLoadWithError(WebView&, const Error& e) override
    {
        log->push_back("fail " + std::to_string(e.code));
    }
    std::shared_ptr<Log> log;
    std::function<void()> onStart;
};

struct PageFolder {
    std::string pattern = (std::filesystem::temp_directory_path() / "zmr-webview-XXXXXX").string();
    std::filesystem::path path = mkdtemp(pattern.data());
    ~PageFolder() { std::filesystem::remove_all(path); }
    std::string write(const std::string& name, const std::string& text) const
    {
        std::ofstream(path / name) << text;
        return url(name);
    }
    std::string url(const std::string& name) const { return "file://" + (path / name).string(); }
};

class WebViewTest : public test::HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        useHtmlDocumentsInWebViews();
        web = std::make_shared<WebView>(Rect(0, 0, 320, 240));
        window->addSubview(web);
        web->setDelegate(delegate);
    }
    bool settle()
    {
        bool done = RunLoop::main().runUntil([&] { return !web->isLoading(); }, Seconds(30));
        RunLoop::main().runUntilIdle();
        return done;
    }
    bool inked(const Rect& area)
    {
        auto frame = host->render().value();
        for (double y = area.y(); y < area.maxY(); ++y)
            for (double x = area.x(); x < area.maxX(); ++x)
                if (frame->pixelAtPoint({x, y}).r < 100)
                    return true;
        return false;
    }

    std::shared_ptr<Log> log = std::make_shared<Log>();
    std::shared_ptr<RecordingDelegate> delegate = std::make_shared<RecordingDelegate>(log);
    std::shared_ptr<WebView> web;
    PageFolder folder;
};

}

TEST_F(WebViewTest, LoadsReportOnLaterTurns)
{
    struct Row {
        const char* name;
        std::function<void(WebView&, const PageFolder&)> load;
        Log expected;
    };
    const std::vector<Row> rows = {
        {"text", [](WebView& w, const PageFolder&) { w.loadHTMLString("<p>hi</p>", ""); }, {"should ", "start", "finish"}},
        {"a file", [](WebView& w, const PageFolder& f) { w.loadRequest(f.write("a.html", "<p>a</p>")); },
         {"should a.html", "start", "finish"}},
        {"a missing file", [](WebView& w, const PageFolder& f) { w.loadRequest(f.url("none.html")); },
         {"should none.html", "start", "fail 4"}},
        {"a folder", [](WebView& w, const PageFolder& f) { w.loadRequest(f.url("")); }, {"should ", "start", "fail 2"}},
        {"another scheme", [](WebView& w, const PageFolder&) { w.loadRequest("http://127.0.0.1/x.html"); },
         {"should x.html", "start", "fail 5"}},
        {"too deep", [](WebView& w, const PageFolder&) {
             std::string html;
             for (int i = 0; i < 300; ++i) html += "<div>";
             w.loadHTMLString(html, "");
         }, {"should ", "start", "fail 3"}},
        {"refused", [](WebView& w, const PageFolder& f) { w.loadRequest(f.write("refuse.html", "x")); },
         {"should refuse.html"}},
        {"a newer load wins", [](WebView& w, const PageFolder&) {
             w.loadHTMLString("<p>1</p>", "file:///one.html");
             w.loadHTMLString("<p>2</p>", "file:///two.html");
         }, {"should two.html", "start", "finish"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        log->clear();
        row.load(*web, folder);
        EXPECT_TRUE(log->empty());
        EXPECT_TRUE(web->isLoading());
        EXPECT_TRUE(settle());
        EXPECT_EQ(*log, row.expected);
    }
}

TEST_F(WebViewTest, DrawsTheVisibleBandOfThePage)
{
    web->loadHTMLString("<body style='margin:0'><div style='background:red;height:50px'></div>"
                        "<p style='font-size:40px;margin:0;height:50px'>中文</p><div style='height:2000px'></div>"
                        "<div style='background:#0000ff;height:100px'></div>",
                        "");
    ASSERT_TRUE(settle());
    EXPECT_EQ(web->scrollView()->contentSize(), Size(320, 2200));
    EXPECT_TRUE(probe({20, 25}).near(toRgba8(Color::rgb(1, 0, 0)), 3));
    EXPECT_TRUE(inked({0, 50, 320, 45}));
    EXPECT_FALSE(inked({0, 150, 320, 40}));
    web->scrollView()->setContentOffset({0, 1960});
    EXPECT_TRUE(probe({20, 200}).near(toRgba8(Color::rgb(0, 0, 1)), 3));
    EXPECT_TRUE(probe({20, 100}).near(toRgba8(Color::rgb(1, 1, 1)), 3));
}

TEST_F(WebViewTest, TappedLinksAskTheDelegateThenLoad)
{
    std::string link = "<a href='%s' style='display:block;height:100px;background:red'>go</a>";
    auto page = [&](const std::string& target) {
        std::string html = "<body style='margin:0'>" + link;
        html.replace(html.find("%s"), 2, target);
        return html;
    };
    folder.write("second.html", "<p>second</p>");
    web->loadHTMLString(page("second.html"), folder.url("first.html"));
    ASSERT_TRUE(settle());
    log->clear();
    host->tap({50, 50});
    ASSERT_TRUE(settle());
    EXPECT_EQ(*log, (Log{"should second.html", "start", "finish"}));
    EXPECT_EQ(web->url(), folder.url("second.html"));

    web->loadHTMLString(page("refuse.html"), folder.url("first.html"));
    ASSERT_TRUE(settle());
    log->clear();
    host->tap({50, 50});
    settle();
    EXPECT_EQ(*log, (Log{"should refuse.html"}));
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
    EXPECT_EQ(*log, (Log{"should ", "start"}));
    EXPECT_FALSE(web->isLoading());

    log->clear();
    delegate->onStart = [&] { RunLoop::main().post([&] { delegate.reset(); }); };
    web->loadHTMLString("<p>x</p>", "");
    EXPECT_TRUE(settle());
    EXPECT_EQ(*log, (Log{"should ", "start"}));
}
