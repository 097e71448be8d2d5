#include "ServicesTestSupport.h"

#include "app/services/ZMRShell.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/KRTask.h"
#include "framework/db/KRDBContext.h"
#include "framework/db/KRSqlite.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/NotificationCenter.h"

#include <cmath>

namespace {

class ZMRContextState : public ::testing::Test {
protected:
    void SetUp() override
    {
        registerServicesTestClasses();
        busRecord() = &bus;
        pf::LocationProvider::setLocationServicesEnabled(true);
        pf::LocationProvider::shared().setConfiguredPosition(std::nullopt);
        observer = std::make_shared<int>(0);
        for (const char* name : {ZMRUserChangedNotification, ZMRUserInfoChangedNotification, ZMRLocationChangedNotification})
            pf::NotificationCenter::defaultCenter().addObserver(name, observer, [this](const pf::Notification& n) {
                notifications.push_back(n.name);
            });
        shell = makeShell();
    }
    void TearDown() override
    {
        shell.reset();
        busRecord() = nullptr;
        pf::LocationProvider::setLocationServicesEnabled(true);
    }

    static std::shared_ptr<ZMRShell> makeShell()
    {
        auto services = pf::Array::create({serviceEntry("TestRecordingService", {"IZMRLogoutTask", "IZMRConcernTask", "IZMRCoinTask"})});
        return ZMRShell::create(pf::Dictionary::create({{"services", services}}), nullptr);
    }

    TemporaryHome home;
    BusRecord bus;
    std::shared_ptr<int> observer;
    std::vector<std::string> notifications;
    std::shared_ptr<ZMRShell> shell;
};

}

TEST_F(ZMRContextState, EverySetterIsStoredAcrossARestart)
{
    shell->setAuth(pf::Value(42), "tok");
    notifications.clear();
    shell->setAccount("ann");
    shell->setNick("Ann");
    shell->setIntegral(1LL << 40);
    shell->setUserInfo(pf::Value(pf::Dictionary::create({{"nick", "Ann"}})));
    shell->setVoxlyToken("vx");
    shell->setZzToken("zz");
    shell->setDeviceToken("dev");
    shell->setConcernVersion(7);

    pf::UserDefaults::resetStandard();
    auto again = makeShell();
    EXPECT_EQ(again->uid(), pf::Value(42));
    EXPECT_EQ(again->token(), "tok");
    EXPECT_EQ(again->account(), "ann");
    EXPECT_EQ(again->nick(), "Ann");
    EXPECT_EQ(again->integral(), 1LL << 40);
    EXPECT_EQ(again->userInfo().dictionary()->string("nick"), "Ann");
    EXPECT_EQ(again->voxlyToken(), "vx");
    EXPECT_EQ(again->zzToken(), "zz");
    EXPECT_EQ(again->deviceToken(), "dev");
    EXPECT_EQ(again->concernVersion(), 7);

    again->setVoxlyToken(std::nullopt);
    pf::UserDefaults::resetStandard();
    EXPECT_FALSE(makeShell()->voxlyToken());
    EXPECT_EQ(notifications, std::vector<std::string>{ZMRUserInfoChangedNotification});
}

TEST_F(ZMRContextState, ServerTimeAdvancesWithTheLocalClock)
{
    double now = pf::Date::now().seconds;
    EXPECT_NEAR(shell->timestamp(), now, 1.0);
    shell->setTimestamp(now + 100);
    // Received 50 s ago by the local clock: the server's clock moved on as much.
    auto& defaults = pf::UserDefaults::standard();
    defaults.setObject(defaults.doubleForKey("timestamp-local") - 50, "timestamp-local");
    EXPECT_NEAR(shell->timestamp() - pf::Date::now().seconds, 150, 1.0);
    // A time that is not finite is not a server time.
    shell->setTimestamp(std::nan(""));
    EXPECT_NEAR(shell->timestamp() - pf::Date::now().seconds, 150, 1.0);
}

