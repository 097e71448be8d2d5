#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "tests/platform/graphics/PixelProbe.h"
#include "tests/platform/ui/UiTestSupport.h"

using namespace pf;
using pf::test::pixelIs;

namespace {

const Color kRed = Color::rgb(1, 0, 0), kBlue = Color::rgb(0, 0, 1), kWhite = Color::whiteColor();

class ShadowsAndPatterns : public pf::test::RenderingTest {};

// A 4 x 4 pixel picture: left half red, right half blue.
ImageRef halfAndHalf(double scale)
{
    std::vector<std::uint8_t> rgba;
    for (int i = 0; i < 16; ++i)
        rgba.insert(rgba.end(), {std::uint8_t(i % 4 < 2 ? 255 : 0), 0, std::uint8_t(i % 4 < 2 ? 0 : 255), 255});
    return Image::create(Bitmap::fromRgba(4, 4, rgba.data(), 16, scale).value());
}

}

TEST_F(ShadowsAndPatterns, AShadowFallsUnderTheViewAndLeavesWithIt)
{
    auto card = filled({50, 50, 60, 40}, kRed, showWindow());
    card->setShadowColor(kBlue);
    card->setShadowOffset({0, 10});
    card->setShadowRadius(2);
    EXPECT_TRUE(pixelIs(render(), {80, 95}, kWhite)) << "no shadow at opacity 0";

    card->setShadowOpacity(1);
    struct Row { Point at; Color expected; const char* why; } rows[] = {
        {{80, 95}, kBlue, "below the view, moved by the offset"}, {{80, 52}, kRed, "under the view"},
        {{80, 46}, kWhite, "nothing above"}, {{80, 100}, Color::rgb(0.69, 0.69, 1), "a blurred edge"},
    };
    const Bitmap& shown = render();
    for (const auto& row : rows)
        EXPECT_TRUE(pixelIs(shown, row.at, row.expected, 30)) << row.why;

    card->setCenter({180, 70});
    EXPECT_TRUE(pixelIs(render(), {80, 95}, kWhite)) << "the old shadow is repainted away";
    card->setShadowOpacity(0);
    EXPECT_TRUE(pixelIs(render(), {180, 95}, kWhite));
}

TEST_F(ShadowsAndPatterns, APatternTilesAtItsScaleAndTradesPlacesWithTheColour)
{
    auto window = showWindow();
    auto plain = filled({40, 40, 16, 8}, kWhite, window);
    plain->setBackgroundPattern(halfAndHalf(1));
    EXPECT_FALSE(plain->backgroundColor().has_value());
    filled({40, 60, 8, 8}, kWhite, window)->setBackgroundPattern(halfAndHalf(2));

    struct Row { Point at; Color expected; } rows[] = {
        {{43, 41}, kBlue}, {{45, 41}, kRed}, {{57, 41}, kWhite}, {{41.5, 60.5}, kBlue}, {{42.5, 61.5}, kRed},
    };
    const Bitmap& frame = render();
    for (const auto& row : rows)
        EXPECT_TRUE(pixelIs(frame, row.at, row.expected));

    plain->setBackgroundColor(kRed);
    EXPECT_FALSE(plain->backgroundPattern());
    EXPECT_TRUE(pixelIs(render(), {43, 41}, kRed));
}
