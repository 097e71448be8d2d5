#pragma once

#include "platform/ui/Forward.h"

namespace pf {

class DesktopHost;
class HeadlessHost;
struct HostOptions;

}
