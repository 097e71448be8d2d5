#include "framework/ui/KRUIRegistration.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv)
{
    // A POSIX zone needs no zone database: dates read the same everywhere.
    setenv("TZ", "CST-8", 1);
    tzset();
    registerUIClasses();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
