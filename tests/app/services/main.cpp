#include "app/services/ZMRServicesRegistration.h"
#include "framework/core/KRCoreRegistration.h"
#include "framework/data/KRDataRegistration.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    registerCoreClasses();
    registerServicesClasses();
    // The shipped configuration also names the list services.
    registerDataClasses();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
