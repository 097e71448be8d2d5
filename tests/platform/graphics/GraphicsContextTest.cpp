#include "platform/graphics/Path.h"
#include "tests/platform/graphics/ImageSamples.h"
#include "tests/platform/graphics/PixelProbe.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <vector>

using namespace pf;
using pf::test::Canvas;
using pf::test::pixelIs;

namespace {

const Color kRed = Color::rgb(1, 0, 0);
const Color kBlue = Color::rgb(0, 0, 1);
const Color kGreen = Color::rgb(0, 1, 0);
const Color kWhite = Color::whiteColor();

}

TEST(BitmapCreation, RefusesEmptySizesAndReadsStraightAlpha)
{
    EXPECT_FALSE(Bitmap::create(0, 10).ok());
    EXPECT_FALSE(Bitmap::create(10, 10, 0).ok());
    auto huge = Bitmap::create(1 << 16, 1 << 16);
    EXPECT_FALSE(huge.ok()) << "beyond what the drawing library allows";
    auto b = Bitmap::create(2, 2, 2).value();
    EXPECT_EQ(b->size(), (Size{1, 1}));
    b->fill(Color::rgb(1, 0, 0, 0.5));
    EXPECT_TRUE(b->pixel(0, 0).near({255, 0, 0, 128}));
    EXPECT_EQ(b->pixel(5, 5), Rgba8{}) << "outside reads transparent";
}

TEST(BitmapCreation, FromStraightRgbaRowsWithPadding)
{
    // 2 x 2 pixels, rows padded to 12 bytes: red, half-transparent green / blue, clear.
    const std::uint8_t rows[] = {255, 0, 0, 255, 0, 255, 0, 128, 9, 9, 9, 9,
                                 0, 0, 255, 255, 10, 20, 30, 0, 9, 9, 9, 9};
    auto b = Bitmap::fromRgba(2, 2, rows, 12, 2);
    ASSERT_TRUE(b.ok());
    EXPECT_EQ(b.value()->size(), (Size{1, 1}));
    EXPECT_EQ(b.value()->pixel(0, 0), (Rgba8{255, 0, 0, 255}));
    EXPECT_TRUE(b.value()->pixel(1, 0).near({0, 255, 0, 128}));
    EXPECT_EQ(b.value()->pixel(0, 1), (Rgba8{0, 0, 255, 255}));
    EXPECT_EQ(b.value()->pixel(1, 1), Rgba8{});
    EXPECT_FALSE(Bitmap::fromRgba(2, 2, rows, 7).ok()) << "rows shorter than the width";
}

TEST(BitmapCreation, InkBoundsHoldEveryPixelThatIsNotTransparent)
{
    // Pixel rects painted red, and the bounds they make; 40 pixels wide, so
    // rows are looked at sixteen pixels at a time and then one by one.
    const std::pair<std::vector<Rect>, std::optional<Rect>> rows[] = {
        {{}, std::nullopt},
        {{{3, 2, 1, 1}}, Rect{3, 2, 1, 1}},
        {{{25, 1, 2, 1}, {18, 4, 1, 1}, {39, 7, 1, 1}}, Rect{18, 1, 22, 7}},
    };
    for (const auto& [filled, ink] : rows) {
        auto b = Bitmap::create(40, 8, 2).value();
        auto context = std::move(GraphicsContext::create(*b).value());
        context->scale(0.5, 0.5); // pixel coordinates
        for (const Rect& r : filled)
            context->fillRect(r, kRed);
        EXPECT_EQ(b->inkBounds(), ink) << filled.size() << " rects";
    }
}

TEST(GraphicsContextDrawing, FillsAndStrokesAtTheBitmapScaleWithTransformsAndAlpha)
{
    Canvas c;
    c.context->fillRect({10, 10, 20, 20}, kRed);
    c.context->save();
    c.context->translate(50, 0);
    c.context->scale(2, 2);
    c.context->fillRect({0, 5, 10, 10}, kBlue); // ends up at 50..70, 10..30
    c.context->restore();
    c.context->save();
    c.context->setAlpha(0.5);
    c.context->fillRect({10, 50, 20, 20}, Color::black());
    c.context->restore();
    c.context->fillRect({50, 50, 20, 20}, Color::black()); // alpha restored
    c.context->strokeRect({20, 80, 60, 10}, kGreen, 4);     // centred on the edge

    EXPECT_TRUE(pixelIs(*c.bitmap, {20, 20}, kRed));
    EXPECT_TRUE(pixelIs(*c.bitmap, {9.5, 20}, kWhite));
    EXPECT_TRUE(pixelIs(*c.bitmap, {69, 29}, kBlue));
    EXPECT_TRUE(pixelIs(*c.bitmap, {71, 20}, kWhite));
    EXPECT_TRUE(pixelIs(*c.bitmap, {20, 60}, Color::white(0.5)));
    EXPECT_TRUE(pixelIs(*c.bitmap, {60, 60}, Color::black()));
    EXPECT_TRUE(pixelIs(*c.bitmap, {21.5, 85}, kGreen));
    EXPECT_TRUE(pixelIs(*c.bitmap, {23, 85}, kWhite));
    EXPECT_FALSE(c.context->status());
}

