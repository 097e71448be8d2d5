#include "app/services/ZMRServicesRegistration.h"
#include "framework/core/KRCoreRegistration.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    registerCoreClasses();
    registerServicesClasses();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
