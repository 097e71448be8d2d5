#pragma once

// An object that calls actions when events happen to it (a control, a bar
// item). Interface files connect their <action> elements through it.
//
// Main thread only.

#include "platform/foundation/Forward.h"

#include <functional>
#include <string_view>

namespace pf {

class ActionSender {
public:
    virtual ~ActionSender() = default;
    // Adds `action` for the event named the way interface files name it
    // ("touchUpInside", "valueChanged"…), called with the sender; false, and
    // nothing kept, for an event this sender never sends.
    virtual bool addActionForEvent(std::string_view event, std::function<void(const ObjectRef& sender)> action) = 0;
};

}
