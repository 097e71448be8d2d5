#include "platform/web/HtmlDocument.h"
#include "platform/web/HtmlSanitizer.h"
#include "platform/web/PageBudget.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GraphicsContext.h"
#include "tests/platform/graphics/PixelProbe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <variant>

using namespace pf;

namespace {

const Color kRed = Color::rgb(1, 0, 0);
const Color kWhite = Color::rgb(1, 1, 1);

// A folder of page files, removed afterwards.
struct PageFolder {
    std::string pattern = (std::filesystem::temp_directory_path() / "zmr-web-XXXXXX").string();
    std::filesystem::path path = mkdtemp(pattern.data());
    ~PageFolder() { std::filesystem::remove_all(path); }
    void write(const std::string& name, const std::string& text) const { std::ofstream(path / name) << text; }
    URL url(const std::string& name) const { return *URL::create("file://" + (path / name).string()); }
};

std::unique_ptr<HtmlDocument> load(const std::string& html, std::optional<URL> base = {})
{
    auto page = HtmlDocument::create(html, std::move(base));
    EXPECT_TRUE(page.ok()) << (page.ok() ? "" : page.error().description);
    return page.ok() ? std::move(page.value()) : nullptr;
}

// The page laid out 320 wide, and its part `area` drawn on white at the bitmap's origin.
BitmapRef render(HtmlDocument& page, const Rect& area = {0, 0, 320, 240})
{
    auto bitmap = Bitmap::create(int(area.width()), int(area.height())).value();
    bitmap->fill(kWhite);
    page.layout(320, 240);
    auto context = std::move(GraphicsContext::create(*bitmap).value());
    context->translate(-area.x(), -area.y());
    page.draw(*context, area);
    return bitmap;
}

std::string nested(int levels, const std::string& tag = "<div>")
{
    std::string html;
    for (int i = 0; i < levels; ++i) html += tag;
    return html + "x";
}

}

