#include "AnalyticsTestSupport.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Reachability.h"
#include "sdk/analytics/MCA4ZCDataConfigHolder.h"
#include "sdk/analytics/MCA4ZCHelper.h"
#include "sdk/analytics/TXJSONDecoder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sqlite3.h>

using namespace analytics_test;
using Kind = zmr::AnalyticsServer::AnswerKind;

namespace {

std::string customEvent(int n, std::string extra = {})
{
    return "{\"ts\":" + std::to_string(1000 + n) + ",\"si\":1,\"et\":1000,\"ei\":\"e" + std::to_string(n) + "\"" +
           extra + "}";
}

class UploadTest : public ServedTest {
protected:
    void SetUp() override
    {
        ServedTest::SetUp();
        m_store = MCA4ZCStore::getInstance();
    }
    void TearDown() override
    {
        m_store.reset();
        ServedTest::TearDown();
    }
    void storeEvents(int count, int from = 0)
    {
        for (int i = from; i < from + count; ++i)
            m_store->storeEvent(customEvent(i), 1000 + i);
        drain();
    }
    std::shared_ptr<MCA4ZCStore> m_store;
};

}

TEST(MCA4ZCHelperBytes, RC4MatchesThePublishedVectorAndInvertsItself)
{
    pf::Bytes plain = {'P', 'l', 'a', 'i', 'n', 't', 'e', 'x', 't'};
    pf::Bytes data = plain;
    MCA4ZCHelper::ChiperRC4(data, "Key");
    EXPECT_EQ(data, (pf::Bytes{0xBB, 0xF3, 0x16, 0xE8, 0xD9, 0x40, 0xAF, 0x0A, 0xD3}));
    MCA4ZCHelper::ChiperRC4(data, "Key");
    EXPECT_EQ(data, plain);
}

// The address is kept between events, but never across a change of the
// interface chosen for "en0", and a change notice drops it.
TEST(MCA4ZCHelperAddress, TheKeptAddressFollowsTheChosenInterface)
{
    const struct {
        const char* chosen;
        bool notice;
        const char* expected;
    } rows[] = {
        {"lo", false, "00:00:00:00:00:00"},
        {"lo", false, "00:00:00:00:00:00"},
        {"zmr-missing0", false, "if_nametoindex failure"},
        {"zmr-missing0", true, "if_nametoindex failure"},
        {"lo", true, "00:00:00:00:00:00"},
        {"lo", false, "00:00:00:00:00:00"},
    };
    for (const auto& row : rows) {
        ::setenv("ZMR_NET_INTERFACE", row.chosen, 1);
        if (row.notice)
            pf::reachabilityChanged();
        EXPECT_EQ(MCA4ZCHelper::getMacAddress(), row.expected) << row.chosen;
        EXPECT_EQ(MCA4ZCHelper::readMacAddress(), row.expected) << row.chosen;
    }
    ::unsetenv("ZMR_NET_INTERFACE");
}

TEST(MCA4ZCDispatcherPayload, SmallBodiesGoPlainLargeOnesGzippedBehindTheirLength)
{
    for (std::size_t size : {255u, 256u, 70000u}) {
        pf::Bytes body(size, 'a');
        pf::Bytes payload;
        std::string encoding;
        ASSERT_TRUE(MCA4ZCDispatcher::makePayload(body, &payload, &encoding));
        std::string error;
        // The collector's reading checks the length prefix against what inflates.
        auto decoded = zmr::AnalyticsServer::decodeBody(encoding, std::string(payload.begin(), payload.end()), &error);
        EXPECT_EQ(decoded.value_or(error), std::string(size, 'a'));
        EXPECT_EQ(encoding, size < 256 ? "rc4" : "rc4,gzip") << size;
    }
}

TEST_F(UploadTest, OversizedRepliesAreNotReadAndEmptySendsAreNotMade)
{
    // Plain and enciphered replies that do apply are walked end to end.
    MCA4ZCDataConfigHolder::initSingleton(m_store);
    // A reply past 1 MiB is not read: the upload counts, the reply changes nothing.
    MCA4ZCConfig::getInstance().reportStrategy = 3;
    m_server->script({Kind::Config, "{\"cfg\":{\"1\":{\"c\":{\"rs\":2},\"v\":9,\"m\":\"" + std::string(2 << 20, 'x') + "\"}}}"});
    auto outcome = MCA4ZCDispatcher::Outcome::Failed;
    MCA4ZCDispatcher::getInstance()->send({customEvent(2)}, [&](MCA4ZCDispatcher::Outcome o) { outcome = o; });
    drain();
    EXPECT_EQ(outcome, MCA4ZCDispatcher::Outcome::Sent);
    EXPECT_EQ(MCA4ZCConfig::getInstance().reportStrategy.load(), 3);
    int calls = 0;
    MCA4ZCDispatcher::getInstance()->send({}, [&](MCA4ZCDispatcher::Outcome) { ++calls; });
    drain();
    EXPECT_EQ(calls, 0);
}

