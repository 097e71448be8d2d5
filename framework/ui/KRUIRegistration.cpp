#include "framework/ui/KRUIRegistration.h"

#include "framework/core/KRCoreRegistration.h"
#include "platform/controls/ControlsRegistration.h"

void registerUIClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    registerCoreClasses();
    pf::registerControlsClasses();
}
