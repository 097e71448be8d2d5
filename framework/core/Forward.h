#pragma once

#include "platform/foundation/Forward.h"

class IKRAction;
class IKRContext;
class IKRController;
class IKRDownlinkPageTask;
class IKRDownlinkTask;
class IKRNibLoadable;
class IKRService;
class IKRServiceContext;
class IKRTask;
class IKRUIContext;
class IKRUIViewController;
class IKRUplinkTask;
class IKRUplinkTaskDelegate;
class KRAction;
class KRController;
class KRService;
class KRServiceContainer;
class KRShell;
class KRTask;
class KRUplinkTask;
