#include "ServicesTestSupport.h"

#include "framework/core/KRTaskTypes.h"
#include "platform/foundation/ClassBuilder.h"

bool TestRecordingService::handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int)
{
    if (auto* record = busRecord()) {
        record->types.push_back(taskType ? taskType->name() : "(null)");
        record->tasks.push_back(task);
    }
    return false;
}

void registerServicesTestClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    pf::ClassBuilder<TestRecordingService>("TestRecordingService").superclass<KRService>().adopts(proto::IKRService()).commit();
}