TEST(GraphicsContextDrawing, RoundedClipCutsTheCornersOnly)
{
    Canvas c;
    c.context->save();
    c.context->clipToRoundedRect({10, 10, 80, 80}, 20);
    c.context->fillRect({0, 0, 100, 100}, kRed);
    c.context->restore();
    EXPECT_TRUE(pixelIs(*c.bitmap, {11, 11}, kWhite)) << "corner cut";
    EXPECT_TRUE(pixelIs(*c.bitmap, {50, 11}, kRed)) << "edge kept";
    EXPECT_TRUE(pixelIs(*c.bitmap, {5, 50}, kWhite)) << "outside the clip";
    // Restored: the whole canvas can be drawn again.
    c.context->fillRect({0, 0, 5, 5}, kBlue);
    EXPECT_TRUE(pixelIs(*c.bitmap, {2, 2}, kBlue));
}

TEST(GraphicsContextDrawing, HostileGeometryIsSkippedWithoutBreakingTheContext)
{
    Canvas c;
    c.context->save();
    double nan = std::numeric_limits<double>::quiet_NaN();
    double inf = std::numeric_limits<double>::infinity();
    c.context->fillRect({nan, 0, 10, 10}, kRed);
    c.context->fillRect({0, 0, inf, inf}, kRed);
    c.context->fillRoundedRect({0, 0, 0, 50}, 10, kRed);
    c.context->scale(0, 0);
    c.context->translate(nan, inf);
    c.context->clipToRoundedRect({-1e15, -1e15, 2e15, 2e15}, 1e20);
    c.context->strokeRect({10, 10, 10, 10}, kRed, nan);
    EXPECT_FALSE(c.context->status());
    c.context->restore();
    c.context->restore(); // unbalanced
    c.context->fillRect({40, 40, 10, 10}, kBlue);
    EXPECT_FALSE(c.context->status());
    EXPECT_TRUE(pixelIs(*c.bitmap, {45, 45}, kBlue));
}

TEST(ImageDrawing, GravityPlacesTheImageInsideItsRect)
{
    struct Row {
        ImageGravity gravity;
        Point red, blue, white;
    };
    // The image is 4 x 4 points; the rect is 40 x 20 at (30, 40).
    const Row rows[] = {
        {ImageGravity::Resize, {35, 45}, {65, 55}, {29, 45}},
        {ImageGravity::ResizeAspect, {45, 45}, {55, 55}, {35, 50}},   // 20 x 20 centred: 40..60
        {ImageGravity::ResizeAspectFill, {35, 50}, {65, 50}, {50, 39}}, // 40 x 40, cut at the rect
        {ImageGravity::Center, {49, 50}, {51, 50}, {46, 50}},
        {ImageGravity::TopLeft, {31, 41}, {33, 41}, {31, 45}},
        {ImageGravity::BottomRight, {67, 58}, {69, 58}, {67, 55}},
    };
    for (auto& row : rows) {
        Canvas c;
        ImageDrawOptions options;
        options.gravity = row.gravity;
        c.context->drawImage(*pf::test::splitBitmap(4, 4, kRed, kBlue), {30, 40, 40, 20}, options);
        SCOPED_TRACE(int(row.gravity));
        EXPECT_TRUE(pixelIs(*c.bitmap, row.red, kRed));
        EXPECT_TRUE(pixelIs(*c.bitmap, row.blue, kBlue));
        EXPECT_TRUE(pixelIs(*c.bitmap, row.white, kWhite));
    }
}

TEST(ImageDrawing, CapsKeepTheirSizeWhileTheMiddleStretches)
{
    // 30 x 30 image: a 10-point red frame around a blue middle.
    auto image = Bitmap::create(30, 30, 1).value();
    {
        auto ic = std::move(GraphicsContext::create(*image).value());
        ic->fillRect({0, 0, 30, 30}, kRed);
        ic->fillRect({10, 10, 10, 10}, kBlue);
    }
    Canvas c;
    ImageDrawOptions options;
    options.caps = {10, 10, 10, 10};
    c.context->drawImage(*image, {0, 0, 90, 60}, options);
    EXPECT_TRUE(pixelIs(*c.bitmap, {5, 30}, kRed)) << "left cap";
    EXPECT_TRUE(pixelIs(*c.bitmap, {11, 30}, kBlue)) << "middle starts after 10 points";
    EXPECT_TRUE(pixelIs(*c.bitmap, {79, 30}, kBlue));
    EXPECT_TRUE(pixelIs(*c.bitmap, {81, 30}, kRed)) << "right cap keeps 10 points";
    EXPECT_TRUE(pixelIs(*c.bitmap, {45, 55}, kRed)) << "bottom cap";

    // Caps larger than the image are clamped rather than read outside it.
    Canvas d;
    options.caps = {100, 100, 100, 100};
    d.context->drawImage(*image, {0, 0, 60, 60}, options);
    EXPECT_FALSE(d.context->status());
    EXPECT_TRUE(pixelIs(*d.bitmap, {2, 2}, kRed));
}
