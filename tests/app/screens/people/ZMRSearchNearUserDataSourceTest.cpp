#include "tests/app/screens/AppScreenTest.h"

#include "app/screens/people/ZMRSearchNearUserDataSource.h"
#include "framework/core/KRDataOutlet.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Location.h"
#include "tools/appserver/AppSeed.h"

namespace {

class NearUsers : public AppScreenTest {
protected:
    void TearDown() override
    {
        pf::LocationProvider::setLocationServicesEnabled(true);
        pf::LocationProvider::shared().stop();
        AppScreenTest::TearDown();
    }
    std::shared_ptr<ZMRSearchNearUserDataSource> reloaded()
    {
        auto source = std::make_shared<ZMRSearchNearUserDataSource>();
        source->setTaskType(std::string("ZMRNearUsersTask"));
        source->setDataKey(std::string("list"));
        source->setContext(shell);
        source->reloadData();
        return source;
    }
    std::string sent(ZMRSearchNearUserDataSource& source)
    {
        return source.queryValues()->get("latitude").stringOr("-") + "," + source.queryValues()->get("longitude").stringOr("-");
    }
};

}

// The position sent is the one held at the reload; a stale or missing fix
// asks for a new one without waiting for it, and with location services off
// nothing is sent and nobody is near.
TEST_F(NearUsers, TheListIsAskedAtThePositionHeldAndEmptyWithLocationOff)
{
    const double latitude = zmr::kSeedCentreLatitude, longitude = zmr::kSeedCentreLongitude;
    char centre[64];
    std::snprintf(centre, sizeof centre, "%lf,%lf", latitude, longitude);
    struct Row {
        const char* name;
        std::optional<double> fixAge; // seconds; nothing: no fix
        bool servicesOn;
        std::string query;
        bool asksForAFix;
        const char* nearest;
    } rows[] = {
        {"no fix", std::nullopt, true, "0.000000,0.000000", true, "(none)"}, // first: the shell keeps a fix
        {"fresh fix", 5, true, centre, false, "10002"},
        {"stale fix", 120, true, centre, true, "10002"},
        {"location off", 5, false, "0.000000,0.000000", false, "(none)"},
    };
    for (const Row& row : rows) {
        pf::LocationProvider::shared().stop();
        pf::LocationProvider::shared().setConfiguredPosition(std::nullopt);
        pf::LocationProvider::setLocationServicesEnabled(row.servicesOn);
        if (row.fixAge)
            shell->didUpdateUserLocation({latitude, longitude, pf::Date{pf::Date::now().seconds - *row.fixAge}});
        auto source = reloaded();
        EXPECT_EQ(sent(*source), row.query) << row.name;
        EXPECT_EQ(pf::LocationProvider::shared().isRunning(), row.asksForAFix) << row.name;
        ASSERT_TRUE(waitFor([&] { return source->isLoaded() && !source->isLoading(); })) << row.name;
        pf::Value first = source->dataObject();
        EXPECT_EQ(first.isNil() ? "(none)" : std::to_string(dataForKeyPath(first, "uid").longLongValue()), row.nearest) << row.name;
        // Nearest first, all within 50 km, the asker never among them.
        double last = 0;
        for (std::size_t i = 0; i < source->count(); ++i) {
            pf::Value person = source->dataObjectAtIndex(static_cast<int>(i));
            double distance = dataForKeyPath(person, "distance").doubleValue();
            EXPECT_GE(distance, last) << row.name << " " << i;
            EXPECT_LE(distance, 50000) << row.name << " " << i;
            EXPECT_NE(dataForKeyPath(person, "uid").longLongValue(), 10001) << row.name << " " << i;
            last = distance;
        }
    }
}

// A fix that arrives later only changes what the next request carries.
TEST_F(NearUsers, ALaterFixIsSentByTheNextLoadWithoutReloading)
{
    pf::LocationProvider::shared().setConfiguredPosition(std::nullopt);
    auto source = reloaded();
    ASSERT_TRUE(waitFor([&] { return source->isLoaded() && !source->isLoading(); }));
    EXPECT_EQ(source->count(), 0u);
    shell->didUpdateUserLocation({zmr::kSeedCentreLatitude, zmr::kSeedCentreLongitude, pf::Date::now()});
    EXPECT_FALSE(source->isLoading());
    EXPECT_EQ(sent(*source).substr(0, 9), "31.230400");
    source->refreshData();
    ASSERT_TRUE(waitFor([&] { return !source->isLoading(); }));
    EXPECT_EQ(source->count(), 12u);
}
