#include "tests/app/screens/AppScreenTest.h"

#include "app/screens/prizes/ZMRPrizeSearchDataSource.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/core/KRJSON.h"
#include "platform/foundation/Collections.h"

#include <cmath>

namespace {

// "status canBuy process processTitle" of a prize, "-" for what it lacks.
std::string fields(const pf::Value& prize)
{
    std::string out;
    for (const char* key : {"status", "canBuy", "process", "processTitle"}) {
        pf::Value value = dataForKeyPath(prize, key);
        std::string shown = value.isNil() ? "-" : value.isString() ? *value.string() : value.description();
        if (value.isNumber() && std::string(key) == "process") {
            char text[32];
            std::snprintf(text, sizeof text, "%g", value.doubleValue());
            shown = text;
        }
        out += (out.empty() ? "" : " ") + shown;
    }
    return out;
}

std::shared_ptr<ZMRPrizeSearchDataSource> makeSource()
{
    auto source = std::make_shared<ZMRPrizeSearchDataSource>();
    source->setDataKey(std::string("list"));
    source->setTimestampKey(std::string("timestamp"));
    return source;
}

}

// State by the server time of the answer (both ends on sale), progress
// clamped to what was issued, and what arrived kept.
TEST(ZMRPrizeSearchDataSource, StatesFollowTheServersTimeAndProgressStaysWithinWhatWasIssued)
{
    struct Row {
        const char* prize;
        const char* fields;
    } rows[] = {
        {R"("saleTime": 1000, "endTime": 2000)", "兑奖中 1 0 0/0"},
        {R"("saleTime": 0, "endTime": 1000)", "兑奖中 1 0 0/0"},
        {R"("saleTime": 1001, "endTime": 2000)", "未开始 - 0 0/0"},
        {R"("saleTime": 0, "endTime": 999.5)", "已结束 - 0 0/0"},
        {R"("saleTime": "0", "endTime": "2000.5")", "兑奖中 1 0 0/0"},
        {R"("saleTime": "0x", "endTime": 2000)", "- - 0 0/0"},
        {R"("saleTime": true, "endTime": 2000)", "- - 0 0/0"},
        {R"("endTime": 2000)", "- - 0 0/0"},
        {R"("publishCount": 30, "count": 12)", "- - 0.6 18/30"},
        {R"("publishCount": 30, "count": 30)", "- - 0 0/30"},
        {R"("publishCount": 30, "count": 0)", "- - 1 30/30"},
        {R"("publishCount": 30, "count": 45)", "- - 0 0/30"},
        {R"("publishCount": 30, "count": -5)", "- - 1 30/30"},
        {R"("publishCount": -3, "count": -9)", "- - 0 0/0"},
        {R"("publishCount": 1e300, "count": [1])", "- - 1 2147483647/2147483647"},
        {R"("publishCount": null, "count": {"a": 1})", "- - 0 0/0"},
        {R"("status": "热卖", "saleTime": 0, "endTime": 2000, "process": 0.25)", "热卖 - 0.25 -"},
        {R"("process": "nan", "publishCount": 30, "count": 12)", "- - 0 -"},
    };
    for (const Row& row : rows) {
        auto source = makeSource();
        source->reloadData();
        source->krDownlinkTaskDidLoaded(KRJSON::decodeText(std::string(R"({"timestamp": 1000, "list": [{)") + row.prize + "}]}"),
                                        nullptr);
        EXPECT_EQ(fields(source->dataObject()), row.fields) << row.prize;
    }
}

// The server's clock runs on from each answer with the phone's; a cached
// answer counts from the time it was cached, one without a server time from
// the phone's. Prizes already listed keep the state of their own page.
TEST(ZMRPrizeSearchDataSource, TheServersClockRunsOnFromTheAnswerAndListedStatesStay)
{
    auto source = makeSource();
    double now = pf::Date::now().seconds;
    source->reloadData();
    source->krDownlinkTaskDidLoadedFromCache(KRJSON::decodeText(R"({"timestamp": 1000, "list": [{"saleTime": 1500, "endTime": 3000}]})"),
                                             pf::Date{now - 3600}, nullptr);
    EXPECT_NEAR(source->nowTimestamp(), 1000 + 3600, 5);
    EXPECT_EQ(source->timestamp(), 1000);
    source->krDownlinkTaskDidLoaded(KRJSON::decodeText(R"({"timestamp": 1000, "list": [{"saleTime": 1500, "endTime": 3000}]})"), nullptr);
    EXPECT_NEAR(source->nowTimestamp(), 1000, 5);
    source->loadMoreData();
    source->krDownlinkTaskDidLoaded(KRJSON::decodeText(R"({"timestamp": 2000, "list": [{"saleTime": 1500, "endTime": 3000}]})"), nullptr);
    ASSERT_EQ(source->count(), 2u);
    EXPECT_EQ(fields(source->dataObjectAtIndex(0)).substr(0, 9), "未开始");
    EXPECT_EQ(fields(source->dataObjectAtIndex(1)).substr(0, 9), "兑奖中");

    source->reloadData();
    source->krDownlinkTaskDidLoaded(KRJSON::decodeText(R"({"timestamp": "1000", "list": []})"), nullptr);
    EXPECT_EQ(source->timestamp(), 1000) << "numeric text is the server's time too";
    for (const char* answer : {R"({"list": []})", R"({"timestamp": "1000s", "list": []})", R"({"timestamp": 1e999, "list": []})"}) {
        source->reloadData();
        source->krDownlinkTaskDidLoaded(KRJSON::decodeText(answer), nullptr);
        EXPECT_NEAR(source->timestamp(), now, 5) << answer;
        EXPECT_NEAR(source->nowTimestamp(), now, 5) << answer;
    }
}

namespace {

class PrizeList : public AppScreenTest {};

}

// The seeded prizes in order with their states by the server's clock: six
// on sale, two not yet, two sold out but on sale, two ended.
TEST_F(PrizeList, TheSeededPrizesComeWithTheirStatesAndProgress)
{
    auto source = makeSource();
    source->setTaskType(std::string("ZMRPrizeListTask"));
    source->setContext(shell);
    source->reloadData();
    ASSERT_TRUE(waitFor([&] { return source->isLoaded() && !source->isLoading(); }));
    ASSERT_EQ(source->count(), 12u);
    std::string states;
    for (std::size_t i = 0; i < source->count(); ++i) {
        pf::Value prize = source->dataObjectAtIndex(static_cast<int>(i));
        EXPECT_EQ(dataForKeyPath(prize, "pid").longLongValue(), static_cast<long long>(i + 1));
        states += fields(prize).substr(0, 3) == "兑" ? "s" : fields(prize).substr(0, 3) == "未" ? "n" : "e";
    }
    EXPECT_EQ(states, "ssssssnnssee");
    EXPECT_EQ(fields(source->dataObjectAtIndex(8)), "兑奖中 1 1 30/30");
    EXPECT_NEAR(source->nowTimestamp(), pf::Date::now().seconds, 5);

    source->queryValues()->set("productId", "7");
    source->reloadData();
    ASSERT_TRUE(waitFor([&] { return !source->isLoading(); }));
    ASSERT_EQ(source->count(), 1u);
    EXPECT_EQ(fields(source->dataObject()).substr(0, 9), "未开始");
}
