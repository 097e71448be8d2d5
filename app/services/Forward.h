#pragma once

#include "framework/core/Forward.h"

class IZMRDownlinkTask;
class IZMRLoginTask;
class IZMRRegisterTask;
class IZMRTokenTask;
class ZMRAPIService;
class ZMRAuthService;
class ZMRAuthTask;
class ZMRContext;
class ZMRDownlinkService;
class ZMRLoginTask;
class ZMRLogoutTask;
class ZMRRegisterTask;
class ZMRShell;
