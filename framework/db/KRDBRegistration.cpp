#include "framework/db/KRDBRegistration.h"

#include "framework/core/KRCoreRegistration.h"
#include "framework/core/KRService.h"
#include "framework/core/KRTask.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/db/KRBEEventObject.h"
#include "framework/db/KRBESessionObject.h"
#include "framework/db/KRBehaviorService.h"
#include "framework/db/KRBehaviorTask.h"
#include "framework/db/KRBehaviorTransactionTask.h"
#include "framework/db/KRDownlinkService.h"
#include "framework/db/KRMonitorObject.h"
#include "framework/db/KRMonitorService.h"
#include "platform/foundation/ClassBuilder.h"

void registerDBClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    registerCoreClasses();
    KRDBObject::dbObjectClass();

    pf::ClassBuilder<KRMonitorObject>("KRMonitorObject")
        .superclass<KRDBObject>()
        .property("taskType", &KRMonitorObject::taskType, &KRMonitorObject::setTaskType)
        .property("taskClass", &KRMonitorObject::taskClass, &KRMonitorObject::setTaskClass)
        .property("runTime", &KRMonitorObject::runTime, &KRMonitorObject::setRunTime)
        .commit();
    pf::ClassBuilder<KRBehaviorObject>("KRBehaviorObject")
        .superclass<KRDBObject>()
        .property("timestamp", &KRBehaviorObject::timestamp, &KRBehaviorObject::setTimestamp)
        .commit();
    pf::ClassBuilder<KRBESessionObject>("KRBESessionObject")
        .superclass<KRBehaviorObject>()
        .property("session", &KRBESessionObject::session, &KRBESessionObject::setSession)
        .property("startTimestamp", &KRBESessionObject::startTimestamp, &KRBESessionObject::setStartTimestamp)
        .commit();
    pf::ClassBuilder<KRBEEventObject>("KRBEEventObject")
        .superclass<KRBehaviorObject>()
        .property("session", &KRBEEventObject::session, &KRBEEventObject::setSession)
        .property("eventId", &KRBEEventObject::eventId, &KRBEEventObject::setEventId)
        .property("tag", &KRBEEventObject::tag, &KRBEEventObject::setTag)
        .commit();

    pf::ClassBuilder<KRDownlinkServiceDBObject>("KRDownlinkServiceDBObject")
        .superclass<KRDBObject>()
        .property("service", &KRDownlinkServiceDBObject::service, &KRDownlinkServiceDBObject::setService)
        .property("key", &KRDownlinkServiceDBObject::key, &KRDownlinkServiceDBObject::setKey)
        .property("jsonString", &KRDownlinkServiceDBObject::jsonString, &KRDownlinkServiceDBObject::setJsonString)
        .property("timestamp", &KRDownlinkServiceDBObject::timestamp, &KRDownlinkServiceDBObject::setTimestamp)
        .commit();

    pf::ClassBuilder<KRBehaviorTask>("KRBehaviorTask").superclass<KRTask>().adopts(proto::IKRBehaviorTask()).commit();
    pf::ClassBuilder<KRBehaviorTransactionTask>("KRBehaviorTransactionTask")
        .superclass<KRTask>()
        .adopts(proto::IKRBehaviorTransactionTask())
        .commit();
    pf::ClassBuilder<KRBehaviorTransactionTaskImpl>("KRBehaviorTransactionTaskImpl")
        .superclass<KRBehaviorTransactionTask>()
        .commit();

    pf::ClassBuilder<KRMonitorService>("KRMonitorService").superclass<KRService>().commit();
    pf::ClassBuilder<KRBehaviorService>("KRBehaviorService").superclass<KRService>().commit();
    pf::ClassBuilder<KRDownlinkService>("KRDownlinkService").superclass<KRService>().adopts(proto::IKRService()).commit();
}
