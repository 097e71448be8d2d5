#include "app/screens/ZMRScreensRegistration.h"
#include "app/screens/account/ZMRAccountScreensRegistration.h"
#include "app/screens/feed/ZMRFeedScreensRegistration.h"
#include "app/screens/ledger/ZMRLedgerScreensRegistration.h"
#include "app/screens/people/ZMRPeopleScreensRegistration.h"
#include "app/screens/prizes/ZMRPrizeScreensRegistration.h"
#include "app/screens/publish/ZMRPublishScreensRegistration.h"
#include "app/screens/shared/ZMRSharedScreensRegistration.h"
#include "app/services/ZMRServicesRegistration.h"
#include "framework/data/KRDataRegistration.h"

void registerScreensClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    registerDataClasses();
    registerServicesClasses();
    // The shared family first: every screen and paged source derives from it.
    registerSharedScreenClasses();
    registerFeedScreens();
    registerPeopleScreens();
    registerPrizeScreens();
    registerPublishScreens();
    registerLedgerScreens();
    registerAccountScreens();
}
