#pragma once

// The user-facing texts of server errors and of dates beside feed entries
// and comments. Any thread for ZMRMessage; ZMRFormatString reads the local
// clock and time zone.

#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <string>

// The Chinese message of a known application server code; for a failure
// without the server's answer (ZMRAnswer.h) whether to try again or to look
// first, since the server may have acted; for a read the server failed,
// "服务器出错（N），请稍后重试"; for an error of the HTTP layer itself (an
// upload's transport failure) "网络连接失败，请稍后重试", never its own
// text; else the error's own description, or when it has none a message
// naming the code.
std::string ZMRMessage(const pf::Error& error);

// Seconds from 1970, either way, past which a time is no date the calendar
// functions can take.
inline constexpr double ZMRLatestFormattedTime = 1e12;

// The relative text of a date seen at `now`: "yyyy-MM-dd HH:mm" in another
// year, "MM-dd HH:mm" in another month, day or hour, "%d分钟前" in another
// minute of the same hour and "1分钟前" within the same minute. A date later
// than `now` (a clock ahead of ours) also reads "1分钟前", never as a
// negative count. Local time zone. Empty when either date is not within
// ZMRLatestFormattedTime seconds of 1970 (or is no number).
std::string ZMRFormatString(pf::Date date, pf::Date now);
std::string ZMRFormatString(pf::Date date);
