#include "framework/ui/KRUIRegistration.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    registerUIClasses();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
