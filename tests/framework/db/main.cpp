#include "framework/db/KRDBRegistration.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    registerDBClasses();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
