#include "framework/core/KRCoreRegistration.h"

#include "framework/core/KRController.h"
#include "framework/core/KRHttpRegistration.h"
#include "framework/core/KRImageCrashRegistration.h"
#include "framework/core/KRService.h"
#include "framework/core/KRShell.h"
#include "framework/core/KRTask.h"
#include "framework/core/KRTaskTypes.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Collections.h"

// An action's views by key: an array of the view objects.
template <> struct pf::detail::PropertyTraits<std::vector<pf::ObjectRef>> {
    static constexpr PropertyType type = PropertyType::Object;
    static Value to(const std::vector<ObjectRef>& views)
    {
        auto array = Array::create();
        for (const ObjectRef& view : views)
            array->add(Value(view));
        return Value(array);
    }
    static std::vector<ObjectRef> from(const Value& value)
    {
        std::vector<ObjectRef> views;
        if (auto array = value.array())
            for (const Value& item : *array)
                if (auto object = item.object())
                    views.push_back(object);
        return views;
    }
    static bool accepts(const Value& value) { return value.isNilOrNull() || value.isArray(); }
};

namespace {

void defineProtocols()
{
    const pf::Protocol* (*const all[])() = {
        proto::IKRTask,          proto::IKRUplinkTask,        proto::IKRUplinkTaskDelegate,
        proto::IKRDownlinkTask,  proto::IKRDownlinkPageTask,  proto::IKRAPITask,
        proto::IKRAPIWillRequestTask, proto::IKRAPIRequestTask, proto::IKRAPIResponseTask,
        proto::IKRAPICancelTask, proto::IKRHttpTask,          proto::IKRHttpAPITask,
        proto::IKRCrashTask,     proto::IKRBehaviorTask,      proto::IKRBehaviorTransactionTask,
        proto::IKRService,       proto::IKRServiceContainer,  proto::IKRContext,
        proto::IKRServiceContext, proto::IKRUIContext,        proto::IKRController,
        proto::IKRAction,        proto::IKRUIViewController,
    };
    for (auto define : all)
        define();
}

}

void registerCoreClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    pf::registerFoundationClasses();
    defineProtocols();

    pf::ClassBuilder<KRTask>("KRTask").adopts(proto::IKRTask()).commit();
    pf::ClassBuilder<KRUplinkTask>("KRUplinkTask").superclass<KRTask>().adopts(proto::IKRUplinkTask()).commit();
    pf::ClassBuilder<KRService>("KRService").adopts(proto::IKRService()).commit();
    pf::ClassBuilder<KRController>("KRController").adopts(proto::IKRController()).commit();
    pf::ClassBuilder<KRAction>("KRAction")
        .adopts(proto::IKRAction())
        .property("actionName", &KRAction::actionName, &KRAction::setActionName)
        .property("userInfo", &KRAction::userInfo, &KRAction::setUserInfo)
        .property("actionViews", &KRAction::actionViews, &KRAction::setActionViews)
        .commit();
    pf::ClassBuilder<KRShell>("KRShell").adopts(proto::IKRUIContext()).noFactory().commit();

    registerHttpClasses();
    registerImageAndCrashClasses();
}
