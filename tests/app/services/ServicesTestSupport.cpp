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

pf::DictionaryRef serviceEntry(const char* serviceClass, std::initializer_list<pf::Value> taskTypes)
{
    return pf::Dictionary::create({{"class", serviceClass}, {"taskTypes", pf::Value(pf::Array::create(taskTypes))}});
}

pf::DictionaryRef busConfig(std::initializer_list<pf::Value> entries)
{
    auto services = pf::Array::create({serviceEntry("ZMRAPIService", {"IKRAPIWillRequestTask", "IKRAPIResponseTask"})});
    for (const pf::Value& entry : entries)
        services->add(entry);
    return pf::Dictionary::create({{"services", services}});
}

void registerServicesTestClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    pf::ClassBuilder<TestRecordingService>("TestRecordingService").superclass<KRService>().adopts(proto::IKRService()).commit();
}
