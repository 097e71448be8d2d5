#pragma once

// The "最后更新: …" text of a list's loading views, in local time. The
// calendar fields of the date and of now choose the form: another year
// "yyyy年MM月dd日 HH:mm", another month "MM月dd日 HH:mm", the same day (see
// below), the day before "昨天 HH:mm", the day after "明天 HH:mm", else
// "MM月dd日 HH:mm". Only day numbers within one month are compared, so the
// last day of a month seen on the first of the next takes the month-and-day
// form. Pure, any thread.

#include "platform/foundation/Value.h"

#include <string>

enum class KRSameDayForm {
    Clock,   // "HH:mm:ss" (tables)
    Relative // "刚刚" under a minute, "%d分钟前" under an hour, else "HH:mm" (containers)
};

std::string KRLastUpdateText(pf::Date date, pf::Date now, KRSameDayForm sameDay);
