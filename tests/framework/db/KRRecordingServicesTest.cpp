#include "DBTestSupport.h"

#include "framework/core/KRTask.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/db/KRBEEventObject.h"
#include "framework/db/KRBESessionObject.h"
#include "framework/db/KRBehaviorService.h"
#include "framework/db/KRBehaviorTask.h"
#include "framework/db/KRBehaviorTransactionTask.h"
#include "framework/db/KRDBContext.h"
#include "framework/db/KRMonitorService.h"
#include "framework/db/KRSqlite.h"

#include <condition_variable>
#include <fstream>
#include <mutex>

using namespace dbtest;

namespace {

std::shared_ptr<KRBehaviorService> behaviorService(const TempDir& home)
{
    auto service = std::make_shared<KRBehaviorService>();
    service->setHomeDirectory(home.path());
    service->setConfig(pf::Dictionary::create(
        {{"db", pf::Array::create({"KRBESessionObject", "NoSuchClass", "KRBEEventObject", "KRTask"})}}));
    return service;
}

std::shared_ptr<KRBehaviorTask> eventTask(const std::shared_ptr<KRBEEventObject>& event)
{
    auto task = std::make_shared<KRBehaviorTask>();
    task->setDataObject(event);
    return task;
}

} // namespace

TEST(KRMonitorServiceRecording, RecordsEveryTaskWithoutTakingIt)
{
    TempDir home;
    auto monitor = std::make_shared<KRMonitorService>();
    monitor->setHomeDirectory(home.path());
    auto task = std::make_shared<KRTask>();
    EXPECT_FALSE(monitor->handle(proto::IKRAPITask(), task, 0));
    EXPECT_FALSE(monitor->handle(proto::IKRCrashTask(), task, 5));
    settle(monitor->dispatchQueue());
    EXPECT_EQ(rowsOf(monitor, "SELECT rowid, taskType, taskClass, runTime >= 0 FROM KRMonitorObject ORDER BY rowid"),
              (std::vector<std::string>{"1 IKRAPITask KRTask 1", "2 IKRCrashTask KRTask 1"}));
    EXPECT_TRUE(std::filesystem::exists(home.file("Documents/monitor.db")));
}

TEST(KRMonitorServiceRecording, ABurstIsWrittenEvenWhenTheServiceGoesFirst)
{
    TempDir home;
    auto monitor = std::make_shared<KRMonitorService>();
    monitor->setHomeDirectory(home.path());
    auto task = std::make_shared<KRTask>();
    for (int i = 0; i < 3; ++i)
        monitor->handle(proto::IKRAPITask(), task, 0);
    // Released after the records are made, before they reach the database queue.
    pf::RunLoop::main().post([&monitor] { monitor.reset(); });
    pf::RunLoop::main().runUntilIdle();
    ASSERT_FALSE(monitor);
    // The queue finished its work when it went away with the service.
    auto db = KRSqlite::initWithPath(home.file("Documents/monitor.db"));
    ASSERT_TRUE(db.ok());
    EXPECT_EQ(column(db.value()->query("SELECT count(*) FROM KRMonitorObject")), std::vector<std::string>{"3"});
    EXPECT_EQ(column(db.value()->query("PRAGMA journal_mode")), std::vector<std::string>{"wal"})
        << "a log of timings does not wait for the disk on every commit";
}

TEST(KRBehaviorServiceRecording, RegistersOnlyRecordClassesFromTheConfiguration)
{
    TempDir home;
    auto service = behaviorService(home);
    auto other = std::make_shared<KRTask>();
    EXPECT_FALSE(service->handle(proto::IKRAPITask(), other, 0));
    EXPECT_TRUE(service->handle(proto::IKRBehaviorTask(), std::make_shared<KRBehaviorTask>(), 0))
        << "a task without a record is still taken";
    EXPECT_TRUE(service->handle(proto::IKRBehaviorTransactionTask(),
                                KRBehaviorTransactionTask::behaviorTransactionTask(nullptr), 0));
    settle(service->dispatchQueue());
    EXPECT_EQ(rowsOf(service, "SELECT name FROM sqlite_master WHERE type='table' AND name LIKE 'KR%' ORDER BY name"),
              (std::vector<std::string>{"KRBEEventObject", "KRBESessionObject"}));

    auto unlisted = std::make_shared<KRBehaviorService>();
    unlisted->setHomeDirectory(home.path() + "/other");
    unlisted->setConfig(pf::Dictionary::create({{"db", "KRBEEventObject"}}));
    unlisted->handle(proto::IKRBehaviorTransactionTask(), KRBehaviorTransactionTask::behaviorTransactionTask(nullptr), 0);
    settle(unlisted->dispatchQueue());
    EXPECT_TRUE(rowsOf(unlisted, "SELECT name FROM sqlite_master WHERE type='table' AND name LIKE 'KR%'").empty())
        << "a \"db\" value that is not an array registers nothing";
}

