#include "platform/foundation/Calendar.h"
#include "tests/platform/foundation/PinnedZone.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>

namespace {

using pf::test::PinnedZone;

std::string text(const std::optional<pf::DateComponents>& c)
{
    if (!c)
        return "none";
    char out[64];
    std::snprintf(out, sizeof out, "%04d-%02d-%02d %02d:%02d:%02d w%d", c->year, c->month, c->day, c->hour, c->minute,
                  c->second, c->weekday);
    return out;
}

std::string dayText(std::optional<pf::Date> date)
{
    return date ? text(pf::Calendar::components(*date)) : "none";
}

}

TEST(Calendar, FieldsFollowTheLocalZone)
{
    PinnedZone zone("CST-8");
    struct Row {
        double seconds;
        const char* fields;
    };
    const Row rows[] = {
        {0, "1970-01-01 08:00:00 w5"},
        // 2024-02-29 15:59:59 UTC is already 1 March in a zone 8 hours ahead.
        {1709222399, "2024-02-29 23:59:59 w5"},
        {1709222400, "2024-03-01 00:00:00 w6"},
        {1735660800, "2025-01-01 00:00:00 w4"},
        {-1, "1970-01-01 07:59:59 w5"},
        {1.9, "1970-01-01 08:00:01 w5"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.seconds);
        EXPECT_EQ(text(pf::Calendar::components(pf::Date{row.seconds})), row.fields);
    }
}

TEST(Calendar, DatesWithoutFieldsAnswerNothing)
{
    for (double bad : {std::nan(""), std::numeric_limits<double>::infinity(), 1e300, -1e300}) {
        pf::Date date{bad};
        EXPECT_FALSE(pf::Calendar::components(date));
        EXPECT_FALSE(pf::Calendar::firstDayOfMonth(date));
        EXPECT_FALSE(pf::Calendar::lastDayOfMonth(date));
        EXPECT_FALSE(pf::Calendar::dateByAddingMonths(date, 1));
        EXPECT_FALSE(pf::Calendar::numberOfDaysInMonth(date));
    }
    EXPECT_FALSE(pf::Calendar::date(2'000'000'000, 1, 1));
    EXPECT_FALSE(pf::Calendar::numberOfDaysInMonth(2024, 13));
    EXPECT_FALSE(pf::Calendar::numberOfDaysInMonth(2024, 0));
}

TEST(Calendar, MonthBoundsAndLengths)
{
    PinnedZone zone("CST-8");
    struct Row {
        int year, month, day;
        int days;
        const char* first;
        const char* last;
    };
    const Row rows[] = {
        {2024, 2, 29, 29, "2024-02-01 00:00:00 w5", "2024-02-29 00:00:00 w5"},
        {2023, 2, 1, 28, "2023-02-01 00:00:00 w4", "2023-02-28 00:00:00 w3"},
        {2000, 2, 10, 29, "2000-02-01 00:00:00 w3", "2000-02-29 00:00:00 w3"},
        {1900, 2, 10, 28, "1900-02-01 00:00:00 w5", "1900-02-28 00:00:00 w4"},
        {2024, 12, 31, 31, "2024-12-01 00:00:00 w1", "2024-12-31 00:00:00 w3"},
        {2024, 4, 30, 30, "2024-04-01 00:00:00 w2", "2024-04-30 00:00:00 w3"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(text(pf::DateComponents{row.year, row.month, row.day}));
        auto date = pf::Calendar::date(row.year, row.month, row.day, 23, 59, 59);
        ASSERT_TRUE(date);
        EXPECT_EQ(pf::Calendar::numberOfDaysInMonth(*date), row.days);
        EXPECT_EQ(pf::Calendar::numberOfDaysInMonth(row.year, row.month), row.days);
        EXPECT_EQ(dayText(pf::Calendar::firstDayOfMonth(*date)), row.first);
        EXPECT_EQ(dayText(pf::Calendar::lastDayOfMonth(*date)), row.last);
    }
}

TEST(Calendar, AddingMonthsKeepsTheTimeAndClampsTheDay)
{
    PinnedZone zone("CST-8");
    struct Row {
        int year, month, day;
        int months;
        const char* result;
    };
    const Row rows[] = {
        {2024, 1, 31, 1, "2024-02-29 10:30:00 w5"},
        {2023, 1, 31, 1, "2023-02-28 10:30:00 w3"},
        {2024, 12, 15, 1, "2025-01-15 10:30:00 w4"},
        {2024, 1, 15, -1, "2023-12-15 10:30:00 w6"},
        {2024, 3, 31, -1, "2024-02-29 10:30:00 w5"},
        {2024, 2, 29, 12, "2025-02-28 10:30:00 w6"},
        {2024, 5, 10, -29, "2021-12-10 10:30:00 w6"},
        {2024, 5, 10, 0, "2024-05-10 10:30:00 w6"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.year) + "-" + std::to_string(row.month) + " + " + std::to_string(row.months));
        auto date = pf::Calendar::date(row.year, row.month, row.day, 10, 30);
        ASSERT_TRUE(date);
        EXPECT_EQ(dayText(pf::Calendar::dateByAddingMonths(*date, row.months)), row.result);
    }
}

TEST(Calendar, FieldsOutOfRangeCarry)
{
    PinnedZone zone("CST-8");
    EXPECT_EQ(dayText(pf::Calendar::date(2024, 13, 1)), "2025-01-01 00:00:00 w4");
    EXPECT_EQ(dayText(pf::Calendar::date(2024, 3, 0)), "2024-02-29 00:00:00 w5");
    EXPECT_EQ(dayText(pf::Calendar::date(2024, 2, 28, 24)), "2024-02-29 00:00:00 w5");
    // The second before the epoch is a real date, not mktime's failure value.
    PinnedZone utc("UTC0");
    EXPECT_EQ(pf::Calendar::date(1969, 12, 31, 23, 59, 59).value().seconds, -1);
}
