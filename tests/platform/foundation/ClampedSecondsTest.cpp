#include "platform/foundation/ClampedSeconds.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(ClampedSeconds, OddNumbersStayWithinA32BitCount)
{
    constexpr double inf = std::numeric_limits<double>::infinity();
    struct Row {
        double seconds;
        double zero; // with negatives read as 0
        double kept; // with negatives kept
    } rows[] = {
        { 3600.5, 3600.5, 3600.5 },
        { -5, 0, -5 },
        { 1e300, 2147483647.0, 2147483647.0 },
        { -1e300, 0, -2147483648.0 },
        { inf, 2147483647.0, 2147483647.0 },
        { -inf, 0, -2147483648.0 },
        { std::nan(""), 0, 0 },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.seconds);
        EXPECT_EQ(pf::clampedSeconds(row.seconds), row.zero);
        EXPECT_EQ(pf::clampedSeconds(row.seconds, pf::NegativeSeconds::Kept), row.kept);
    }
}
