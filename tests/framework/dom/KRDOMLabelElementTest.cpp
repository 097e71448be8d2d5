#include "DOMTestSupport.h"

#include "framework/dom/KRDOMLabelElement.h"

#include <gtest/gtest.h>

namespace {

std::shared_ptr<KRDOMLabelElement> label(const std::string& markup, pf::Size available = {320, 480})
{
    auto element = domtest::parseAs<KRDOMLabelElement>(markup);
    EXPECT_TRUE(element) << markup;
    element->layout(available);
    return element;
}

pf::Size measured(const char* text)
{
    pf::TextStyle style;
    style.font = pf::Font::system(14);
    return pf::TextMeasurer::system().measure(text, style, 0);
}

double linesHeight(const char* lines = "一") { return measured(lines).height; }

}

TEST(KRDOMLabelElement, SizesFollowTheTextAndPadding)
{
    const double line = linesHeight();
    const double threeLines = linesHeight("一\n一\n一");
    // Fifteen 14-point ideographs at 90 points: six, six and three per line.
    const std::string three = "一二三四五六七八九十一二三四五";
    struct Row {
        std::string markup;
        pf::Size size; // a negative side is not checked
    };
    for (const Row& row : std::vector<Row>{
             {"<label width=\"100\" height=\"auto\" padding=\"5\">" + three + "</label>", {100, threeLines + 10}},
             {"<label width=\"auto\" height=\"auto\" max-width=\"100\" padding=\"5\">" + three + "</label>",
              {6 * 14 + 10, threeLines + 10}},
             {"<label width=\"auto\" height=\"auto\"/>", {0, 0}},
             {"<label width=\"auto\" height=\"auto\" min-height=\"30\" max-height=\"20\">x</label>", {-1, 30}},
             {"<label width=\"auto\" height=\"auto\" min-width=\"80\">x</label>", {80, line}},
             // Words stay whole; the space before a Chinese run stays too.
             {"<label width=\"auto\" height=\"auto\" max-width=\"90\">Riverside&nbsp;Mall</label>",
              {measured("Riverside").width, linesHeight("一\n一")}},
             {"<label width=\"auto\" height=\"auto\">Mall&nbsp;省了</label>", {measured("Mall 省了").width, line}},
         }) {
        auto element = label(row.markup);
        pf::Size got = element->frame().size;
        EXPECT_NEAR(row.size.width < 0 ? -1 : got.width, row.size.width, 1) << row.markup;
        EXPECT_NEAR(row.size.height < 0 ? -1 : got.height, row.size.height, 1) << row.markup;
    }
}

TEST(KRDOMLabelElement, MinimumFontSizeShrinksOneLine)
{
    const std::string text = "A caption much too long for a narrow label";
    struct Row {
        std::string attributes;
        double low, high; // the font size used
        double width;     // at most
    };
    for (const Row& row : std::vector<Row>{
             {"max-width=\"400\" min-font-size=\"10\"", 14, 14, 400},
             {"max-width=\"250\" min-font-size=\"8\"", 8.01, 13.99, 250},
             {"max-width=\"50\" min-font-size=\"10\"", 10, 10, 50},
         }) {
        auto element = label("<label width=\"auto\" height=\"auto\" font-size=\"14\" " + row.attributes + ">" + text
                             + "</label>");
        EXPECT_GE(element->actualFontSize(), row.low) << row.attributes;
        EXPECT_LE(element->actualFontSize(), row.high) << row.attributes;
        EXPECT_LE(element->frame().width(), row.width) << row.attributes;
        EXPECT_LE(element->frame().height(), linesHeight()) << row.attributes;
    }
}