TEST_F(ZMRContextState, ServerTimesTheWrittenClockKeepsAreNotWrittenAgain)
{
    auto& defaults = pf::UserDefaults::standard();
    double start = pf::Date::now().seconds;
    struct Row {
        double ahead; // the server time given, seconds ahead of the local clock at the start
        double written; // the server time the file then holds
    };
    const Row rows[] = {
        {100, 100},  // the first of the run is written
        {100.6, 100}, // within a second of what the file keeps
        {99.5, 100},
        {160, 160},  // the server clock jumped
        {158.8, 158.8},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.ahead);
        shell->setTimestamp(start + row.ahead);
        EXPECT_EQ(defaults.doubleForKey("timestamp"), start + row.ahead) << "the running clock takes every answer";
        pf::UserDefaults file(defaults.path());
        EXPECT_EQ(file.doubleForKey("timestamp"), start + row.written);
        EXPECT_GT(file.doubleForKey("timestamp-local"), start - 1);
    }
}

TEST_F(ZMRContextState, SigningOutTellsTheServerOnceAndClearsThePoints)
{
    shell->setAuth(pf::Value(42), "t42");
    EXPECT_EQ(bus.types, (std::vector<std::string>{"IZMRConcernTask", "IZMRCoinTask"}));
    EXPECT_EQ(std::dynamic_pointer_cast<IKRTask>(bus.tasks[0])->source(), shell);
    shell->setIntegral(50);
    shell->setConcernVersion(3);
    shell->setHasConcernChanged(true);
    bus = {};

    shell->logout(false);
    EXPECT_EQ(bus.types, std::vector<std::string>{"IZMRLogoutTask"});
    EXPECT_EQ(shell->integral(), 0);
    EXPECT_TRUE(shell->uid().isNil());
    EXPECT_FALSE(shell->token());
    EXPECT_EQ(shell->concernVersion(), 0);
    EXPECT_FALSE(shell->hasConcernChanged());

    shell->setAuth(pf::Value(), std::nullopt);
    EXPECT_EQ(bus.types.size(), 1u);
    EXPECT_EQ(countOf(notifications, ZMRUserChangedNotification), 3u);
}

TEST_F(ZMRContextState, AnotherUserGetsADatabaseFileOfTheirOwn)
{
    shell->setAuth(pf::Value(7), "a");
    auto first = shell->userDBContext();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, shell->userDBContext());
    EXPECT_EQ(first->db()->path(), home.path() + "/Documents/u_7.db");
    bus = {};
    // Another user signing in is not a sign-out.
    shell->setAuth(pf::Value("bo_b-2"), "b");
    EXPECT_EQ(bus.count("IZMRLogoutTask"), 0u);
    ASSERT_NE(shell->userDBContext(), nullptr);
    EXPECT_EQ(shell->userDBContext()->db()->path(), home.path() + "/Documents/u_bo_b-2.db");
}

