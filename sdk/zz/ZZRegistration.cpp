#include "sdk/zz/ZZRegistration.h"

#include "platform/foundation/ClassBuilder.h"
#include "sdk/zz/CVAPIRequest.h"

namespace {

// The call layer: request classes declare their parameters over this base.
void registerCallLayerClasses()
{
    pf::ClassBuilder<CVAPIRequest>("CVAPIRequest").commit();
}

}

void registerZZClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    // The codec, error tables, app-id table, server table and settings are
    // plain classes; the request classes that scripts look up by name join
    // here as they arrive.
    registerCallLayerClasses();
}
