#include "framework/core/KRHttpRegistration.h"

#include "framework/core/KRAPIService.h"
#include "framework/core/KRAPITask.h"
#include "framework/core/KRCoreRegistration.h"
#include "framework/core/KRHttpService.h"
#include "framework/core/KRHttpTask.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/core/KRUplinkService.h"
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
    pf::ClassBuilder<KRAPIService>("KRAPIService").superclass<KRService>().adopts(proto::IKRService()).commit();
    pf::ClassBuilder<KRUplinkService>("KRUplinkService").superclass<KRService>().adopts(proto::IKRService()).commit();
    pf::ClassBuilder<KRAPITask>("KRAPITask")
        .superclass<KRTask>()
        .adopts(proto::IKRAPITask())
        .adopts(proto::IKRAPICancelTask())
        .property("userInfo", &KRAPITask::userInfo, &KRAPITask::setUserInfo)
        .commit();
    pf::ClassBuilder<KRAPIRequestTask>("KRAPIRequestTask")
        .superclass<KRAPITask>()
        .adopts(proto::IKRAPIRequestTask())
        .property("apiKey", &KRAPIRequestTask::apiKey, &KRAPIRequestTask::setApiKey)
        .property("apiUrl", &KRAPIRequestTask::apiUrl, &KRAPIRequestTask::setApiUrl)
        .commit();
    pf::ClassBuilder<KRAPIResponseTask>("KRAPIResponseTask")
        .superclass<KRAPITask>()
        .adopts(proto::IKRAPIResponseTask())
        .property("url", &KRAPIResponseTask::url, &KRAPIResponseTask::setUrl)
        .commit();
}
