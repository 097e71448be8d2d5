#pragma once

// The Gregorian calendar in the process's local time zone (the TZ
// environment variable, else the system's zone), as the screens count days
// and months: the fields of a date, the date of given fields, month bounds
// and month steps.
//
// A date that is not finite, or lies beyond what the system's time
// functions reach (years outside about ±2 billion), has no fields: every
// call answers nothing for it rather than a made-up date.
//
// Any thread; the zone is read at each call, so a test may set TZ and call
// tzset() before it uses the calendar.

#include "platform/foundation/Value.h"

#include <optional>

namespace pf {

struct DateComponents {
    int year = 1970;
    int month = 1;  // 1 to 12
    int day = 1;    // 1 to 31
    int hour = 0;   // 0 to 23
    int minute = 0;
    int second = 0;
    int weekday = 5; // 1 Sunday, 2 Monday, ... 7 Saturday
    bool operator==(const DateComponents&) const = default;
};

class Calendar {
public:
    static std::optional<DateComponents> components(Date date);
    // The moment of the given local fields; the weekday is ignored. Fields
    // past their range carry into the next larger one (month 13 is January
    // of the next year, day 0 the last day of the month before), as the
    // system's calendar does. In a daylight-saving gap the clock reads as
    // moved forward.
    static std::optional<Date> dateFromComponents(const DateComponents& components);
    static std::optional<Date> date(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

    // Days in the given month (28 to 31); nothing for a month outside 1 to 12.
    static std::optional<int> numberOfDaysInMonth(int year, int month);
    static std::optional<int> numberOfDaysInMonth(Date date);
    // Midnight starting the first, and the last, day of the date's month.
    static std::optional<Date> firstDayOfMonth(Date date);
    static std::optional<Date> lastDayOfMonth(Date date);
    // The same local time `months` months later (earlier when negative); a
    // day past the end of the new month becomes its last day, so 31 January
    // plus one month is the last day of February.
    static std::optional<Date> dateByAddingMonths(Date date, int months);
};

}
