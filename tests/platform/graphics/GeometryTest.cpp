#include "platform/graphics/Geometry.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Path.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace pf;

namespace {

void expectPoint(Point got, Point want)
{
    EXPECT_NEAR(got.x, want.x, 1e-9);
    EXPECT_NEAR(got.y, want.y, 1e-9);
}

}

TEST(RectGeometry, IntersectionUnionAndContainment)
{
    Rect a{0, 0, 10, 10};
    Rect b{5, 5, 10, 10};
    EXPECT_EQ(a.intersection(b), Rect(5, 5, 5, 5));
    EXPECT_EQ(a.united(b), Rect(0, 0, 15, 15));
    EXPECT_TRUE(a.intersection(Rect(10, 0, 5, 5)).isEmpty()) << "touching edges do not overlap";
    EXPECT_EQ(a.united(Rect{}), a) << "an empty rect adds nothing to a union";
    EXPECT_TRUE(a.contains({0, 0}));
    EXPECT_FALSE(a.contains({10, 5})) << "the maximum edge is outside";
    EXPECT_EQ(Rect(10, 10, -4, -6).standardized(), Rect(6, 4, 4, 6));
    EXPECT_EQ(Rect(0.5, 0.25, 2, 2).integral(), Rect(0, 0, 3, 3));
    EXPECT_EQ(a.inset({1, 2, 3, 4}), Rect(2, 1, 4, 6));
}

TEST(RectGeometry, NonFiniteRectsAreEmptyAndSanitizedForDrawing)
{
    double inf = std::numeric_limits<double>::infinity();
    double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(Rect(nan, 0, 10, 10).isEmpty());
    EXPECT_TRUE(Rect(0, 0, inf, 10).isEmpty());
    Rect huge = sanitizedRect({-1e12, 0, 2e12, 10});
    EXPECT_EQ(huge.minX(), -kMaxCoordinate);
    EXPECT_EQ(huge.maxX(), kMaxCoordinate);
    EXPECT_EQ(sanitizedRect({nan, 5, 10, 10}).minX(), 0);
}

// Composition and inversion are walked by the view geometry tests.
TEST(AffineTransformMath, RotatesTowardsYAndRefusesToInvertADegenerateTransform)
{
    expectPoint(AffineTransform::rotation(M_PI / 2).apply({1, 0}), {0, 1});
    EXPECT_FALSE(AffineTransform::scaling(0, 1).isInvertible());
    EXPECT_TRUE(AffineTransform::scaling(0, 1).inverted().isIdentity());
    // Rect bounds cover the rotated corners.
    Rect r = AffineTransform::rotation(M_PI / 4).applyToRect({-1, -1, 2, 2});
    EXPECT_NEAR(r.width(), 2 * std::sqrt(2.0), 1e-9);
    EXPECT_NEAR(r.minX(), -std::sqrt(2.0), 1e-9);
}

TEST(ColorParsing, AcceptsShortLongAndAlphaForms)
{
    EXPECT_EQ(toRgba8(*Color::parse("#f00")), (Rgba8{255, 0, 0, 255}));
    EXPECT_EQ(toRgba8(*Color::parse("336699")), (Rgba8{0x33, 0x66, 0x99, 255}));
    EXPECT_EQ(toRgba8(*Color::parse("#33669980")), (Rgba8{0x33, 0x66, 0x99, 0x80}));
    EXPECT_FALSE(Color::parse("#12345"));
    EXPECT_FALSE(Color::parse("red"));
    EXPECT_FALSE(Color::parse(""));
}

TEST(PathShapes, CornerRadiusIsClampedToHalfTheShorterSide)
{
    EXPECT_EQ(clampedCornerRadius({0, 0, 40, 10}, 50), 5);
    EXPECT_EQ(clampedCornerRadius({0, 0, 40, 10}, -3), 0);
    EXPECT_EQ(clampedCornerRadius({0, 0, 0, 10}, 3), 0);
    EXPECT_EQ(Path::roundedRect({0, 0, 40, 10}, 50).bounds(), Rect(0, 0, 40, 10));
}
