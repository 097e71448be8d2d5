#include "framework/data/KRDataRegistration.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    registerDataClasses();
    return RUN_ALL_TESTS();
}
