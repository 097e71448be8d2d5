#include "platform/foundation/Reachability.h"

#include <gtest/gtest.h>

TEST(ReachabilityFlags, ConnectionQuestionsNeedARequiredConnection)
{
    using namespace pf;
    struct Row {
        std::uint32_t flags;
        bool needsConnection, onDemand, intervention;
        const char* description;
    } rows[] = {
        {0, false, false, false, "-- -------"},
        {kReachabilityReachable | kReachabilityIsWWAN, false, false, false, "WR -------"},
        // On traffic, on demand or by the user only count when a connection is required.
        {kReachabilityConnectionOnTraffic | kReachabilityConnectionOnDemand | kReachabilityInterventionRequired, false,
         false, false, "-- --iCD--"},
        {kReachabilityConnectionRequired, true, false, false, "-- c------"},
        {kReachabilityConnectionRequired | kReachabilityConnectionOnTraffic, true, true, false, "-- c--C---"},
        {kReachabilityConnectionRequired | kReachabilityConnectionOnDemand | kReachabilityInterventionRequired, true, true,
         true, "-- c-i-D--"},
        {kReachabilityReachable | kReachabilityTransientConnection | kReachabilityIsLocalAddress | kReachabilityIsDirect,
         false, false, false, "-R -t---ld"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.description);
        EXPECT_EQ(reachabilityNeedsConnection(row.flags), row.needsConnection);
        EXPECT_EQ(reachabilityConnectsOnDemand(row.flags), row.onDemand);
        EXPECT_EQ(reachabilityNeedsIntervention(row.flags), row.intervention);
        EXPECT_EQ(reachabilityFlagsDescription(row.flags), row.description);
    }
}