TEST(HtmlDocumentRender, ProbesOfSimplePages)
{
    PageFolder folder;
    auto dot = Bitmap::create(4, 4).value();
    dot->fill(Color::rgb(0, 0, 1));
    ASSERT_FALSE(dot->writePng((folder.path / "dot.png").string()));
    folder.write("style.css", "#s { background: #00ff00; height: 20px }");
    folder.write("open.css", "p/* a comment left open");

    const std::string body = "<body style='margin:0'>", box = "<div style='background:red;width:50px;height:30px'></div>";
    struct Row {
        const char* name;
        std::string html;
        Point probe;
        Color expected;
        Rect area = {0, 0, 320, 240};
    };
    const std::vector<Row> rows = {
        {"a red box", body + box, {25, 15}, kRed},
        {"the body margin applies", "<div style='background:red;height:30px'></div>", {4, 15}, kWhite},
        {"an image from a file URL, scaled", "<body style='margin:0'><img src='dot.png' width=40 height=40>", {20, 20},
         Color::rgb(0, 0, 1)},
        {"a missing image draws nothing", "<body style='margin:0'><img src='none.png' width=40 height=40>", {20, 20},
         kWhite},
        {"a linked style sheet", "<link rel=stylesheet href='style.css'><body style='margin:0'><div id=s></div>",
         {10, 10}, Color::rgb(0, 1, 0)},
        {"borders", "<body style='margin:0'><div style='border:4px solid red;height:30px'></div>", {1, 15}, kRed},
        {"escaped markup stays text", body + "&lt;div style='background:red;height:99px'&gt;", {100, 60}, kWhite},
        {"quotes in attributes stay inside", body + "<p title='\"><div style=\"background:red;height:99px\">'>", {100, 60},
         kWhite},
        // The renderer used to loop for ever on these.
        {"a style sheet ending in an open comment", "<style>p/* x</style>" + body + box, {25, 15}, kRed},
        {"an open comment in text within a style element", "<svg><style>p<x>/* x</x></style></svg>" + body + box,
         {25, 15}, kRed},
        {"an open comment in a style element holding another", "<svg><style>p/* x<style>y</style></style></svg>" + body
             + box, {25, 15}, kRed},
        {"an open comment in an element written back as one that leaves the svg",
         body + box + "<svg><style>p/* x<st<!x>y</style></svg>", {25, 15}, kRed},
        {"escaped markup in an svg style stays text",
         body + "<svg><style>&lt;/style&gt;&lt;div style='background:red;height:99px'&gt;</style></svg>", {100, 60},
         kWhite},
        {"an unknown tag keeps what follows inside a hidden svg",
         body + "<svg style='display:none'><x@y></x@y><g style='display:block;background:red;height:99px'></g></svg>",
         {100, 60}, kWhite},
        {"plaintext keeps what follows inside a hidden svg",
         body + "<svg style='display:none'><plaintext></plaintext><g style='display:block;background:red;height:99px'>"
                "</g></svg>",
         {100, 60}, kWhite},
        {"the root styled into a table cell", "<style>* { display: table-cell !important }</style>" + body + box,
         {25, 15}, kRed},
        {"a linked style sheet ending in an open comment", "<link rel=stylesheet href='open.css'>" + body + box,
         {25, 15}, kRed},
        {"text pushed to the largest coordinate by borders in the billions",
         body + "<table border=1111111111><td><table border=1111111111><ol><li>a<ol><pre>", {319, 239}, kWhite},
        {"a part further down", body + "<div style='height:200px'></div>" + box, {25, 15}, kRed, {0, 190, 100, 50}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto page = load(row.html, folder.url("index.html"));
        ASSERT_TRUE(page);
        EXPECT_TRUE(test::pixelIs(*render(*page, row.area), row.probe, row.expected));
    }
}

// A mark on the body restyles the page: a linked style sheet selects it,
// the page's own attribute of the name gives way, its pictures stay.
TEST(HtmlDocumentRender, BodyAttributesRestyleThePage)
{
    auto resources = std::make_shared<HtmlResources>();
    resources->styleSheets["https://a.test/s.css"] = "body[orientation=\"90\"] #pad { height: 900px }";
    auto made = HtmlDocument::create("<link rel=stylesheet href='s.css'><body orientation='0' style='margin:0'>"
                                     "<img src='p.png' width=20 height=20><div id=pad></div>",
                                     URL::create("https://a.test/index.html"), resources);
    ASSERT_TRUE(made.ok());
    auto& page = *made.value();
    auto dot = Bitmap::create(4, 4).value();
    dot->fill(Color::rgb(0, 0, 1));
    page.setImage("https://a.test/p.png", dot);
    const double plainHeight = page.layout(320, 240).height;
    for (const auto& [value, tall] : {std::pair{std::optional<std::string>("90"), true}, {std::nullopt, false}}) {
        ASSERT_TRUE(page.setBodyAttribute("orientation", value));
        EXPECT_TRUE(test::pixelIs(*render(page), {10, 10}, Color::rgb(0, 0, 1))) << tall;
        EXPECT_EQ(page.contentSize().height > plainHeight + 500, tall) << page.contentSize().height;
    }
}

// The renderer trusts a cell's spans; ones out of range used to read
// outside its table grid, crash it or ask for gigabytes. They lay out as the
// nearest span in range does.
TEST(HtmlDocumentRender, TableSpansOutOfRangeLayOutAsTheNearestInRange)
{
    auto table = [](const std::string& cell) {
        const std::string box = "<div style='width:30px;height:20px'></div>";
        return "<body style='margin:0'><table cellspacing=0 cellpadding=0><tr>" + cell + box + "<td>" + box + "<tr><td>"
            + box + "<td>" + box + "<tr><td>" + box + "</table>";
    };
    const std::string most = std::to_string(kMaxHtmlTableSpan);
    struct Row {
        std::string cell, sameAs;
    };
    const std::vector<Row> rows = {
        {"<td rowspan=0>", "<td>"},
        {"<td rowspan=-3>", "<td>"},
        {"<td rowspan=-100000>", "<td>"},
        {"<td rowspan=2555555555555555555>", "<td rowspan=" + most + ">"},
        {"<td rowspan=' +2'>", "<td rowspan=2>"},
        {"<td rowspan=x>", "<td>"},
        {"<td colspan=0>", "<td>"},
        {"<td colspan=-100000>", "<td>"},
        {"<td colspan=2147483647>", "<td colspan=" + most + ">"},
        {"<div style='display:table-cell' colspan=-100000>", "<div style='display:table-cell'>"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.cell);
        auto page = load(table(row.cell));
        auto expected = load(table(row.sameAs));
        ASSERT_TRUE(page && expected);
        render(*page);
        Size size = page->contentSize(), expectedSize = expected->layout(320, 240);
        EXPECT_EQ(size.width, expectedSize.width);
        EXPECT_EQ(size.height, expectedSize.height);
    }
}

TEST(HtmlDocumentLinks, LinkUnderAPointResolvesAgainstTheBase)
{
    PageFolder folder;
    auto page = load("<body style='margin:0'><a href='next.html' style='display:block;height:40px'><span>Next</span>"
                     "</a><div style='height:40px'>plain</div><a href='http://127.0.0.1/far'>far</a>",
                     folder.url("index.html"));
    ASSERT_TRUE(page);
    page->layout(320, 240);
    const std::pair<Point, std::optional<std::string>> rows[] = {
        {{300, 30}, folder.url("next.html").absoluteString()},
        {{5, 60}, std::nullopt},
        {{5, 88}, "http://127.0.0.1/far"},
        {{-5, 1000}, std::nullopt},
    };
    for (const auto& [point, expected] : rows) {
        auto link = page->linkAtPoint(point);
        EXPECT_EQ(link ? std::optional(link->absoluteString()) : std::nullopt, expected) << point.x << "," << point.y;
    }
}

namespace {

// Lists drawn without margins, so that two lists stack like one; null when
// the page does not load.
BitmapRef drawnLists(const std::string& lists)
{
    auto document = load("<style>ol { margin: 0; font: 20px sans-serif }</style><body style='margin:0 0 0 120px'>"
                         + lists);
    return document ? render(*document) : nullptr;
}

bool samePixels(const Bitmap& a, const Bitmap& b)
{
    for (int y = 0; y < a.pixelHeight(); ++y) {
        for (int x = 0; x < a.pixelWidth(); ++x) {
            if (!(a.pixel(x, y) == b.pixel(x, y)))
                return false;
        }
    }
    return true;
}

}

TEST(HtmlDocumentRender, OrderedListsNumberTheirItemsFromTheirStart)
{
    auto one = drawnLists("<ol start=7><li>x<li>x<p>not an item</p><li>x</ol>");
    auto two = drawnLists("<ol start=7><li>x</ol><ol start=8><li>x<p>not an item</p><li>x</ol>");
    auto skipped = drawnLists("<ol start=7><li>x</ol><ol start=9><li>x<p>not an item</p><li>x</ol>");
    ASSERT_TRUE(one && two && skipped);
    EXPECT_TRUE(samePixels(*one, *two)) << "the second item of a list from 7 reads 8";
    EXPECT_FALSE(samePixels(*one, *skipped)) << "the numbers are drawn";
}

TEST(HtmlDocumentRender, NumbersAMarkerStyleCannotShowAreDrawnInDecimal)
{
    // The renderer wrote a roman numeral in the billions as millions of
    // "M"s: a second and hundreds of megabytes for one item.
    struct Row {
        const char* style;
        const char* start;
        bool decimal;
    } rows[] = {
        {"upper-roman", "3999", false},
        {"upper-roman", "4000", true},
        {"lower-roman", "2147483000", true},
        {"upper-roman", "-1", true},
        {"upper-roman", "99999999999999999999", true},
        {"lower-alpha", "1", false},
        {"lower-alpha", "-1", true},
        {"lower-greek", "-5", true},
        {"upper-latin", "2147483000", false},
        {"armenian", "3", true},
        {"hebrew", "3", true},
        {"decimal-leading-zero", "5", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.style) + " from " + row.start);
        auto styled = drawnLists(std::string("<ol start=") + row.start + " style='list-style:" + row.style
                                 + "'><li>x<li>x</ol>");
        auto decimal = drawnLists(std::string("<ol start=") + row.start + "><li>x<li>x</ol>");
        ASSERT_TRUE(styled && decimal);
        EXPECT_EQ(samePixels(*styled, *decimal), row.decimal);
    }
    // Nor may a page number an item itself: the renderer would write that number as it is.
    const std::string item = "<div style='display:list-item;list-style-type:upper-roman'";
    auto numbered = drawnLists(item + " list_index=4000>x</div>"), plain = drawnLists(item + ">x</div>");
    ASSERT_TRUE(numbered && plain);
    EXPECT_TRUE(samePixels(*numbered, *plain));
}

