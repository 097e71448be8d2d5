#pragma once

// The name of a value's kind as messages and keys show it: the keyed
// archive's class names ("Null", "Number", "String", "Data", "Date",
// "Array", "Dictionary"), "Object" for an object and "nil" for nil. Kept
// apart from Value.h so that its few users do not rebuild the many that
// include that.

#include "platform/foundation/Forward.h"

namespace pf {

const char* valueTypeName(const Value& value);

}
