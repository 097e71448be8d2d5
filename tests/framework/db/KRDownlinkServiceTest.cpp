#include "DBTestSupport.h"

#include "framework/core/KRJSON.h"
#include "framework/core/KRTask.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/db/KRDownlinkService.h"
#include "platform/foundation/FileSystem.h"

#include <cmath>
#include <future>

using namespace dbtest;

namespace {

pf::Value list(const pf::Value& item)
{
    return pf::Value(pf::Array::create({item}));
}

class TestDownlinkA : public KRDownlinkService {};
class TestDownlinkB : public KRDownlinkService {};
// Caches nothing: no data key.
class TestDownlinkNoKey : public KRDownlinkService {
public:
    std::optional<std::string> dataKey(const pf::ObjectRef&, const pf::Protocol*) override { return std::nullopt; }
};

class ListTask : public KRTask, public virtual IKRDownlinkTask {
public:
    std::vector<std::string> events;
    std::vector<pf::Date> dates;
    bool isSkipCached() const override { return false; }
    void setSkipCached(bool) override {}
    void krDownlinkTaskDidLoadedFromCache(const pf::Value& data, pf::Date timestamp, const pf::Protocol*) override
    {
        events.push_back("cache " + KRJSON::encodeObject(data));
        dates.push_back(timestamp);
    }
    void krDownlinkTaskDidLoaded(const pf::Value& data, const pf::Protocol*) override { events.push_back("loaded " + KRJSON::encodeObject(data)); }
    void krDownlinkTaskDidFitalError(const pf::Error& error, const pf::Protocol*) override
    {
        events.push_back("error " + std::to_string(error.code));
    }
};

// Changes the rows it is given, as list screens do (they keep their row
// documents in them).
class MarkingTask : public ListTask {
public:
    void krDownlinkTaskDidLoaded(const pf::Value& data, const pf::Protocol* type) override
    {
        ListTask::krDownlinkTaskDidLoaded(data, type);
        if (auto rows = data.array())
            for (std::size_t i = 0; i < rows->count(); ++i)
                if (auto row = rows->at(i).dictionary())
                    row->set("seen", pf::Value(true));
    }
};

// An answer's object that notes where it is read: encoding reads its property.
class ReadProbe : public pf::Object {
public:
    std::string where() const
    {
        readOnMain.push_back(pf::RunLoop::main().isMainThread());
        return "read";
    }
    mutable std::vector<bool> readOnMain;
};

class KRDownlinkCache : public ::testing::Test {
protected:
    void SetUp() override
    {
        static bool registered = false;
        if (!registered) {
            registered = true;
            pf::ClassBuilder<TestDownlinkA>("TestDownlinkA").superclass<KRDownlinkService>().adopts(proto::IKRService()).commit();
            pf::ClassBuilder<TestDownlinkB>("TestDownlinkB").superclass<KRDownlinkService>().adopts(proto::IKRService()).commit();
            pf::ClassBuilder<TestDownlinkNoKey>("TestDownlinkNoKey").superclass<KRDownlinkService>().adopts(proto::IKRService()).commit();
            pf::ClassBuilder<ReadProbe>("KRDownlinkTestReadProbe").readonlyProperty("where", &ReadProbe::where).commit();
        }
        pf::setHomeDirectory(home.path());
        KRDownlinkService::resetSharedCache();
    }
    void TearDown() override { KRDownlinkService::resetSharedCache(); }

    static bool waitFor(const std::function<bool()>& predicate)
    {
        return pf::RunLoop::main().runUntil(predicate, pf::Seconds(5));
    }
    static void settle() { dbtest::settle(KRDownlinkService::dispatchQueue()); }
    static std::vector<std::string> rows()
    {
        return rowsOn(KRDownlinkService::dispatchQueue(), [] { return KRDownlinkService::dbContext(); },
                      "SELECT [service], [key], [jsonString] FROM [KRDownlinkServiceDBObject] ORDER BY [rowid]");
    }

    TempDir home;
    const pf::Protocol* type = proto::IKRDownlinkTask();
};

}

