#include "framework/core/KRTaskTypes.h"

#include "platform/foundation/Object.h"

namespace proto {

namespace {
// The platform's root protocol; every framework protocol adopts it.
const pf::Protocol* NSObject()
{
    static const pf::Protocol* p = pf::Protocol::define("NSObject");
    return p;
}
}

const pf::Protocol* IKRTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRTask", {NSObject()});
    return p;
}

const pf::Protocol* IKRUplinkTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRUplinkTask", {IKRTask()});
    return p;
}

const pf::Protocol* IKRUplinkTaskDelegate()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRUplinkTaskDelegate", {NSObject()});
    return p;
}

const pf::Protocol* IKRDownlinkTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRDownlinkTask", {IKRTask()});
    return p;
}

const pf::Protocol* IKRDownlinkPageTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRDownlinkPageTask", {IKRDownlinkTask()});
    return p;
}

const pf::Protocol* IKRAPITask()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRAPITask", {IKRTask()});
    return p;
}

const pf::Protocol* IKRAPIWillRequestTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRAPIWillRequestTask", {IKRAPITask()});
    return p;
}

const pf::Protocol* IKRAPIRequestTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRAPIRequestTask", {IKRAPIWillRequestTask()});
    return p;
}

const pf::Protocol* IKRAPIResponseTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRAPIResponseTask", {IKRAPITask()});
    return p;
}

const pf::Protocol* IKRAPICancelTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRAPICancelTask", {IKRAPITask()});
    return p;
}

const pf::Protocol* IKRHttpTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRHttpTask", {IKRTask()});
    return p;
}

const pf::Protocol* IKRHttpAPITask()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRHttpAPITask", {IKRHttpTask()});
    return p;
}

const pf::Protocol* IKRCrashTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRCrashTask", {IKRTask()});
    return p;
}

const pf::Protocol* IKRBehaviorTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRBehaviorTask", {IKRTask()});
    return p;
}

const pf::Protocol* IKRBehaviorTransactionTask()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRBehaviorTransactionTask", {IKRTask()});
    return p;
}

const pf::Protocol* IKRService()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRService", {NSObject()});
    return p;
}

const pf::Protocol* IKRServiceContainer()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRServiceContainer", {});
    return p;
}

const pf::Protocol* IKRContext()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRContext", {NSObject()});
    return p;
}

const pf::Protocol* IKRServiceContext()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRServiceContext", {IKRContext()});
    return p;
}

const pf::Protocol* IKRUIContext()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRUIContext", {IKRServiceContext()});
    return p;
}

const pf::Protocol* IKRController()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRController", {NSObject()});
    return p;
}

const pf::Protocol* IKRAction()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRAction", {NSObject()});
    return p;
}

const pf::Protocol* IKRUIViewController()
{
    static const pf::Protocol* p = pf::Protocol::define("IKRUIViewController", {NSObject()});
    return p;
}

}
