#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "tests/platform/graphics/PixelProbe.h"
#include "tests/platform/ui/UiTestSupport.h"

#include <vector>

using namespace pf;
using pf::test::pixelIs;

namespace {

const Color kRed = Color::rgb(1, 0, 0);
const Color kBlue = Color::rgb(0, 0, 1);
const Color kGreen = Color::rgb(0, 1, 0);
const Color kWhite = Color::whiteColor();

class ShadowsAndPatterns : public pf::test::RenderingTest {};

// A 4 x 4 pixel picture: left half red, right half blue.
ImageRef halfAndHalf(double scale)
{
    std::vector<std::uint8_t> rgba;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            rgba.insert(rgba.end(), {std::uint8_t(x < 2 ? 255 : 0), 0, std::uint8_t(x < 2 ? 0 : 255), 255});
    auto bitmap = Bitmap::fromRgba(4, 4, rgba.data(), 16, scale);
    return bitmap ? Image::create(bitmap.value()) : nullptr;
}

}

TEST_F(ShadowsAndPatterns, AShadowFallsUnderTheViewAndLeavesWithIt)
{
    auto window = showWindow();
    auto card = filled({50, 50, 60, 40}, kRed, window);
    card->setShadowColor(kBlue);
    card->setShadowOffset({0, 10});
    card->setShadowRadius(2);
    EXPECT_TRUE(pixelIs(render(), {80, 95}, kWhite)) << "no shadow at opacity 0";

    card->setShadowOpacity(1);
    const Bitmap& shown = render();
    EXPECT_TRUE(pixelIs(shown, {80, 95}, kBlue)) << "below the view, moved by the offset";
    EXPECT_TRUE(pixelIs(shown, {80, 70}, kRed)) << "under the view's own background";
    EXPECT_TRUE(pixelIs(shown, {80, 52}, kRed));
    EXPECT_TRUE(pixelIs(shown, {80, 46}, kWhite)) << "nothing above: the shadow moved down";
    EXPECT_TRUE(pixelIs(shown, {80, 100}, Color::rgb(0.69, 0.69, 1), 30)) << "the edge is blurred";

    card->setCenter({180, 70});
    const Bitmap& moved = render();
    EXPECT_TRUE(pixelIs(moved, {80, 95}, kWhite)) << "the old shadow is repainted away";
    EXPECT_TRUE(pixelIs(moved, {180, 95}, kBlue));

    card->setShadowOpacity(0);
    EXPECT_TRUE(pixelIs(render(), {180, 95}, kWhite));
}

TEST_F(ShadowsAndPatterns, APatternTilesAtItsScaleAndTradesPlacesWithTheColour)
{
    auto window = showWindow();
    auto plain = View::create({40, 40, 16, 8});
    window->addSubview(plain);
    plain->setBackgroundColor(kGreen);
    plain->setBackgroundPattern(halfAndHalf(1));
    EXPECT_FALSE(plain->backgroundColor().has_value());
    auto sharp = View::create({40, 60, 8, 8});
    window->addSubview(sharp);
    sharp->setBackgroundPattern(halfAndHalf(2));

    const Bitmap& frame = render();
    struct Row { Point at; Color expected; } rows[] = {
        {{41, 41}, kRed}, {{43, 41}, kBlue}, {{45, 41}, kRed}, {{47, 47}, kBlue}, {{53, 45}, kRed}, {{57, 41}, kWhite},
        {{40.5, 60.5}, kRed}, {{41.5, 60.5}, kBlue}, {{42.5, 61.5}, kRed}, {{47.5, 67.5}, kBlue},
    };
    for (const auto& row : rows)
        EXPECT_TRUE(pixelIs(frame, row.at, row.expected));

    plain->setBackgroundColor(kGreen);
    EXPECT_FALSE(plain->backgroundPattern());
    EXPECT_TRUE(pixelIs(render(), {43, 41}, kGreen));
}
