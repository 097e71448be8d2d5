#include "app/screens/ZMRScreensRegistration.h"
#include "app/services/ZMRServicesRegistration.h"
#include "framework/core/KRCoreRegistration.h"
#include "framework/data/KRDataRegistration.h"
#include "framework/dom/KRDOMRegistration.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    registerCoreClasses();
    registerServicesClasses();
    // The shipped configuration also names the list service of the data layer.
    registerDataClasses();
    // The start screen is a markup document.
    registerDOMClasses();
    // The shipped MainWindow names the application's window class.
    registerScreensClasses();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
