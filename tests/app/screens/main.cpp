#include "app/screens/ZMRScreensRegistration.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    registerScreensClasses();
    return RUN_ALL_TESTS();
}
