// A 50 KB page with 10 pictures from the loopback server, loaded by a web
// view and drawn 320 wide, against the same bytes fetched with bare libcurl
// and laid out and painted by HtmlDocument directly. Then the pages that
// cost the renderer most for their size, at the work budget's limits: each
// must lay out and draw its first screen well within a second (or be
// refused at once). Nested tables, floats, table grids and positioned boxes
// in layers of their own set PageBudget's layout costs.

#include "platform/controls/WebView.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/ImageCodec.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "platform/web/HtmlDocument.h"
#include "platform/web/PageBudget.h"
#include "platform/web/WebViewPages.h"
#include "tools/testserver/TestServer.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <cstdlib>
#include <string>

namespace {

constexpr int kPictures = 10;

std::string picturePath(int i)
{
    return "/pictures/" + std::to_string(i) + ".jpg";
}

std::string pageText()
{
    std::string page = "<html><head><title>Bench</title></head><body style='margin:8px'>";
    int paragraph = 0;
    while (page.size() < 50 * 1024) {
        if (paragraph % 12 == 0 && paragraph / 12 < kPictures)
            page += "<img src='" + picturePath(paragraph / 12) + "' width='300' height='200'>";
        page += "<p>Paragraph " + std::to_string(paragraph++)
            + ": the quick brown fox jumps over the lazy dog, 中文也在这里. <a href='/x'>link</a></p>";
    }
    return page + "</body></html>";
}

zmr::TestServer& server()
{
    static zmr::TestServer* instance = [] {
        auto* s = new zmr::TestServer(zmr::TestServer::KeepAlive::On);
        s->script("/page.html", zmr::TestServer::Reply::with(200, "text/html", pageText()));
        for (int i = 0; i < kPictures; ++i) {
            auto bitmap = pf::Bitmap::create(300, 200).value();
            auto context = std::move(pf::GraphicsContext::create(*bitmap).value());
            context->fillRect({0, 0, 300, 200}, pf::Color::rgb(i / 10.0, 0.5, 1 - i / 10.0));
            context->fillRect({50, 50, 100, 100}, pf::Color::rgb(1, 1, 0));
            auto jpeg = pf::encodeJpeg(*bitmap, 0.8).value();
            s->script(picturePath(i),
                      zmr::TestServer::Reply::with(200, "image/jpeg", std::string(jpeg.begin(), jpeg.end())));
        }
        return s;
    }();
    return *instance;
}

void BM_WebView_LoadLocalServerPage(benchmark::State& state)
{
    pf::useHtmlDocumentsInWebViews();
    pf::HeadlessHost host;
    auto window = pf::Window::create();
    window->makeKeyAndVisible();
    std::string url = server().url("/page.html");
    for (auto _ : state) {
        auto web = std::make_shared<pf::WebView>(pf::Rect(0, 0, 320, 568));
        window->addSubview(web);
        web->loadRequest(url);
        if (!pf::RunLoop::main().runUntil([&] { return !web->isLoading(); }, pf::Seconds(30)) || web->title() != "Bench")
            std::abort();
        benchmark::DoNotOptimize(host.render().value());
        web->removeFromSuperview();
    }
    pf::Screen::main().removeAllWindows();
}
BENCHMARK(BM_WebView_LoadLocalServerPage)->Unit(benchmark::kMillisecond);

size_t collect(char* data, size_t size, size_t count, void* user)
{
    static_cast<std::string*>(user)->append(data, size * count);
    return size * count;
}

std::string fetch(CURL* curl, const std::string& url)
{
    std::string body;
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &collect);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    if (curl_easy_perform(curl) != CURLE_OK)
        std::abort();
    return body;
}

void BM_BareCurlPlusLayout(benchmark::State& state)
{
    std::string url = server().url("/page.html");
    CURL* curl = curl_easy_init();
    auto bitmap = pf::Bitmap::create(320, 568, 2).value();
    for (auto _ : state) {
        std::string page = fetch(curl, url);
        auto resources = std::make_shared<pf::HtmlResources>();
        for (int i = 0; i < kPictures; ++i) {
            std::string bytes = fetch(curl, server().url(picturePath(i)));
            resources->images[server().url(picturePath(i))] =
                pf::decodeImage(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()).value();
        }
        auto document = std::move(pf::HtmlDocument::create(page, pf::URL::create(url), resources).value());
        document->layout(320, 568);
        auto context = std::move(pf::GraphicsContext::create(*bitmap).value());
        document->draw(*context, {0, 0, 320, 568});
        benchmark::DoNotOptimize(bitmap);
    }
    curl_easy_cleanup(curl);
}
BENCHMARK(BM_BareCurlPlusLayout)->Unit(benchmark::kMillisecond);

