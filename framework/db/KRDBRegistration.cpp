#include "framework/db/KRDBRegistration.h"

#include "framework/core/KRCoreRegistration.h"
#include "framework/db/KRDBObject.h"

void registerDBClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    registerCoreClasses();
    KRDBObject::dbObjectClass();
}
