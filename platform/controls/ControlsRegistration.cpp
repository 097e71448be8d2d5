#include "platform/controls/ControlsRegistration.h"

#include "platform/foundation/Object.h"

namespace pf {

void registerControlsClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    registerFoundationClasses();
}

}
