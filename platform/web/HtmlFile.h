#pragma once

// Reading the local files a page names. Pages are untrusted: only file URLs
// (no host, or "localhost") are read, only regular files, and never more
// than a limit. Internal to pf_web.
//
// Any thread.

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"

#include <cstddef>
#include <optional>
#include <string>

namespace pf {

// The file's bytes, or an error of the domain "pf::HtmlDocument".
ErrorOr<std::string> readHtmlFileOrError(const URL& url, std::size_t maxBytes);
std::optional<std::string> readHtmlFile(const URL& url, std::size_t maxBytes);

}
