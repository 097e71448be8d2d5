#include "framework/core/KRHttpRegistration.h"

#include "framework/core/KRCoreRegistration.h"
#include "framework/core/KRHttpService.h"
#include "framework/core/KRHttpTask.h"
#include "framework/core/KRTaskTypes.h"
#include "platform/foundation/ClassBuilder.h"

void registerHttpClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    registerCoreClasses();
    proto::IKRHttpUploadTask();
    proto::IKRHttpResourceTask();

    pf::ClassBuilder<KRHttpTask>("KRHttpTask")
        .superclass<KRTask>()
        .adopts(proto::IKRHttpTask())
        .adopts(proto::IKRHttpAPITask())
        .adopts(proto::IKRHttpUploadTask())
        .adopts(proto::IKRHttpResourceTask())
        .commit();
    pf::ClassBuilder<KRHttpService>("KRHttpService").superclass<KRService>().adopts(proto::IKRService()).commit();
}