TEST_F(KRDownlinkCache, CachedAnswerComesFirstThenTheFreshOne)
{
    const double start = std::floor(pf::Date::now().seconds);
    auto service = std::make_shared<TestDownlinkA>();
    auto first = std::make_shared<ListTask>();
    service->krDownlinkTaskDidResponse(first, list("one"), true, type);
    EXPECT_TRUE(first->events.empty()) << "delivered inside the call";
    ASSERT_TRUE(waitFor([&] { return !first->events.empty(); }));
    EXPECT_EQ(first->events, std::vector<std::string>{"loaded [\"one\"]"});
    settle();

    auto second = std::make_shared<ListTask>();
    service->krDownlinkTaskDidLoadedFromCache(second, type);
    service->krDownlinkTaskDidResponse(second, list("two"), true, type);
    ASSERT_TRUE(waitFor([&] { return second->events.size() == 2; }));
    EXPECT_EQ(second->events, (std::vector<std::string>{"cache [\"one\"]", "loaded [\"two\"]"}));
    // The copy's date is when it was stored: within this test, never later than now.
    EXPECT_GE(second->dates[0].seconds, start);
    EXPECT_LE(second->dates[0].seconds, pf::Date::now().seconds);
    settle();
    EXPECT_EQ(rows(), std::vector<std::string>{"TestDownlinkA IKRDownlinkTask [\"two\"]"});
}

TEST_F(KRDownlinkCache, RowsAreKeptPerServiceClassAndKey)
{
    auto a = std::make_shared<TestDownlinkA>();
    auto b = std::make_shared<TestDownlinkB>();
    auto task = std::make_shared<ListTask>();
    a->krDownlinkTaskDidResponse(task, list(1), true, type);
    b->krDownlinkTaskDidResponse(task, list(2), true, type);
    a->krDownlinkTaskDidResponse(task, list(3), true, type);
    a->krDownlinkTaskDidResponse(task, list(4), false, type);
    settle();
    EXPECT_EQ(rows(), (std::vector<std::string>{"TestDownlinkA IKRDownlinkTask [3]", "TestDownlinkB IKRDownlinkTask [2]"}));
    EXPECT_EQ(task->events, (std::vector<std::string>{"loaded [1]", "loaded [2]", "loaded [3]", "loaded [4]"}));

    auto noKey = std::make_shared<TestDownlinkNoKey>();
    auto other = std::make_shared<ListTask>();
    noKey->krDownlinkTaskDidResponse(other, list(5), true, type);
    noKey->krDownlinkTaskDidLoadedFromCache(other, type);
    settle();
    EXPECT_EQ(other->events, std::vector<std::string>{"loaded [5]"});
    EXPECT_EQ(rows().size(), 2u);
}

TEST_F(KRDownlinkCache, FailuresArriveAtOnceAndLeaveTheCache)
{
    auto service = std::make_shared<TestDownlinkA>();
    auto task = std::make_shared<ListTask>();
    service->krDownlinkTaskDidResponse(task, list("kept"), true, type);
    settle();
    service->krDownlinkTaskDidFitalError(task, pf::Error{"x", 7, ""}, type);
    EXPECT_EQ(task->events.back(), "error 7");
    // At once even while a cached copy is on its way to the same task.
    service->krDownlinkTaskDidLoadedFromCache(task, type);
    service->krDownlinkTaskDidFitalError(task, pf::Error{"x", 8, ""}, type);
    EXPECT_EQ(task->events.back(), "error 8");
    settle();
    EXPECT_EQ(std::vector<std::string>(task->events.end() - 2, task->events.end()),
              (std::vector<std::string>{"error 8", "cache [\"kept\"]"}));
    EXPECT_EQ(rows(), std::vector<std::string>{"TestDownlinkA IKRDownlinkTask [\"kept\"]"});
}