TEST(HtmlDocumentLimits, AnOrderedListIsNumberedInOneWalk)
{
    // The renderer's own numbering read the tags of the items before each
    // item: n²/2 reads, fifty times the layout's own work at 10,000 items.
    // None are read when the items are the renderer's own, or not numbered.
    const std::size_t items = 2000;
    auto page = load("<ol>" + nested(int(items), "<li>x") + "</ol>");
    ASSERT_TRUE(page);
    std::size_t before = HtmlDocument::listItemTagReadsForTesting();
    page->layout(320, 240);
    std::size_t reads = HtmlDocument::listItemTagReadsForTesting() - before;
    EXPECT_GE(reads, items) << "the items were not numbered by a walk of their list";
    EXPECT_LE(reads, 2 * items);
}

TEST(HtmlDocumentLimits, UntrustedPagesFailWithAnError)
{
    PageFolder folder;
    folder.write("page.html", "<p>hello</p>");
    folder.write("big.html", std::string(kMaxHtmlBytes + 1, 'a'));
    std::filesystem::create_directory(folder.path / "dir.html");
    ASSERT_EQ(mkfifo((folder.path / "pipe.html").c_str(), 0600), 0);

    struct Row {
        const char* name;
        std::variant<std::string, URL> page;
        std::optional<HtmlDocumentError> error;
    };
    const std::vector<Row> rows = {
        {"a page file", folder.url("page.html"), {}},
        {"text over the limit", std::string(kMaxHtmlBytes + 1, 'a'), HtmlDocumentError::TooLarge},
        {"a page at the limit", "<!--" + std::string(kMaxHtmlBytes - 7, 'a') + "-->", {}},
        {"a file over the limit", folder.url("big.html"), HtmlDocumentError::TooLarge},
        // html and body are two of the levels.
        {"nesting at the limit", nested(kMaxHtmlDepth - 2), {}},
        {"nesting past the limit", nested(kMaxHtmlDepth - 1), HtmlDocumentError::TooDeep},
        {"deep nesting of inline elements", nested(100000, "<b>"), HtmlDocumentError::TooDeep},
        {"deep nesting written self-closing", nested(300000, "<div/>"), HtmlDocumentError::TooDeep},
        {"deep nesting inside implicitly closed rows", nested(300, "<table><tr><td>"), HtmlDocumentError::TooDeep},
        {"errors by the hundred thousand at the limit", nested(kMaxHtmlDepth - 2) + nested(280000, "</span>"), {}},
        {"unclosed list items are not deep", nested(4000, "<li><p>x"), {}},
        {"a few hundred unclosed fonts are not deep", nested(600, "<p><font>x"), {}},
        {"markup escaped in an svg style is not nested", "<svg><style>" + nested(100000, "&lt;div&gt;"), {}},
        {"tags inside scripts and comments do not count",
         "<script>" + nested(3000) + "</script><!--" + nested(3000) + "-->", {}},
        {"a media query the renderer cannot read", "<style>@media x, ( { p { color: red } }</style><p>x",
         HtmlDocumentError::Unreadable},
        {"a directory", folder.url("dir.html"), HtmlDocumentError::NotRegularFile},
        {"a pipe", folder.url("pipe.html"), HtmlDocumentError::NotRegularFile},
        {"a missing file", folder.url("none.html"), HtmlDocumentError::Unreadable},
        {"another scheme", *URL::create("http://127.0.0.1/page.html"), HtmlDocumentError::UnsupportedURL},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto page = std::holds_alternative<URL>(row.page) ? HtmlDocument::createWithContentsOfURL(std::get<URL>(row.page))
                                                          : HtmlDocument::create(std::get<std::string>(row.page));
        ASSERT_EQ(page.ok(), !row.error) << (page.ok() ? "" : page.error().description);
        if (row.error) {
            EXPECT_EQ(page.error().domain, htmlDocumentErrorDomain);
            EXPECT_EQ(page.error().code, static_cast<long long>(*row.error)) << page.error().description;
        }
    }
}

