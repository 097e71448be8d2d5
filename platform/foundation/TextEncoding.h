#pragma once

// Legacy Chinese text: GB 18030 (a superset of GBK and GB 2312), converted
// with the C library's iconv. Any thread.

#include <optional>
#include <string>
#include <string_view>

namespace pf {

// The UTF-8 text of GB 18030 bytes; nothing when they hold an invalid or
// incomplete sequence (nothing half-converted is answered).
std::optional<std::string> gb18030ToUtf8(std::string_view bytes);

}
