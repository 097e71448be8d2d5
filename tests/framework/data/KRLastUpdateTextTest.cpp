#include "framework/data/KRLastUpdateText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

TEST(KRLastUpdateText, FormsByCalendarDistance)
{
    setenv("TZ", "CST-8", 1);
    tzset();
    const double now = 1718000000; // 2024-06-10 14:13:20 in UTC+8
    struct Row {
        double ago;
        const char* clock;
        const char* relative;
    } rows[] = {
        {30, "最后更新: 14:12:50", "最后更新: 刚刚"},
        {90, "最后更新: 14:11:50", "最后更新: 1分钟前"},
        {3 * 3600, "最后更新: 11:13:20", "最后更新: 11:13"},
        {86400, "最后更新: 昨天 14:13", "最后更新: 昨天 14:13"},
        {-86400, "最后更新: 明天 14:13", "最后更新: 明天 14:13"},
        {3 * 86400, "最后更新: 06月07日 14:13", "最后更新: 06月07日 14:13"},
        {200 * 86400, "最后更新: 2023年11月23日 14:13", "最后更新: 2023年11月23日 14:13"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(KRLastUpdateText(pf::Date{now - row.ago}, pf::Date{now}, KRSameDayForm::Clock), row.clock);
        EXPECT_EQ(KRLastUpdateText(pf::Date{now - row.ago}, pf::Date{now}, KRSameDayForm::Relative), row.relative);
    }
}
