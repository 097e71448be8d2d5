#pragma once

// Pixel probes for rendered pictures. A failing probe writes the picture to
// "failed-pngs/<suite>.<test>.png" under the test's working directory (the
// build folder of the tests) for a look.

#include "platform/graphics/Bitmap.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace pf::test {

inline void writeFailurePng(const Bitmap& bitmap)
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::filesystem::create_directories("failed-pngs");
    std::string path = std::string("failed-pngs/") + (info ? info->test_suite_name() : "unknown") + "."
        + (info ? info->name() : "unknown") + ".png";
    if (auto error = bitmap.writePng(path))
        std::fprintf(stderr, "could not write %s: %s\n", path.c_str(), error->description.c_str());
    else
        std::fprintf(stderr, "picture written to %s\n", std::filesystem::absolute(path).c_str());
}

inline std::string describe(Rgba8 c)
{
    char text[48];
    std::snprintf(text, sizeof text, "rgba(%d, %d, %d, %d)", c.r, c.g, c.b, c.a);
    return text;
}

// The pixel under a point (in points) is within `tolerance` of `expected`.
inline ::testing::AssertionResult pixelIs(const Bitmap& bitmap, Point p, const Color& expected, int tolerance = 3)
{
    Rgba8 got = bitmap.pixelAtPoint(p);
    Rgba8 want = toRgba8(expected);
    // Fully transparent pixels have no colour worth comparing.
    if (got.near(want, tolerance) || (want.a == 0 && got.a <= tolerance))
        return ::testing::AssertionSuccess();
    writeFailurePng(bitmap);
    return ::testing::AssertionFailure() << "at (" << p.x << ", " << p.y << ") got " << describe(got) << ", want "
                                         << describe(want);
}

inline bool inkIn(const Bitmap& bitmap, const Rect& area, const Color& background)
{
    Rgba8 bg = toRgba8(background);
    for (double y = area.minY(); y < area.maxY(); y += 0.5)
        for (double x = area.minX(); x < area.maxX(); x += 0.5)
            if (!bitmap.pixelAtPoint({x, y}).near(bg, 40))
                return true;
    return false;
}

// Some pixel of `area` differs clearly from `background` (text or a shape was drawn there).
inline ::testing::AssertionResult hasInk(const Bitmap& bitmap, const Rect& area, const Color& background)
{
    if (inkIn(bitmap, area, background))
        return ::testing::AssertionSuccess();
    writeFailurePng(bitmap);
    return ::testing::AssertionFailure() << "nothing drawn in " << area.description();
}

// Every pixel of `area` is close to `background`.
inline ::testing::AssertionResult isBlank(const Bitmap& bitmap, const Rect& area, const Color& background)
{
    if (!inkIn(bitmap, area, background))
        return ::testing::AssertionSuccess();
    writeFailurePng(bitmap);
    return ::testing::AssertionFailure() << "something drawn in " << area.description();
}

}