TEST(HtmlDocumentLimits, APageRestyledPastTheBudgetAtItsWidthIsWithheld)
{
    // Made with no width, the page's blocks are blocks; 320 wide they are cells.
    auto sheet = [](const char* style) {
        return std::string("<style>@media (min-width: 200px) { div { ") + style + " } }</style>" + nested(60);
    };
    auto cells = load(sheet("display: table-cell"));
    ASSERT_TRUE(cells);
    Size size = cells->layout(320, 240);
    EXPECT_EQ(size.width, 0);
    EXPECT_EQ(size.height, 0);
    EXPECT_EQ(cells->linkAtPoint({1, 1}), std::nullopt);
    auto coloured = load(sheet("color: red"));
    ASSERT_TRUE(coloured);
    EXPECT_GT(coloured->layout(320, 240).height, 0);
}

TEST(HtmlDocumentLimits, PagesOverTheWorkBudgetAreRefusedWhole)
{
    PageFolder folder;
    auto rules = [](int count, const std::string& rule) { return "<style>" + nested(count, rule + "\n") + "</style>"; };
    folder.write("costly.css", nested(30, "* * * div { color: red }\n"));
    const std::string pairs = "<style>b { float: left } i { float: right }</style>";
    // Absolutely placed boxes over `layers` z-indexes.
    auto boxes = [](int count, int layers) {
        std::string html;
        for (int i = 0; i < count; ++i)
            html += "<div style='position:absolute;z-index:" + std::to_string(i % layers) + "'></div>";
        return html;
    };
    // A list in each marker style the renderer knows, each from `start`.
    auto everyMarkerStyle = [](const std::string& start, int items) {
        std::string html;
        for (const char* style : {"none", "circle", "disc", "square", "armenian", "cjk-ideographic", "decimal",
                                  "decimal-leading-zero", "georgian", "hebrew", "hiragana", "hiragana-iroha", "katakana",
                                  "katakana-iroha", "lower-alpha", "lower-greek", "lower-latin", "lower-roman",
                                  "upper-alpha", "upper-latin", "upper-roman"})
            html += "<ol start=" + start + " style='list-style-type:" + style + "'>" + nested(items, "<li>x") + "</ol>";
        return html;
    };
    struct Row {
        const char* name;
        std::string html;
        bool refused;
    };
    const std::vector<Row> rows = {
        {"elements at the cap", nested(kMaxPageElements - 4, "<p>"), false},
        {"elements past the cap", nested(kMaxPageElements, "<p>"), true},
        {"cells of one row past the cap", "<table><tr>" + nested(kMaxPageElements, "<td>"), true},
        {"words past the cap", "<p>" + nested(kMaxPageTextRuns, "w "), true},
        {"text at the cap in one word", "<p>" + std::string(kMaxPageTextBytes - 1, 'w'), false},
        {"text past the cap in one word", "<p>" + std::string(kMaxPageTextBytes + 1, 'w'), true},
        {"Chinese text within the cap but over the budget", "<p>" + nested(kMaxPageTextBytes / 3 - 1, "中"), true},
        {"elements and text each within their caps, together over the budget",
         nested(kMaxPageElements * 9 / 10, "<p>") + nested(kMaxPageTextBytes / 6, "中"), true},
        {"selectors past the cap", rules(kMaxStyleSelectors, "p { color: red }") + "<p>x", true},
        {"a selector list counts each selector", rules(kMaxStyleSelectors / 2, "p, b { color: red }") + "<p>x", true},
        {"universal descendants over deep nesting", rules(100, "* * * div { color: red }") + nested(150), true},
        {"the same selectors over a shallow page", rules(100, "* * * div { color: red }") + nested(10), false},
        {"descendants of a class no element has", rules(100, ".x .x .x .none { color: red }") + nested(150), false},
        {"sibling walks over many siblings", rules(50, "p ~ p ~ p { color: red }") + "<div>" + nested(3000, "<p>"),
         true},
        {"a costly linked style sheet", "<link rel='stylesheet' href='costly.css'>" + nested(150), true},
        {"a quoted brace cannot hide the selectors after it",
         "<style>b { content: \"{\" }" + nested(100, "* * * div { color: red }\n") + "</style>" + nested(150), true},
        {"selectors in elements within an svg style",
         "<svg><style><g>" + nested(100, "* * * div { color: red }\n") + "</g></style></svg>" + nested(150), true},
        {"an open parenthesis cannot hide the selectors after it",
         rules(100, "b:not(, * * * div { color: red }") + nested(150), true},
        {"tables nested ten deep", nested(10, "<table><tr><td>"), false},
        {"tables nested fourteen deep", nested(14, "<table><tr><td>"), true},
        {"tables nested sixty deep", nested(60, "<table><tr><td>"), true},
        {"inline tables nested", nested(14, "<span style='display:inline-table'>"), true},
        {"cells within cells, each wrapped in a table", nested(14, "<div style='display:table-cell'>"), true},
        {"rows styled from a sheet", rules(1, "div { display: table-row }") + nested(14), true},
        {"hidden nested tables", "<div style='display:none'>" + nested(60, "<table><tr><td>"), false},
        {"words within their cap, in four nested tables", nested(4, "<table><tr><td>") + nested(20000, "ab "), true},
        {"a plain table of 3,000 rows", "<table>" + nested(3000, "<tr><td>x") + "</table>", false},
        {"3,000 rows under one wide row", "<table><tr>" + nested(100, "<td colspan=100>x") + nested(3000, "<tr><td>y"),
         true},
        {"rows under one wide row, hidden", "<div style='display:none'><table><tr>" + nested(100, "<td colspan=100>x")
             + nested(3000, "<tr><td>y"), true},
        {"rows under cells spanning down and across",
         "<table>" + nested(1000, "<tr><td rowspan=100 colspan=100>"), true},
        {"rows styled under one wide row", rules(1, "b { display: table-row } i { display: table-cell }") + "<p><b>"
             + nested(3000, "<i>x</i>") + "</b>" + nested(3000, "<b>y</b>"), true},
        {"bold words deep in the page", nested(250) + nested(5000, "<b>x</b>"), true},
        {"fewer bold words deep in the page", nested(250) + nested(3000, "<b>x</b>"), false},
        {"the same, styled again at the page's width",
         rules(1, "@media (min-width: 200px) { b { color: red } }") + nested(250) + nested(3000, "<b>x</b>"), true},
        {"a thousand floats", nested(1000, "<div style='float:left'>x</div>"), false},
        {"a float storm", nested(5000, "<div style='float:left'>x</div>"), true},
        {"left and right float pairs", nested(2500, "<b style='float:left'>x</b><i style='float:right'>y</i>"), true},
        // Unclosed tags leave each float inside the ones before it.
        {"floats nested in floats", pairs + nested(3, "<b>x</bb>") + nested(1000, "<b>x</b><i>y</i>"), true},
        {"a few floats nested in floats", pairs + nested(3, "<b>x</bb>") + nested(50, "<b>x</b><i>y</i>"), false},
        {"floats squeezed in a table cell", pairs + "<table><tr><td>x" + nested(400, "<b>x</b><i>y</i>"), true},
        {"a floated column of floats", pairs + "<div style='float:left'>" + nested(500, "<b>x</b>"), false},
        {"a selector past its length cap", rules(1, nested(300, "a > ") + "b { color: red }"), true},
        {"stray closing braces cannot cut a long selector short",
         rules(1, "b { color: red } " + nested(10, nested(40, "a > ") + "} ") + "b { color: red }"), true},
        {"selector lists read again after many stray braces",
         rules(1, "b { color: red } " + nested(4000, "},") + nested(600000, "a,") + "b { color: red }"), true},
        {"a semicolon cannot cut a long selector short", rules(1, nested(400, "a; ") + "b { color: red }"), true},
        {"an ordinary page",
         rules(1, "body { margin: 0 } ul li a { color: blue } .nav > li:first-child { float: left }")
             + "<ul class='nav'>" + nested(50, "<li><a href='x'>item</a>") + "</ul>",
         false},
        {"an ordinary page styled for its width",
         rules(1, "@media (max-width: 400px) { body { margin: 0 } } ul li a { color: blue }")
             + "<div><div><ul class='nav'>" + nested(200, "<li><a href='x'>item</a> <b>new</b>") + "</ul>",
         false},
        {"9,990 positioned boxes, each in a layer of its own", boxes(9990, 9990), true},
        {"5,000 positioned boxes, each in a layer of its own", boxes(5000, 5000), true},
        {"the same boxes held by a positioned box", "<div style='position:relative'>" + boxes(5000, 5000), true},
        {"2,000 positioned boxes, each in a layer of its own", boxes(2000, 2000), false},
        {"9,990 positioned boxes in one layer", boxes(9990, 1), false},
        {"9,990 positioned boxes in 300 layers", boxes(9990, 300), false},
        {"positioned boxes in layers, each holding the next", nested(200, "<div style='position:absolute;z-index:3'>"),
         false},
        {"an ordered list of 9,990 items", "<ol>" + nested(9990, "<li>x") + "</ol>", false},
        {"a roman list from 2,147,483,000", "<ol start=\"2147483000\" style=\"list-style:upper-roman\"><li>x</li></ol>",
         false},
        {"5,000 roman items from 2,147,483,000",
         "<ol start=2147483000 style='list-style:upper-roman'>" + nested(5000, "<li>x</li>") + "</ol>", false},
        {"a start past 64 bits", "<ol start=-99999999999999999999>" + nested(100, "<li>x") + "</ol>", false},
        {"every marker style from the highest start", everyMarkerStyle("2147483647", 50), false},
        {"every marker style from the lowest start", everyMarkerStyle("-2147483648", 50), false},
        {"list items over the budget by their markers", "<ul>" + nested(9900, "<li>xyz ab") + "</ul>", true},
        {"the same items without markers", "<ul style='list-style:none'>" + nested(9900, "<li>xyz ab") + "</ul>", false},
        {"an ordinary table with spans",
         "<table border=1>" + nested(300, "<tr><td rowspan=2>a<td colspan=3>b c<td>d") + "</table>", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto page = HtmlDocument::create(row.html, folder.url("index.html"));
        ASSERT_EQ(page.ok(), !row.refused) << (page.ok() ? "" : page.error().description);
        if (row.refused) {
            EXPECT_EQ(page.error().code, static_cast<long long>(HtmlDocumentError::TooComplex));
        }
    }
}
