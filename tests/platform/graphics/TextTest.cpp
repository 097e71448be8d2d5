#include "platform/graphics/Text.h"
#include "tests/platform/graphics/ImageSamples.h"
#include "tests/platform/graphics/PixelProbe.h"

#include <gtest/gtest.h>

using namespace pf;

namespace {

TextStyle style(double size = 16)
{
    TextStyle s;
    s.font = Font::system(size);
    return s;
}

const std::string kSentence = "The quick brown fox jumps over the lazy dog again and again";

}

TEST(FontNames, ApplicationNamesMapToInstalledFamiliesAndWeights)
{
    EXPECT_EQ(Font::named("Helvetica-Bold", 14), Font(Font::defaultFamily(), 14, FontWeight::Bold));
    EXPECT_EQ(Font::named("STHeitiSC-Light", 12).weight(), FontWeight::Light);
    EXPECT_TRUE(Font::named("HelveticaNeue-BoldItalic", 12).italic());
    EXPECT_EQ(Font::named("Unknown Face", 12).family(), Font::defaultFamily());
}

TEST(TextMeasuring, WrapsAtTheWidthAndCountsLines)
{
    const auto& m = TextMeasurer::system();
    Size line = m.measure("Hello", style(), 0);
    EXPECT_GT(line.width, 20);
    EXPECT_GT(line.height, 10);
    EXPECT_LT(line.height, 40);

    Size wide = m.measure(kSentence, style(), 0);
    Size wrapped = m.measure(kSentence, style(), 120);
    EXPECT_LE(wrapped.width, 120);
    EXPECT_GE(wrapped.height, 3 * line.height - 3) << "the sentence needs several lines at 120 points";
    EXPECT_NEAR(wide.height, line.height, 1) << "no width, one line";

    TextStyle two = style();
    two.numberOfLines = 2;
    EXPECT_NEAR(m.measure(kSentence, two, 120).height, 2 * line.height, 2);
    two.lineBreak = LineBreakMode::TruncateTail;
    EXPECT_NEAR(m.measure(kSentence, two, 120).height, 2 * line.height, 2);
    TextStyle any = two;
    any.numberOfLines = 0;
    EXPECT_EQ(m.measure(kSentence, any, 120).height, wrapped.height) << "a truncating style of any number of lines wraps";
    TextStyle chars = style();
    chars.lineBreak = LineBreakMode::CharWrap;
    double eight = m.measure("aaaaaaaa", chars, 0).width;
    EXPECT_NEAR(m.measure("aaaaaaaaaaaaaaaa", chars, eight).height, 2 * line.height, 2)
        << "character wrapping breaks at the margin and adds no hyphen";

    EXPECT_EQ(m.measure("", style(), 100), Size{});
    EXPECT_GT(m.measure("ab\xff\xfe", style(), 0).width, m.measure("ab", style(), 0).width)
        << "malformed bytes are measured as replacement characters";
}

TEST(TextMeasuring, ChineseTextHasGlyphsAndWrapsBetweenCharacters)
{
    const auto& m = TextMeasurer::system();
    Size one = m.measure("储蓄", style(), 0);
    EXPECT_NEAR(one.width, 32, 4) << "two full-width characters at 16 points";
    Size wrapped = m.measure("一起储蓄一起储蓄一起储蓄一起储蓄", style(), 70);
    EXPECT_GE(wrapped.height, 3 * one.height - 3);
}

TEST(TextDrawing, DrawsInsideItsBoxOnlyAndWholeLinesOnly)
{
    double line = TextMeasurer::system().measure("Hg", style(), 0).height;
    pf::test::Canvas c(200, 200);
    TextStyle s = style();
    s.numberOfLines = 1;
    s.lineBreak = LineBreakMode::TruncateTail;
    drawText(*c.context, kSentence, {20, 20, 100, 30}, s);
    EXPECT_TRUE(pf::test::hasInk(*c.bitmap, {20, 20, 40, 25}, Color::whiteColor()));
    // Nothing beyond the box's right edge or below the single line.
    EXPECT_TRUE(pf::test::isBlank(*c.bitmap, {121, 20, 79, 30}, Color::whiteColor()));
    EXPECT_TRUE(pf::test::isBlank(*c.bitmap, {20, 51, 100, 20}, Color::whiteColor()));
    // Room for one and a half lines: the second line must not show in part.
    drawText(*c.context, kSentence, {0, 100, 120, line * 1.5}, style());
    EXPECT_TRUE(pf::test::hasInk(*c.bitmap, {0, 100, 120, line}, Color::whiteColor()));
    EXPECT_TRUE(pf::test::isBlank(*c.bitmap, {0, 100 + line + 1, 120, line * 0.5 - 1}, Color::whiteColor()));
}

TEST(TextDrawing, AlignmentMovesTheLineWithinTheBox)
{
    pf::test::Canvas c(200, 100);
    TextStyle s = style();
    s.alignment = TextAlignment::Right;
    drawText(*c.context, "ab", {0, 0, 200, 30}, s);
    s.alignment = TextAlignment::Center;
    drawText(*c.context, "ab", {0, 40, 200, 30}, s);
    EXPECT_TRUE(pf::test::hasInk(*c.bitmap, {170, 0, 30, 30}, Color::whiteColor()));
    EXPECT_TRUE(pf::test::hasInk(*c.bitmap, {85, 40, 30, 30}, Color::whiteColor()));
    EXPECT_TRUE(pf::test::isBlank(*c.bitmap, {0, 0, 150, 30}, Color::whiteColor()));
    EXPECT_TRUE(pf::test::isBlank(*c.bitmap, {0, 40, 80, 30}, Color::whiteColor()));
    EXPECT_TRUE(pf::test::isBlank(*c.bitmap, {120, 40, 80, 30}, Color::whiteColor()));
}
