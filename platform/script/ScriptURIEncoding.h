#pragma once

// encodeURIComponent and encodeURIComponentJoin as script natives: plain
// ASCII is encoded here, several times faster than the engine's own, which
// still encodes everything else (and throws its errors for broken
// surrogates). Every native call from the SDK's scripts encodes its
// arguments. Internal to this library.

#include <duktape.h>

namespace pf::script {

// The heap stash key under which the engine's own encodeURIComponent is kept
// before the global one is replaced by encodeURIComponent below.
inline constexpr const char* builtinEncodeKey = "pfEncodeURIComponent";

// encodeURIComponent(text).
duk_ret_t encodeURIComponent(duk_context* ctx);
// encodeURIComponentJoin(text, value, text, value, ..., text): what
// text + encodeURIComponent(value) + text ... answers.
duk_ret_t encodeURIComponentJoin(duk_context* ctx);

}