TEST_F(KRDownlinkCache, CancelDropsWhatIsStillOnItsWay)
{
    auto service = std::make_shared<TestDownlinkA>();
    auto seed = std::make_shared<ListTask>();
    service->krDownlinkTaskDidResponse(seed, list("old"), true, type);
    settle();

    auto task = std::make_shared<ListTask>();
    service->krDownlinkTaskDidLoadedFromCache(task, type);
    service->krDownlinkTaskDidResponse(task, list("new"), false, type);
    EXPECT_TRUE(service->cancelHandle(type, task));
    settle();
    EXPECT_TRUE(task->events.empty());

    // Loading again after the cancel is heard as usual.
    service->krDownlinkTaskDidLoadedFromCache(task, type);
    ASSERT_TRUE(waitFor([&] { return !task->events.empty(); }));
    EXPECT_EQ(task->events, std::vector<std::string>{"cache [\"old\"]"});
}

TEST_F(KRDownlinkCache, AnUnusableCacheFileTurnsCachingOffButNotDelivery)
{
    KRDownlinkService::resetSharedCache();
    ASSERT_TRUE(pf::createDirectories(pf::documentsDirectory()));
    std::ofstream(pf::documentsDirectory() + "/KRDownlinkService.db") << "this is not a database, only some text that is long enough";
    auto service = std::make_shared<TestDownlinkA>();
    auto task = std::make_shared<ListTask>();
    service->krDownlinkTaskDidLoadedFromCache(task, type);
    service->krDownlinkTaskDidResponse(task, list("fresh"), true, type);
    ASSERT_TRUE(waitFor([&] { return !task->events.empty(); }));
    settle();
    EXPECT_EQ(task->events, std::vector<std::string>{"loaded [\"fresh\"]"});
    EXPECT_TRUE(rows().empty());
}

TEST_F(KRDownlinkCache, WhatIsStoredIsTheAnswerAsItCame)
{
    auto service = std::make_shared<TestDownlinkA>();
    // Alone, then behind a cached copy on its way to the same task.
    for (bool behindCopy : {false, true}) {
        auto task = std::make_shared<MarkingTask>();
        if (behindCopy)
            service->krDownlinkTaskDidLoadedFromCache(task, type);
        auto row = pf::Dictionary::create({{"n", pf::Value(behindCopy ? 2 : 1)}});
        service->krDownlinkTaskDidResponse(task, list(pf::Value(row)), true, type);
        ASSERT_TRUE(waitFor([&] { return row->get("seen").boolValue(); })) << behindCopy;
        settle();
        EXPECT_EQ(rows(), std::vector<std::string>{"TestDownlinkA IKRDownlinkTask [{\"n\":" + std::string(behindCopy ? "2" : "1") + "}]"})
            << behindCopy;
    }
}

TEST_F(KRDownlinkCache, FreshAnswersPassThroughTheCacheQueueAndAreEncodedThere)
{
    auto service = std::make_shared<TestDownlinkA>();
    for (bool isCache : {true, false}) {
        auto task = std::make_shared<ListTask>();
        auto probe = std::make_shared<ReadProbe>();
        std::promise<void> open;
        std::shared_future<void> opened = open.get_future().share();
        KRDownlinkService::dispatchQueue()->async([opened] { opened.wait(); });
        service->krDownlinkTaskDidResponse(task, list(pf::Value(probe)), isCache, type);
        pf::RunLoop::main().runUntilIdle();
        EXPECT_TRUE(task->events.empty()) << "the answer waits for the cache queue's turn " << isCache;
        open.set_value();
        ASSERT_TRUE(waitFor([&] { return !task->events.empty(); })) << isCache;
        settle();
        // Encoded once for the cache, off the main queue, then by the task's own log.
        ASSERT_FALSE(probe->readOnMain.empty()) << isCache;
        EXPECT_EQ(probe->readOnMain.front(), !isCache) << isCache;
        EXPECT_EQ(task->events, std::vector<std::string>{"loaded [{\"where\":\"read\"}]"}) << isCache;
    }
    EXPECT_EQ(rows(), std::vector<std::string>{"TestDownlinkA IKRDownlinkTask [{\"where\":\"read\"}]"});
}
