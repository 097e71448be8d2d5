#pragma once

// Conversion between platform values and script values on the engine's
// value stack. Internal to this library. Both may throw script errors (out of
// memory, a throwing getter), so they run only inside a protected call.

#include "platform/foundation/Value.h"

#include <duktape.h>

namespace pf::script {

// Pushes one script value for `value`.
void pushValue(duk_context* ctx, const Value& value);
// The value at `index`; undefined, functions and other engine kinds are nil.
Value toValue(duk_context* ctx, duk_idx_t index);

}
