#pragma once

#include "platform/foundation/Forward.h"

#include <string_view>

// The bytes of base64 text. Malformed text is not reported: the result holds
// the bytes of the complete groups before the fault.
pf::Bytes krBASE64Decode(std::string_view text);
