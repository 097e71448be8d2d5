#include "framework/core/KRImageCrashRegistration.h"

#include "framework/core/IKRImageTask.h"
#include "framework/core/KRCrashService.h"
#include "framework/core/KRCrashTask.h"
#include "framework/core/KRHttpRegistration.h"
#include "framework/core/KRImageService.h"
#include "framework/core/KRTaskTypes.h"
#include "platform/foundation/ClassBuilder.h"

void registerImageAndCrashClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    registerHttpClasses();
    proto::IKRImageTask();
    proto::IKRLocalImageTask();

    pf::ClassBuilder<KRImageService>("KRImageService").superclass<KRService>().adopts(proto::IKRService()).commit();
    pf::ClassBuilder<KRCrashService>("KRCrashService").superclass<KRService>().adopts(proto::IKRService()).commit();
    pf::ClassBuilder<KRCrashTask>("KRCrashTask")
        .superclass<KRTask>()
        .adopts(proto::IKRCrashTask())
        .property("exception", &KRCrashTask::exception, &KRCrashTask::setException)
        .commit();
}