std::string repeat(const std::string& text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

std::string nested(int depth)
{
    return repeat("<div class='a'>", depth) + "x";
}

// `count` absolutely placed boxes spread over `layers` z-indexes.
std::string layeredBoxes(int count, int layers)
{
    std::string out;
    for (int i = 0; i < count; ++i)
        out += "<div style='position:absolute;top:" + std::to_string(i % 500) + "px;z-index:" + std::to_string(i % layers)
            + "'></div>";
    return out;
}

// Pages at the budget's limits, and the ones past them that must be refused fast.
const std::vector<std::pair<std::string, std::string>>& worstPages()
{
    static const std::vector<std::pair<std::string, std::string>> pages = {
        {"paragraphs at the element cap", repeat("<p>x</p>", pf::kMaxPageElements - 4)},
        {"one table row at the cap", "<table><tr>" + repeat("<td>x", pf::kMaxPageElements - 8)},
        {"words at the cap", "<p>" + repeat("ab ", pf::kMaxPageTextRuns / 2 - 2)},
        {"100,000 paragraphs", repeat("<p>x</p>", 100000)},
        {"selectors at the cap",
         "<style>" + repeat("div p span.z { color: red }\n", pf::kMaxStyleSelectors - 200) + "</style>"
             + repeat("<div><p><span>x</span></p></div>", 1000)},
        {"descendant selectors that never match, near the work limit",
         "<style>" + repeat(".none .a .a { color: red }\n", 1) + "</style>" + nested(200)},
        {"universal descendants over deep nesting",
         "<style>" + repeat("* * * div { color: red }\n", 20000) + "</style>" + nested(150)},
        {"Chinese text near the size cap", "<p>" + repeat("中文", int(pf::kMaxHtmlBytes / 6.2))},
        {"one word near the size cap", "<p>" + std::string(pf::kMaxHtmlBytes - 8, 'a')},
        {"Chinese text at half the text cap", "<p>" + repeat("中文", int(pf::kMaxPageTextBytes / 12))},
        {"one word at the text cap", "<p>" + std::string(pf::kMaxPageTextBytes, 'a')},
        {"sibling selectors",
         "<style>" + repeat("p ~ p ~ p { color: red }\n", 20) + "p:nth-child(2n) { color: blue }</style><div>"
             + repeat("<p>x</p>", 2000)},
        {"tables nested twelve deep", repeat("<table><tr><td>", 12) + "x"},
        {"tables nested sixty deep", repeat("<table><tr><td>", 60) + "x"},
        {"cells within cells, sixty deep", repeat("<div style='display:table-cell'>", 60) + "x"},
        {"words at half their cap in two nested tables",
         repeat("<table><tr><td>", 2) + repeat("ab ", pf::kMaxPageTextRuns / 4)},
        {"3,400 left floats", "<style>b { float: left }</style>" + repeat("<b>x</b>", 3400)},
        {"3,000 left and right float pairs",
         "<style>b { float: left } i { float: right }</style>" + repeat("<b>x</b><i>y</i>", 3000)},
        {"float pairs nested in three floats by unclosed tags",
         "<style>b { float: left } i { float: right }</style>" + repeat("<b>x</bb>", 3) + repeat("<b>x</b><i>y</i>", 120)},
        {"the same, far over", "<style>b { float: left } i { float: right }</style>" + repeat("<b>x</bb>", 3)
             + repeat("<b>x</b><i>y</i>", 1700)},
        {"float pairs squeezed in a table cell",
         "<style>b { float: left } i { float: right }</style><table><tr><td>x" + repeat("<b>x</b><i>y</i>", 300)},
        {"a plain table of 3,000 rows", "<table>" + repeat("<tr><td>x", 3000) + "</table>"},
        {"a table grid of 800,000 cells",
         "<table><tr>" + repeat("<td colspan=100>x", 8) + repeat("<tr><td>y", 999) + "</table>"},
        {"5,000 bold words 250 deep", repeat("<div>", 250) + repeat("<b>x</b>", 5000)},
        {"1,500 bold words 250 deep", repeat("<div>", 250) + repeat("<b>x</b>", 1500)},
        {"20,000 words 250 deep", repeat("<div>", 250) + repeat("x ", 10000)},
        {"1,500 bold words 250 deep, styled again at the width",
         "<style>@media (min-width: 200px) { b { color: red } }</style>" + repeat("<div>", 250)
             + repeat("<b>x</b>", 1500)},
        {"3,000 rows under a row of 10,000 columns",
         "<table><tr>" + repeat("<td colspan=100>x", 100) + repeat("<tr><td>y", 3000) + "</table>"},
        {"9,990 positioned boxes, each in a layer of its own", layeredBoxes(9990, 9990)},
        {"2,500 positioned boxes, each in a layer of its own", layeredBoxes(2500, 2500)},
        {"9,990 positioned boxes in 300 layers", layeredBoxes(9990, 300)},
        {"9,990 positioned boxes in one layer", layeredBoxes(9990, 1)},
        {"an ordered list of 9,990 items", "<ol>" + repeat("<li>x", 9990) + "</ol>"},
        {"an unordered list of 9,990 items", "<ul>" + repeat("<li>x", 9990) + "</ul>"},
        {"a roman list of 9,990 items from 3,000",
         "<ol start=3000 style='list-style:upper-roman'>" + repeat("<li>x", 9990) + "</ol>"},
        {"a roman list from 2,147,483,000", "<ol start=\"2147483000\" style=\"list-style:upper-roman\"><li>x</li></ol>"},
        {"5,000 roman items from 2,147,483,000",
         "<ol start=2147483000 style='list-style:upper-roman'>" + repeat("<li>x</li>", 5000) + "</ol>"},
    };
    return pages;
}

void BM_WorstPage(benchmark::State& state)
{
    const auto& [name, html] = worstPages()[state.range(0)];
    state.SetLabel(name);
    auto bitmap = pf::Bitmap::create(320, 568, 2).value();
    bool refused = false;
    for (auto _ : state) {
        auto document = pf::HtmlDocument::create(html, pf::URL::create("http://127.0.0.1/"));
        if (!document) {
            refused = true;
            continue;
        }
        document.value()->layout(320, 568);
        auto context = std::move(pf::GraphicsContext::create(*bitmap).value());
        document.value()->draw(*context, {0, 0, 320, 568});
    }
    if (refused)
        state.SetLabel(name + " (refused)");
}
BENCHMARK(BM_WorstPage)->DenseRange(0, 36)->Unit(benchmark::kMillisecond)->Iterations(1);

}

BENCHMARK_MAIN();
