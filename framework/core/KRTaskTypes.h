#pragma once

// The framework's protocol objects. A task type is a protocol, and the
// protocol object, not the task's class, routes a task on the bus; services
// compare the protocol they are handed with theirs by identity:
//
//   if (taskType == proto::IKRAPIRequestTask()) ...
//
// Each accessor defines its protocol on first use (with its parents), and
// registerCoreClasses() touches them all so that the configuration can name
// them before any code has.

namespace pf {
class Protocol;
}

namespace proto {

const pf::Protocol* IKRTask();
const pf::Protocol* IKRUplinkTask();
const pf::Protocol* IKRUplinkTaskDelegate();
const pf::Protocol* IKRDownlinkTask();
const pf::Protocol* IKRDownlinkPageTask();
const pf::Protocol* IKRAPITask();
const pf::Protocol* IKRAPIWillRequestTask();
const pf::Protocol* IKRAPIRequestTask();
const pf::Protocol* IKRAPIResponseTask();
const pf::Protocol* IKRAPICancelTask();
const pf::Protocol* IKRHttpTask();
const pf::Protocol* IKRHttpAPITask();
const pf::Protocol* IKRCrashTask();
const pf::Protocol* IKRBehaviorTask();
const pf::Protocol* IKRBehaviorTransactionTask();
const pf::Protocol* IKRService();
const pf::Protocol* IKRServiceContainer();
const pf::Protocol* IKRContext();
const pf::Protocol* IKRServiceContext();
const pf::Protocol* IKRUIContext();
const pf::Protocol* IKRController();
const pf::Protocol* IKRAction();
const pf::Protocol* IKRUIViewController();

}
