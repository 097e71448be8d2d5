#include "platform/foundation/Collections.h"
#include "platform/foundation/Error.h"
#include "sdk/zz/CTXAppidConvert.h"
#include "sdk/zz/CVOpenSDKErrorUtil.h"
#include "sdk/zz/CorvanaRequest.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using Util = CVOpenSDKErrorUtil;

TEST(SDKErrors, CodesCarryTheirMessagesAndUnknownOnesBecomeOne)
{
    struct Row {
        long long code;
        std::optional<std::string> message;
        long long errorCode;
    } rows[] = {
        { -2, "不支持的接口", -2 }, { -1, std::nullopt, 1 }, { 0, "操作成功", 0 }, { 3, "请重新登录", 3 },
        { 13, "页面错误", 13 }, { 14, std::nullopt, 1 }, { 65536, "设置头像图片过大, 需要小于(3264 * 2448)", 65536 },
    };
    for (const auto& row : rows) {
        EXPECT_EQ(Util::openSDKErrorMsgForErrorCode(row.code), row.message) << row.code;
        auto error = Util::openSDKErrorWithCode(row.code);
        EXPECT_EQ(error->get("ret").longLongValue(), row.errorCode) << row.code;
        EXPECT_EQ(*error->string("msg"), *Util::openSDKErrorMsgForErrorCode(row.errorCode));
        EXPECT_EQ(error->count(), 2u); // no extra information, no key
    }
    EXPECT_EQ(Util::openSDKErrorWithCode(5, "why")->get("CVOpenSDKErrorExtraInfoKey"), pf::Value("why"));
}

TEST(SDKErrors, ServerAndURLCodesMapOntoSDKCodes)
{
    struct Row {
        long long from;
        long long to;
    };
    const Row server[] = { { 0, 0 }, { 100014, 3 }, { 100015, 3 }, { 100022, 8 }, { 100023, 3 }, { 100027, 3 },
                           { 100028, 8 }, { 100030, 3 }, { 100031, 4 }, { 100032, 8 }, { 99999, 8 }, { -1, 8 } };
    for (const auto& row : server)
        EXPECT_EQ(Util::openSDKErrorWithCommonServerCode(row.from)->get("ret").longLongValue(), row.to) << row.from;
    const Row url[] = { { -1000, 6 }, { -1002, 6 }, { -1001, 9 }, { -1009, 5 }, { -1020, 5 }, { -1011, 12 },
                        { -1021, 11 }, { -1099, 1 }, { -1100, 11 }, { -1103, 11 }, { -1104, 1 }, { -3000, 11 },
                        { -3007, 11 }, { -3008, 1 }, { -1199, 1 }, { -1200, 10 }, { -1206, 10 }, { -1207, 1 },
                        { -2000, 10 }, { -1017, 7 }, { -999, 1 }, { 0, 1 } };
    for (const auto& row : url)
        EXPECT_EQ(Util::filterURLErrorCode(row.from), row.to) << row.from;
    auto answer = pf::Dictionary::create({ { "error_msg", "no" } });
    struct OSRow {
        CorvanaError error;
        long long code;
        pf::Value extra; // nil: no extra key
    } osRows[] = {
        { { { Util::kURLErrorDomain, -1001, "timed out" }, nullptr }, 9, {} },
        { { { "Other", -1001, "" }, nullptr }, 1, {} },
        { { { CorvanaRequest::kErrorDomain, 10000, "refused" }, answer }, 1, pf::Value(answer) },
    };
    for (const auto& row : osRows) {
        auto error = Util::openSDKErrorFromOSError(row.error);
        EXPECT_EQ(error->get("ret"), pf::Value(row.code)) << row.error.error.domain;
        EXPECT_EQ(error->get("CVOpenSDKErrorExtraInfoKey"), row.extra) << row.error.error.domain;
        EXPECT_EQ(error->count(), row.extra.isNil() ? 2u : 3u);
    }
}

TEST(AppidConvert, EitherFormGivesBothAndConvertsBack)
{
    struct Row {
        std::string input;
        std::optional<std::string> connection;
        std::optional<std::string> mobile;
    } rows[] = {
        { "100393032", "100393032", "ZZ25397024" }, // first listed pair
        { "ZZ4b3afa9f", "214506", "ZZ4B3AFA9F" }, // second, lower-case digits
        { "100", "100", "ZZ00000064" }, // unlisted: the same number
        { "", "0", "ZZ00000000" },
        { "1234567890", std::nullopt, std::nullopt }, // ten digits
        { "ZZ1234567", std::nullopt, std::nullopt },
        { "zz12345678", std::nullopt, std::nullopt },
        { "12a", std::nullopt, std::nullopt },
        { std::string("12\0" "3", 4), std::nullopt, std::nullopt },
        // Numbers that belong to a listed application in the other column.
        { "624521252", std::nullopt, std::nullopt },
        { "ZZ000345EA", std::nullopt, std::nullopt },
        { "ZZ3B9AC9FF", "999999999", "ZZ3B9AC9FF" },
        { "ZZ3B9ACA00", std::nullopt, std::nullopt }, // no nine-digit connection id
    };
    TXAppidConvert convert;
    for (const auto& row : rows) {
        EXPECT_EQ(convert.InitWithAppId(row.input), row.connection.has_value()) << row.input;
        EXPECT_EQ(convert.GetConnectionAppId(), row.connection) << row.input;
        EXPECT_EQ(convert.GetMZZAppId(), row.mobile) << row.input;
    }
}

TEST(AppidConvert, EveryListedPairIsUniqueAndRoundTrips)
{
    std::size_t count = 0;
    TXAppidConvert convert;
    for (const auto* pair = CTXAppidConvert::kTable; pair->mobile || pair->connection; ++pair, ++count) {
        std::string connection = std::to_string(pair->connection);
        ASSERT_TRUE(convert.InitWithAppId(connection)) << connection;
        std::string mobile = *convert.GetMZZAppId();
        ASSERT_TRUE(convert.InitWithAppId(mobile)) << mobile;
        EXPECT_EQ(convert.GetConnectionAppId(), connection) << mobile;
    }
    EXPECT_EQ(count, 195u);
}