TEST(KRBehaviorServiceRecording, ARecordSubmittedTwiceIsInsertedThenUpdated)
{
    TempDir home;
    auto service = behaviorService(home);
    auto event = std::make_shared<KRBEEventObject>();
    event->setSession("s1");
    event->setEventId("open");
    // Submitted twice before the main queue ran: the second is still an update.
    service->handle(proto::IKRBehaviorTask(), eventTask(event), 0);
    const double first = event->timestamp();
    EXPECT_GT(first, 1.6e9);
    service->handle(proto::IKRBehaviorTask(), eventTask(event), 0);
    settle(service->dispatchQueue());
    EXPECT_EQ(event->rowid(), 1) << "the submitter learns the rowid on the main queue";
    event->setTag("later");
    service->handle(proto::IKRBehaviorTask(), eventTask(event), 0);
    settle(service->dispatchQueue());
    EXPECT_EQ(rowsOf(service, "SELECT rowid, session, eventId, tag, timestamp >= " + std::to_string(first) +
                                  " FROM KRBEEventObject"),
              std::vector<std::string>{"1 s1 open later 1"});
}

TEST(KRBehaviorServiceRecording, TheQueueWritesTheRecordAsSubmitted)
{
    TempDir home;
    auto service = behaviorService(home);
    // Hold the queue until the submitter has changed its object.
    std::mutex mutex;
    std::condition_variable wake;
    bool release = false;
    service->handle(proto::IKRBehaviorTransactionTask(),
                    KRBehaviorTransactionTask::behaviorTransactionTask([&](KRDBContext&) {
                        std::unique_lock lock(mutex);
                        wake.wait(lock, [&] { return release; });
                    }),
                    0);
    auto event = std::make_shared<KRBEEventObject>();
    event->setTag("as submitted");
    service->handle(proto::IKRBehaviorTask(), eventTask(event), 0);
    event->setTag("changed afterwards");
    {
        std::lock_guard lock(mutex);
        release = true;
    }
    wake.notify_all();
    settle(service->dispatchQueue());
    EXPECT_EQ(rowsOf(service, "SELECT tag FROM KRBEEventObject"), std::vector<std::string>{"as submitted"});
}

TEST(KRBehaviorServiceRecording, CleanupRemovesRowsUpToTheRowidOfItsTableOnly)
{
    TempDir home;
    auto service = behaviorService(home);
    auto fill = KRBehaviorTransactionTask::behaviorTransactionTask([](KRDBContext& context) {
        for (int i = 0; i < 15; ++i) {
            context.insertObject(std::make_shared<KRBEEventObject>());
            context.insertObject(std::make_shared<KRBESessionObject>());
        }
    });
    service->handle(proto::IKRBehaviorTransactionTask(), fill, 0);
    service->handle(proto::IKRBehaviorTransactionTask(),
                    KRBehaviorTransactionTask::behaviorCleanupTask(10, pf::Class::named("KRBEEventObject")), 0);
    settle(service->dispatchQueue());
    EXPECT_EQ(rowsOf(service, "SELECT min(rowid), count(*) FROM KRBEEventObject"), std::vector<std::string>{"11 5"});
    EXPECT_EQ(rowsOf(service, "SELECT count(*) FROM KRBESessionObject"), std::vector<std::string>{"15"});
}

TEST(KRBehaviorServiceRecording, AnUnreadableDatabaseFailsQuietly)
{
    TempDir home;
    std::filesystem::create_directories(home.file("Documents"));
    std::ofstream(home.file("Documents/behavior.db")) << std::string(8192, 'z');
    auto service = behaviorService(home);
    bool ran = false;
    service->handle(proto::IKRBehaviorTransactionTask(),
                    KRBehaviorTransactionTask::behaviorTransactionTask([&](KRDBContext&) { ran = true; }), 0);
    service->handle(proto::IKRBehaviorTask(), eventTask(std::make_shared<KRBEEventObject>()), 0);
    settle(service->dispatchQueue());
    EXPECT_FALSE(ran);
    EXPECT_EQ(service->dbContext(), nullptr);

    TempDir blocked;
    std::ofstream(blocked.file("Documents")) << "a file where the folder should be";
    auto monitor = std::make_shared<KRMonitorService>();
    monitor->setHomeDirectory(blocked.path());
    EXPECT_FALSE(monitor->handle(proto::IKRAPITask(), std::make_shared<KRTask>(), 0));
    settle(monitor->dispatchQueue());
    monitor->dispatchQueue()->sync([&] { EXPECT_EQ(monitor->dbContext(), nullptr); });
}

TEST(KRBESession, EachSessionGetsItsOwnIdentifier)
{
    EXPECT_NE(KRBESessionObject::genSession(), KRBESessionObject::genSession());
}
