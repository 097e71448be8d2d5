#include "platform/foundation/Location.h"
#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void drain() { pf::RunLoop::main().runUntilIdle(); }

}

TEST(LocationParsing, OnlyFinitePositionsOnEarthAreRead)
{
    struct Row {
        const char* text;
        bool ok;
        double latitude, longitude;
    } rows[] = {
        {"31.23,121.47", true, 31.23, 121.47},
        {"-33.9, 18.4 ", true, -33.9, 18.4},
        {"90,180", true, 90, 180},
        {"90.1,0", false, 0, 0},
        {"0,-180.5", false, 0, 0},
        {"nan,1", false, 0, 0},
        {"1;2", false, 0, 0},
        {"1,", false, 0, 0},
        {"", false, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        auto location = pf::LocationProvider::parsePosition(row.text);
        ASSERT_EQ(location.has_value(), row.ok);
        if (row.ok) {
            EXPECT_DOUBLE_EQ(location->latitude, row.latitude);
            EXPECT_DOUBLE_EQ(location->longitude, row.longitude);
        }
    }
}

TEST(LocationTracking, FixesArriveLaterOnlyWhileTrackingForALiveOwner)
{
    auto& provider = pf::LocationProvider::shared();
    provider.setConfiguredPosition(pf::Location{10, 20, {}});
    auto owner = std::make_shared<int>(0);
    std::vector<double> latitudes;
    provider.start(owner, [&](const pf::Location& fix) { latitudes.push_back(fix.latitude); });
    EXPECT_TRUE(latitudes.empty());
    drain();
    EXPECT_EQ(latitudes, std::vector<double>{10});

    provider.inject({11, 20, pf::Date::now()});
    provider.stop();
    provider.inject({12, 20, pf::Date::now()});
    drain();
    EXPECT_EQ(latitudes, std::vector<double>{10});
    EXPECT_FALSE(provider.isRunning());

    provider.start(owner, [&](const pf::Location& fix) { latitudes.push_back(fix.latitude); });
    provider.inject({13, 20, pf::Date::now()});
    owner.reset();
    drain();
    EXPECT_EQ(latitudes.size(), 1u);
    provider.stop();
    provider.setConfiguredPosition(std::nullopt);
}
