#include "sdk/zz/ZZRegistration.h"

void registerZZClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    // The codec, error tables, app-id table, server table and settings are
    // plain classes; the request classes that scripts look up by name join
    // here as they arrive.
}
