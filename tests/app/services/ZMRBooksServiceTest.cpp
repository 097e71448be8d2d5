#include "StoreTestSupport.h"

#include "app/services/ZMRBooksObject.h"
#include "app/services/ZMRBooksService.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/db/KRDBContext.h"

namespace {

const char* const ledger = "SELECT bid, payMoney, shopTitle, shopAddress, remark, timestamp, cids FROM ZMRBooksObject ORDER BY bid, rowid";

class ZMRBooks : public StoreBus {
protected:
    void SetUp() override
    {
        StoreBus::SetUp();
        shell->setAuth(pf::Value(7LL), std::string("token-7"));
        recorder->events.clear();
    }
    void store(long long bid, double timestamp, const char* title)
    {
        auto row = std::make_shared<ZMRBooksObject>();
        row->setBid(bid);
        row->setTimestamp(timestamp);
        row->setShopTitle(title);
        ASSERT_TRUE(shell->userDBContext()->insertObject(row));
    }
    std::shared_ptr<ZMRBooksSearchTask> search(double start, double end)
    {
        auto task = std::make_shared<ZMRBooksSearchTask>();
        task->setStartTime(start);
        task->setEndTime(end);
        return send(proto::IZMRBooksSearchTask(), task);
    }
    std::vector<std::string> rows() { return dumpRows(shell->userDBContext(), ledger); }
};

}

TEST_F(ZMRBooks, SearchAsksForTheWholeSecondWindow)
{
    search(100.9, 200.9);
    EXPECT_EQ(ownItems(*lastRequest()->body()),
              (std::vector<std::string>{"config=config_zmr", "taskType=ZMRBooksSearchTask", "zmr-startTime=100", "zmr-endTime=200"}));
}

TEST_F(ZMRBooks, ACreatedEntrySendsItsNumbersWhole)
{
    auto task = std::make_shared<ZMRBooksCreateTask>();
    task->setPayMoney(1e100);
    task->setExpendMoney(12.5);
    task->setLatitude(-31.25);
    task->setLongitude(0);
    send(proto::IZMRBooksCreateTask(), task);
    auto items = ownItems(*lastRequest()->body());
    ASSERT_GE(items.size(), 6u);
    const std::string pay = "zmr-payMoney=1";
    EXPECT_EQ(items[2].compare(0, pay.size(), pay), 0) << items[2];
    EXPECT_EQ(items[2].size(), pay.size() + 100 + 7) << "all 101 digits and six decimals: " << items[2];
    EXPECT_EQ(std::vector<std::string>(items.begin() + 3, items.begin() + 6),
              (std::vector<std::string>{"zmr-expendMoney=12.500000", "zmr-latitude=-31.250000", "zmr-longitude=0.000000"}));
}

TEST_F(ZMRBooks, CreatedEntryIsStoredOncePerBid)
{
    struct Row {
        const char* answer;
        bool success;
        std::vector<std::string> rows;
    } steps[] = {
        {R"({"books-create-results":{"bid":5,"payMoney":12.5,"body":{"title":"Mart","address":"Road 1"},"cids":[3,12],"createTime":150}})",
         true, {"5|12.5|Mart|Road 1|-|150.0|[3,12]"}},
        // The same bid again updates its row.
        {R"({"books-create-results":{"bid":5,"payMoney":13,"body":{"title":"Mart 2"},"createTime":151}})", true,
         {"5|13.0|Mart 2|-|-|151.0|-"}},
        {R"({"books-create-results":{"bid":0,"payMoney":1}})", true, {"5|13.0|Mart 2|-|-|151.0|-"}},
        {R"({"books-create-results":[{"bid":6}]})", true, {"5|13.0|Mart 2|-|-|151.0|-"}},
        {R"({"error-code":4,"error":"full","books-create-results":{"bid":7}})", false, {"5|13.0|Mart 2|-|-|151.0|-"}},
        // Numbers read as the ledger screens read them: a Boolean is no bid,
        // and an amount that does not read is 0, its entry kept.
        {R"({"books-create-results":{"bid":true,"payMoney":1}})", true, {"5|13.0|Mart 2|-|-|151.0|-"}},
        {R"({"books-create-results":{"bid":"5","payMoney":"12abc","body":{"title":"Mart 3"},"createTime":"152"}})", true,
         {"5|0.0|Mart 3|-|-|152.0|-"}},
        {R"({"books-create-results":{"bid":5,"payMoney":true,"body":{"title":"Mart 4"},"createTime":153}})", true,
         {"5|0.0|Mart 4|-|-|153.0|-"}},
    };
    for (const Row& step : steps) {
        SCOPED_TRACE(step.answer);
        recorder->events.clear();
        send(proto::IZMRBooksCreateTask(), std::make_shared<ZMRBooksCreateTask>());
        answer(step.answer);
        EXPECT_EQ(recorder->events, (std::vector<std::string>{step.success ? "success IZMRBooksCreateTask uid=7" : "fail IZMRBooksCreateTask"}));
        EXPECT_EQ(rows(), step.rows);
    }
    EXPECT_EQ(notifications(ZMRBooksChangedNotification), 4u);
}

TEST_F(ZMRBooks, SearchMakesTheWindowEqualToTheAnswerWithoutCopies)
{
    store(1, 150, "first");
    store(1, 160, "duplicate");
    store(2, 170, "not answered");
    store(3, 500, "stored outside");
    store(9, 900, "other window");
    const char* answer = R"({"books-search-results":[
        {"bid":1,"payMoney":2,"body":{"title":"one"},"createTime":150},
        {"bid":3,"payMoney":4,"body":{"title":"three"},"createTime":190},
        {"bid":0,"createTime":120},"x",{"bid":true,"createTime":130},{"bid":"1x","createTime":140},
        {"bid":7,"payMoney":8,"body":{"title":"seven"},"createTime":1000}]})";
    std::vector<std::string> expected{"1|2.0|one|-|-|150.0|-", "3|4.0|three|-|-|190.0|-", "7|8.0|seven|-|-|1000.0|-",
                                      "9|0.0|other window|-|-|900.0|-"};
    search(100.9, 200.9);
    this->answer(answer);
    EXPECT_EQ(rows(), expected);
    EXPECT_EQ(notifications(ZMRBooksChangedNotification), 1u);

    // An empty answer clears the window only.
    search(100, 200);
    this->answer(R"({"books-search-results":[]})");
    EXPECT_EQ(rows(), (std::vector<std::string>{"7|8.0|seven|-|-|1000.0|-", "9|0.0|other window|-|-|900.0|-"}));
    EXPECT_EQ(notifications(ZMRBooksChangedNotification), 2u);

    // Failures and answers without a list change nothing.
    search(0, 2000);
    this->answer(R"({"error-code":2,"books-search-results":[]})");
    respondWith({}, pf::Error{"KRHttpService", 0, "offline"});
    this->answer(R"({"books-search-results":{"bid":1}})");
    EXPECT_EQ(rows().size(), 2u);
    EXPECT_EQ(notifications(ZMRBooksChangedNotification), 2u);
    EXPECT_EQ(recorder->events.size(), 5u);
    EXPECT_EQ(recorder->events.back(), "success IZMRBooksSearchTask uid=7");
}
