#include "framework/data/KRDataRegistration.h"

#include "framework/ui/KRUIRegistration.h"

void registerDataClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    registerUIClasses();
}
