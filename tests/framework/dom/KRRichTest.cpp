#include "DOMHostTestSupport.h"

#include "framework/dom/KRDOMImageElement.h"
#include "framework/dom/KRDOMRichElement.h"
#include "framework/dom/KRGeometry.h"
#include "framework/dom/KRRich.h"
#include "framework/dom/KRRichImageElement.h"

#include <gtest/gtest.h>

namespace {

const KRRichAttributes kPlain;

std::shared_ptr<KRDOMRichElement> richOf(const std::string& markup, pf::Size size = {300, kKRLayoutAuto})
{
    auto rich = domtest::parseAs<KRDOMRichElement>(markup);
    EXPECT_TRUE(rich) << markup;
    rich->layout(size);
    return rich;
}

const std::string kLong = "Saving a little every day 每天存一点钱, and the feed shows what friends saved 朋友们存了多少.";

}

TEST(KRRichModel, RangesCountUtf16Units)
{
    KRRich rich;
    // A bad byte is one U+FFFD.
    for (const auto& [text, range] : std::vector<std::pair<std::string, pf::TextRange>>{
             {"中文", {0, 2}}, {"😀", {2, 2}}, {"abc", {4, 3}}, {"\xff" "d", {7, 2}}}) {
        auto link = std::make_shared<KRRichLinkElement>();
        rich.appendElement(link, text, kPlain);
        EXPECT_EQ(link->range(), range) << text;
    }
    rich.appendText("", kPlain);
    rich.appendElement(std::make_shared<KRRichImageElement>());
    EXPECT_EQ(rich.elements().back()->range(), (pf::TextRange{9, 1}));
    // Ranges that cut the emoji or lie past the end are clamped, not split.
    KRRichLinkElement foreign;
    foreign.setRange({3, 100});
    rich.setAttributes(kPlain, &foreign);
    rich.setAttributes(kPlain, nullptr);
    EXPECT_EQ(rich.attributedString().length(), 10u);
    EXPECT_EQ(rich.attributedString().text(), "中文😀abc\xEF\xBF\xBD" "d\xE5\x9B\xA7");
}

TEST(KRRichModel, LayoutRelations)
{
    KRRich rich;
    rich.appendText("Before the link ", kPlain);
    auto link = std::make_shared<KRRichLinkElement>();
    rich.appendElement(link, "a link that wraps over lines 一个会换行的链接", kPlain);
    auto image = std::make_shared<KRRichImageElement>();
    image->setSize({30, 20});
    rich.appendElement(image);
    rich.appendText(" after " + kLong, kPlain);

    const pf::Size size{120, 1e6};
    pf::RichTextFrameRef frame = rich.frameWithSize(size);
    const auto& lines = frame->lines();
    ASSERT_GE(lines.size(), 4u);

    // The image's line reaches at least 20 above its baseline.
    auto box = rich.elementBox(*image, size);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->size, (pf::Size{30, 20}));
    for (const auto& line : lines) {
        if (line.range.location <= image->range().location && image->range().location < line.range.end()) {
            EXPECT_GE(line.baseline - line.box.y(), 20);
        }
    }

    // One highlight row per line of the wrapped link, on the lines' boxes.
    std::vector<pf::Rect> rows = rich.elementRects(link.get(), size);
    ASSERT_GE(rows.size(), 2u);
    for (std::size_t i = 0; i < rows.size(); i++) {
        EXPECT_EQ(rows[i].y(), lines[i].box.y());
        EXPECT_EQ(rows[i].height(), lines[i].box.height());
        EXPECT_GT(rows[i].width(), 0);
    }

    // Hit tests: the caret just after the link still finds it.
    const pf::Rect last = rows.back();
    for (const auto& row : std::vector<std::pair<pf::Point, const KRRichElement*>>{
             {{rows[0].x() + 2, rows[0].midY()}, link.get()},
             {{last.maxX(), last.midY()}, link.get()},
             {{1, lines[0].box.midY()}, nullptr},
             {{box->x() + box->width() * 0.75, box->midY()}, image.get()},
             {{10, -5}, nullptr},
         }) {
        EXPECT_EQ(rich.elementByLocation(row.first, size).get(), row.second) << row.first.x << "," << row.first.y;
    }

    // A short frame keeps only the lines whose bottom fits.
    double cut = lines[2].box.maxY() - 1;
    auto shorter = rich.frameWithSize({120, cut});
    EXPECT_NE(shorter, frame);
    EXPECT_EQ(shorter->lines().size(), 2u);

    rich.appendText("!", kPlain);
    EXPECT_NE(rich.frameWithSize(size), frame);

    // A font size increase applies once to a run's own font.
    KRRich inc, twice;
    inc.setIncFontSize(10);
    KRRichAttributes ten, twenty;
    ten.font = pf::Font::system(10), twenty.font = pf::Font::system(20);
    inc.appendText("一二三", ten);
    twice.appendText("一二三", twenty);
    EXPECT_EQ(inc.contentSizeWithSize(size), twice.contentSizeWithSize(size));
    rich.removeAllElements();
    EXPECT_FALSE(rich.elementByLocation({1, 1}, size));
}

TEST(KRRichElement, MarkupBuildsText)
{
    for (const auto& row : std::vector<std::pair<const char*, const char*>>{
             {"<rich><b max-length=\"5\">abcdefg</b></rich>", "abcde..."},
             {"<rich><b max-length=\"5\">abcde</b></rich>", "abcde"},
             {"<rich>ab<br/><br/>cd</rich>", "ab\ncd"},
             {"<rich>ab\\n<p>cd</p>ef</rich>", "ab\ncd\nef"},
             {"<rich><a><b>in</b></a><a href=\"h\">go</a><a>x<b>y</b></a></rich>", "ingox"},
             {"<rich>一<img/>二<view/></rich>", "一\xE5\x9B\xA7二\xE5\x9B\xA7"},
         }) {
        EXPECT_EQ(richOf(row.first)->rich().attributedString().text(), row.second) << row.first;
    }
}

TEST(KRRichElement, InlineImagesSizeAgainstTheElement)
{
    for (const auto& [markup, size] : std::vector<std::pair<std::string, pf::Size>>{
             {"width=\"300\" height=\"auto\"><img width=\"50%\"/>", {150, 75}},
             {"width=\"300\" height=\"auto\"><img width=\"40\" height=\"10\"/>", {40, 10}},
             {"width=\"auto\" height=\"auto\"><img width=\"50%\" height=\"50%\"/>", {100, 50}}, // the picture's
             {"width=\"300\" height=\"200\"><img height=\"10%\"/>", {100, 20}}}) {
        auto rich = domtest::parseAs<KRDOMRichElement>("<rich " + markup + "</rich>");
        ASSERT_TRUE(rich) << markup;
        std::dynamic_pointer_cast<KRDOMImageElement>(rich->childs().at(0))->setImage(domtest::solidImage(100, 50, pf::Color::black()), false);
        rich->layout({300, 400});
        auto image = std::dynamic_pointer_cast<KRRichImageElement>(rich->rich().elements().at(0));
        EXPECT_EQ(image->size(), size) << markup;
        EXPECT_TRUE(rich->frame().height() > 0 && rich->frame().width() < 1e6) << markup;
    }
    EXPECT_EQ(richOf("<rich width=\"77\" height=\"33\">text</rich>")->frame().size, (pf::Size{77, 33}));
}
