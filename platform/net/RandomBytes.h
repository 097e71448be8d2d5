#pragma once

// Cryptographically strong random bytes from the system's generator.

#include "platform/foundation/Forward.h"

#include <optional>

namespace pf {

// Any thread. Nothing when the generator fails (it is never silently weak).
std::optional<Bytes> randomBytes(std::size_t count);

}
