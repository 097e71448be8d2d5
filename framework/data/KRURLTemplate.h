#pragma once

// Filling a list's URL template. "{offset}" becomes (page index - 1) x page
// size, "{pageIndex}" and "{pageSize}" the page values; every other "{key.path}"
// is looked up by the caller and filled percent-encoded (all but A-Z a-z 0-9
// "-._~", as UTF-8), so a filled value can never add a path step, a query
// pair or a fragment. A missing value fills nothing; an unclosed "{" at the
// end is dropped. Pure functions, any thread.

#include "platform/foundation/Value.h"

#include <functional>
#include <string>
#include <string_view>

std::string KRURLPercentEncode(std::string_view text);

std::string KRURLExpandTemplate(std::string_view templateText, int pageIndex, int pageSize,
                                const std::function<pf::Value(std::string_view keyPath)>& lookup);
