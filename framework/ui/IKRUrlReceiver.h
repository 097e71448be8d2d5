#pragma once

// A screen that takes URLs handed to it without opening them (a container
// passes them on to the child it shows).
//
// Main queue only.

#include "platform/foundation/Object.h"

namespace pf {
class URL;
}

class IKRUrlReceiver {
public:
    virtual ~IKRUrlReceiver() = default;
    virtual void receiveUrl(const pf::URL& url, const pf::ObjectRef& source) = 0;
};
