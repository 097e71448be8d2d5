#pragma once

// The one percent-encoder for query values and form fields: every byte but
// letters, digits and "-._~" escaped as "%XX" (upper-case hex). The result
// can stand anywhere in a query and, since nothing of markup survives,
// inside an HTML attribute too. Kept apart from URL.h so that its few users
// do not rebuild the many that include that.

#include <string>
#include <string_view>

namespace pf {

std::string percentEncode(std::string_view text);

}