TEST_F(UploadTest, ChunksOfThirtyUntilNoneIsLeft)
{
    storeEvents(75);
    EXPECT_EQ(m_store->storedEventCount(), 75u);
    m_store->sendCachedEvents(-1);
    ASSERT_TRUE(waitFor([&] { return m_store->storedEventCount() == 0 && m_server->events().size() == 75; }));
    EXPECT_EQ(m_server->requestCount(), 3u);
    EXPECT_EQ(objectFromJSONString(m_server->events()[0]).dictionary()->string("ei"), "e0");
    EXPECT_EQ(objectFromJSONString(m_server->events()[74]).dictionary()->string("ei"), "e74");
}

TEST_F(UploadTest, FailedUploadsRetryTwiceThenDrop)
{
    storeEvents(1);
    for (int attempt = 1; attempt <= 3; ++attempt) {
        m_server->script({attempt == 2 ? Kind::Drop : Kind::Status500, {}});
        m_store->sendCachedEvents(-1);
        drain();
        auto rows = m_store->allEvents();
        if (attempt < 3) {
            ASSERT_EQ(rows.size(), 1u);
            EXPECT_EQ(rows[0].sendCount, static_cast<std::uint32_t>(attempt));
            EXPECT_EQ(rows[0].status, 1u);
        } else {
            EXPECT_TRUE(rows.empty());
        }
    }
    EXPECT_TRUE(m_server->events().empty());
}

TEST_F(UploadTest, UploadsWithoutAnAddressAreNoTriesAndTheEventsWait)
{
    storeEvents(2);
    MCA4ZCDispatcher::getInstance()->setBaseURL({});
    for (int attempt = 1; attempt <= 4; ++attempt) {
        m_store->sendCachedEvents(-1);
        drain();
    }
    auto rows = m_store->allEvents();
    ASSERT_EQ(rows.size(), 2u);
    for (const auto& row : rows) {
        EXPECT_EQ(row.sendCount, 0u);
        EXPECT_EQ(row.status, 1u);
    }
    EXPECT_EQ(m_store->storedEventCount(), 2u);
    EXPECT_EQ(m_server->requestCount(), 0u);

    MCA4ZCDispatcher::getInstance()->setBaseURL(m_server->baseURL());
    m_store->sendCachedEvents(-1);
    ASSERT_TRUE(waitFor([&] { return m_server->events().size() == 2 && m_store->allEvents().empty(); }));
}

TEST_F(UploadTest, ValuesAreStoredIntactAndTheOldestGoWhenFull)
{
    std::string quoted = customEvent(1, ",\"ar\":[\"it's; drop table events; --\",\"" + std::string(1500, 'x') + "\"]");
    m_store->storeEvent(quoted, 1);
    drain();
    ASSERT_EQ(m_store->allEvents().size(), 1u);
    EXPECT_EQ(m_store->allEvents()[0].content, quoted);

    MCA4ZCConfig::getInstance().maxStoreEventCount = 4;
    storeEvents(3, 10);
    m_store->storeEvent(customEvent(99), 5000);
    drain();
    auto rows = m_store->allEvents();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].ts, 1010u);
    EXPECT_EQ(m_store->storedEventCount(), 4u);
}

TEST_F(UploadTest, InterruptedUploadsWaitAgainAfterARestartAndACorruptFileIsReplaced)
{
    storeEvents(2);
    m_store->updateEvents(m_store->allEvents(), 2);
    drain();
    EXPECT_EQ(m_store->getStoredEventsNum(), 0u);
    m_store.reset();
    restart();
    m_store = MCA4ZCStore::getInstance();
    EXPECT_EQ(m_store->getStoredEventsNum(), 2u);
    EXPECT_EQ(m_store->storedEventCount(), 2u);

    // A corrupt file is replaced.
    std::string path = m_store->path();
    m_store.reset();
    restart();
    std::ofstream(path, std::ios::trunc) << std::string(4096, 'z');
    m_store = MCA4ZCStore::getInstance();
    storeEvents(1);
    EXPECT_EQ(m_store->getStoredEventsNum(), 1u);
}

