#include "app/services/ZMRMessage.h"

#include "app/services/ZMRAnswer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <tuple>

namespace {

pf::Date local(int year, int month, int day, int hour, int minute, int second)
{
    std::tm parts{};
    std::tie(parts.tm_year, parts.tm_mon, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec) =
        std::make_tuple(year - 1900, month - 1, day, hour, minute, second);
    parts.tm_isdst = -1;
    return pf::Date{static_cast<double>(std::mktime(&parts))};
}

}

TEST(ZMRMessage, KnownCodesHaveTheirTextOthersKeepTheirDescription)
{
    struct Row {
        pf::Error error;
        const char* expected;
    } rows[] = {
        {{"ZMRPrizeService", 15366, "x"}, "已兑换过此奖品"},
        {{"ZMRAuthService", 265, ""}, "昵称已存在，请尝试其他昵称"},
        {{"other", 15365, ""}, "昵称已存在，请尝试其他昵称"},
        {{"ZMRCoinService", 14339, ""}, "积分不足"},
        // The HTTP layer's own text never reaches the person (an upload's
        // failure is relayed unchanged).
        {{"KRHttpService", -3, "timed out"}, "网络连接失败，请稍后重试"},
        {{"HttpConnection", 7, "Couldn't connect to server"}, "网络连接失败，请稍后重试"},
        {{"HttpConnection", 264, "x"}, "网络连接失败，请稍后重试"},
        {{"ZMRFeedsService", ZMRServerFailedCode - 502, "http status 502"}, "服务器出错（502），请稍后重试"},
        {{"ZMRAuthService", ZMRServerFailedCode, "not JSON"}, "服务器出错，请稍后重试"},
        {{"ZMRLikeService", 15370, "服务器维护中"}, "服务器维护中"},
        // An error answer without text still says what failed.
        {{"ZMRLikeService", 0, ""}, "操作失败，错误码：0"},
        {{"ZMRBooksService", 500, ""}, "操作失败，错误码：500"},
        // The transport's English stays in the log.
        {{"ZMRBooksService", ZMRNotAnsweredCode, "Couldn't connect to server"}, "网络连接失败，请稍后重试"},
        {{"ZMRBooksService", ZMRResultUnknownCode, "Server returned nothing (no headers, no data)"},
         "网络异常，无法确认是否已提交成功，请先查看，再决定是否重新提交"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ZMRMessage(row.error), row.expected) << row.error.code;
}

TEST(ZMRFormatString, RelativeTextsByTheFirstDifferingPart)
{
    struct Row {
        pf::Date date;
        pf::Date now;
        const char* expected;
    } rows[] = {
        {local(2026, 3, 4, 10, 47, 10), local(2026, 3, 4, 10, 47, 50), "1分钟前"},
        {local(2026, 3, 4, 10, 5, 0), local(2026, 3, 4, 10, 47, 0), "42分钟前"},
        {local(2026, 3, 4, 9, 59, 0), local(2026, 3, 4, 10, 1, 0), "03-04 09:59"},
        {local(2026, 2, 4, 10, 5, 0), local(2026, 3, 4, 10, 5, 0), "02-04 10:05"},
        {local(2025, 12, 31, 23, 30, 0), local(2026, 1, 1, 0, 10, 0), "2025-12-31 23:30"},
        // A clock ahead of ours never gives a negative count.
        {local(2026, 3, 4, 10, 50, 0), local(2026, 3, 4, 10, 47, 0), "1分钟前"},
        {local(2026, 3, 5, 8, 0, 0), local(2026, 3, 4, 10, 47, 0), "1分钟前"},
        // Times no calendar can take have no text.
        {pf::Date{-1e300}, pf::Date{1e9}, ""},
        {pf::Date{1e9}, pf::Date{1e300}, ""},
        {pf::Date{std::nan("")}, pf::Date{1e9}, ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ZMRFormatString(row.date, row.now), row.expected) << row.expected;
    EXPECT_EQ(ZMRFormatString(pf::Date::now()), "1分钟前");
}