TEST_F(ZMRContextState, OnlyPlainUserIdsNameADatabase)
{
    struct Row {
        pf::Value uid;
        std::optional<std::string> name;
    } rows[] = {
        {pf::Value(12), "12"}, {pf::Value(-3LL), "-3"}, {pf::Value(1LL << 33), "8589934592"}, {pf::Value(5.0), "5"},
        {pf::Value("abc_DEF-9"), "abc_DEF-9"}, {pf::Value(), std::nullopt}, {pf::Value::null(), std::nullopt},
        {pf::Value(""), std::nullopt}, {pf::Value("../x"), std::nullopt}, {pf::Value("a/b"), std::nullopt},
        {pf::Value("a.db"), std::nullopt}, {pf::Value(2.5), std::nullopt}, {pf::Value(std::nan("")), std::nullopt},
        {pf::Value::boolean(true), std::nullopt}, {pf::Value(pf::Dictionary::create()), std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.uid.description());
        EXPECT_EQ(ZMRUserDBName(row.uid), row.name);
    }
    // Without a usable user id there is no per-user database at all.
    EXPECT_EQ(shell->userDBContext(), nullptr);
    shell->setAuth(pf::Value("../../etc"), "t");
    EXPECT_EQ(shell->userDBContext(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(home.path() + "/Documents/u_(null).db"));
}

TEST_F(ZMRContextState, PositionAgeDecidesWhetherToUpdate)
{
    EXPECT_TRUE(shell->isNeedsUpdateLocation());
    double now = pf::Date::now().seconds;
    shell->didUpdateUserLocation({30, 120, pf::Date{now - 61}});
    EXPECT_TRUE(shell->isNeedsUpdateLocation());
    shell->didUpdateUserLocation({30, 120, pf::Date{now - 59.5}});
    EXPECT_FALSE(shell->isNeedsUpdateLocation());
    EXPECT_EQ(countOf(notifications, ZMRLocationChangedNotification), 2u);
}

TEST_F(ZMRContextState, DistanceIsTheGreatCircleOrASpecialValue)
{
    EXPECT_EQ(shell->distance(10, 10), -2.0);
    shell->didUpdateUserLocation({0, 0, pf::Date::now()});
    EXPECT_EQ(shell->distance(10, 10), -2.0);

    struct Row {
        double ownLat, ownLon, lat, lon, metres;
    } rows[] = {
        {10, 20, 11, 20, 111319.49},
        {0, 20, 0, 21, 111319.49},
        {0, 1e-9, 0, 1e-9, 0},
        {0, 0.5, 0, -179.5, 20037508.34},
    };
    for (const Row& row : rows) {
        shell->didUpdateUserLocation({row.ownLat, row.ownLon, pf::Date::now()});
        EXPECT_NEAR(shell->distance(row.lat, row.lon), row.metres, 0.5);
    }
    pf::LocationProvider::setLocationServicesEnabled(false);
    EXPECT_EQ(shell->distance(10, 10), -1.0);
}

TEST_F(ZMRContextState, TrackingDeliversConfiguredAndInjectedFixes)
{
    pf::LocationProvider::shared().setConfiguredPosition(pf::Location{31.2, 121.5, {}});
    shell->startLocation();
    EXPECT_FALSE(shell->location());
    ASSERT_TRUE(runMainUntil([&] { return shell->location().has_value(); }));
    EXPECT_DOUBLE_EQ(shell->location()->latitude, 31.2);
    EXPECT_FALSE(shell->isNeedsUpdateLocation());

    pf::LocationProvider::shared().inject({40, 116, pf::Date::now()});
    runMainUntil([&] { return shell->location()->latitude == 40; });
    EXPECT_DOUBLE_EQ(shell->location()->longitude, 116);

    pf::LocationProvider::setLocationServicesEnabled(false);
    pf::LocationProvider::shared().inject({1, 2, pf::Date::now()});
    pf::RunLoop::main().runUntilIdle();
    EXPECT_DOUBLE_EQ(shell->location()->latitude, 40);
    pf::LocationProvider::shared().stop();
}

TEST_F(ZMRContextState, TheKeptCastFollowsTheContextGiven)
{
    auto plain = KRShell::create(pf::Dictionary::create({{"services", pf::Array::create()}}), nullptr);
    auto other = makeShell();
    auto user = [](const std::shared_ptr<ZMRShell>& s) { return static_cast<ZMRContext*>(s.get()); };
    ZMRContextLink link;
    struct Row {
        std::shared_ptr<IKRServiceContext> given;
        ZMRContext* expected;
    } rows[] = {
        {shell, user(shell)}, {shell, user(shell)}, {other, user(other)}, {plain, nullptr},
        {nullptr, nullptr},   {shell, user(shell)}, {plain, nullptr},     {other, user(other)},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(link.of(rows[i].given).get(), rows[i].expected) << "row " << i;

    // Another context made after the last one cast was let go.
    other.reset();
    auto next = makeShell();
    EXPECT_EQ(link.of(next).get(), user(next));
    EXPECT_EQ(link.of(plain).get(), nullptr);
}
