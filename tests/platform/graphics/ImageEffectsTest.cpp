#include "platform/graphics/Bitmap.h"
#include "platform/graphics/GaussianBlur.h"
#include "platform/graphics/GraphicsContext.h"
#include "platform/graphics/Image.h"

#include <gtest/gtest.h>

using namespace pf;

TEST(ImageEffects, StretchableCapsAndBlur)
{
    auto bitmap = Bitmap::create(20, 10).value();
    auto image = Image::create(bitmap);
    struct Row {
        int left, top;
        EdgeInsets caps;
    };
    const Row rows[] = {
        {5, 4, {4, 5, 5, 14}},
        {0, 0, {0, 0, 0, 0}},
        {50, 50, {9, 19, 0, 0}},
        {-3, 2, {2, 0, 7, 0}},
    };
    for (const Row& row : rows) {
        auto s = image->stretchableImage(row.left, row.top);
        EXPECT_EQ(s->capInsets(), row.caps) << row.left << "," << row.top;
        EXPECT_EQ(s->bitmap(), bitmap);
    }

    // One white column in black: the blur spreads it symmetrically and keeps
    // the size; 0 copies; an excessive radius clamps instead of failing.
    auto line = Bitmap::create(41, 5).value();
    line->fill(Color::black());
    GraphicsContext::create(*line).value()->fillRect({20, 0, 1, 5}, Color::whiteColor());
    auto copy = gaussianBlur(*line, 0).value();
    EXPECT_EQ(copy->pixel(20, 2), line->pixel(20, 2));
    auto blurred = gaussianBlur(*line, 3).value();
    ASSERT_EQ(blurred->pixelWidth(), 41);
    Rgba8 centre = blurred->pixel(20, 2), near = blurred->pixel(18, 2), far = blurred->pixel(2, 2);
    EXPECT_LT(centre.r, 255);
    EXPECT_GT(centre.r, near.r);
    EXPECT_GT(near.r, 0);
    EXPECT_EQ(far.r, 0);
    EXPECT_EQ(blurred->pixel(17, 0), blurred->pixel(23, 4)); // symmetric, edges not darkened
    EXPECT_EQ(blurred->pixel(0, 0).a, 255);
    auto huge = gaussianBlur(*line, 1e9);
    ASSERT_TRUE(huge.ok());
    EXPECT_EQ(huge.value()->pixelHeight(), 5);
}