// The count of waiting rows is kept in memory as rows change; after every
// kind of change it must still match the database, whatever status the
// touched rows had before.
TEST_F(UploadTest, TheKeptWaitingCountFollowsEveryChange)
{
    storeEvents(4);
    auto rows = m_store->allEvents();
    ASSERT_EQ(rows.size(), 4u);
    auto pick = [&](std::initializer_list<int> at) {
        std::vector<MCA4ZCStoreEvent> events;
        for (int i : at)
            events.push_back(rows[static_cast<std::size_t>(i)]);
        return events;
    };
    struct Step {
        const char* what;
        std::function<void()> change;
        std::uint32_t waiting;
    };
    const Step steps[] = {
        {"hand two to an upload", [&] { m_store->updateEvents(pick({0, 1}), 2); }, 2},
        {"hand the same two again", [&] { m_store->updateEvents(pick({0, 1}), 2); }, 2},
        {"one handed row fails", [&] { m_store->updateSendFailedEvents(pick({0})); }, 3},
        {"a waiting row fails", [&] { m_store->updateSendFailedEvents(pick({2})); }, 3},
        {"a handed and a waiting row go", [&] { m_store->deleteEvents(pick({1, 3})); }, 2},
        {"a deleted row goes again", [&] { m_store->deleteEvents(pick({1})); }, 2},
        {"all wait again", [&] { m_store->updateEvents(m_store->allEvents(), 1); }, 2},
        {"a third failure drops a row", [&] {
             auto events = pick({0});
             events[0].sendCount = 2;
             m_store->updateSendFailedEvents(events);
         }, 1},
        {"a handed row shares the oldest time", [&] {
             MCA4ZCConfig::getInstance().maxStoreEventCount = 2;
             m_store->storeEvent(customEvent(50), 1);
             drain();
             m_store->updateEvents({m_store->allEvents()[0]}, 2);
             m_store->storeEvent(customEvent(51), 2000);
             m_store->storeEvent(customEvent(52), 2001);
         }, 3},
    };
    for (const auto& step : steps) {
        step.change();
        drain();
        EXPECT_EQ(m_store->storedEventCount(), step.waiting) << step.what;
        EXPECT_EQ(m_store->getStoredEventsNum(), step.waiting) << step.what;
    }
}

// The store keeps its statements between runs: none may hold a lock once its
// run is over (another connection gets the file to itself after each kind of
// run), closing must really let go of the file, and a file spoiled under the
// open store is replaced without touching statements of the old connection.
TEST_F(UploadTest, KeptStatementsHoldNoLockAndLetTheFileGo)
{
    storeEvents(3);
    std::string path = m_store->path();
    auto othersGetTheFile = [&] {
        sqlite3* other = nullptr;
        bool ok = sqlite3_open(path.c_str(), &other) == SQLITE_OK &&
                  sqlite3_exec(other, "BEGIN EXCLUSIVE; COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_close(other);
        return ok;
    };
    auto fileIsOpen = [&] {
        for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
            std::error_code error;
            if (std::filesystem::read_symlink(entry.path(), error) == path)
                return true;
        }
        return false;
    };
    struct Step {
        const char* what;
        std::function<void()> run;
    };
    const Step steps[] = {
        {"store", [&] { storeEvents(2, 10); }},
        {"load a chunk", [&] { EXPECT_EQ(m_store->loadCachedEvents().size(), 5u); }},
        {"count", [&] { EXPECT_EQ(m_store->getStoredEventsNum(), 5u); }},
        {"hand over", [&] { m_store->updateEvents(m_store->allEvents(), 2); }},
        {"fail once", [&] { m_store->updateSendFailedEvents(m_store->allEvents()); }},
        {"delete", [&] { m_store->deleteEvents({m_store->allEvents()[0]}); }},
        {"user", [&] { EXPECT_TRUE(m_store->loadUser()); }},
        {"config", [&] {
             m_store->storeConfig(MCA4ZCDataConfig{1, 2, "d", "{}"});
             int rows = 0;
             m_store->loadConfig([&](const MCA4ZCDataConfig&) { ++rows; });
             EXPECT_EQ(rows, 1);
         }},
    };
    for (const auto& step : steps) {
        step.run();
        drain();
        EXPECT_TRUE(othersGetTheFile()) << step.what;
    }
    EXPECT_EQ(m_store->getStoredEventsNum(), 4u);

    m_store->close();
    drain();
    EXPECT_FALSE(fileIsOpen());
    // The next use opens the file again with statements of its own.
    storeEvents(1, 20);
    EXPECT_EQ(m_store->getStoredEventsNum(), 5u);

    std::ofstream(path, std::ios::in | std::ios::out) << std::string(4096, 'z');
    m_store->storeEvent(customEvent(30), 1030); // fails on the spoiled file, which is replaced
    storeEvents(1, 31);
    EXPECT_EQ(m_store->getStoredEventsNum(), 1u);
    EXPECT_TRUE(othersGetTheFile());
}
