#include "platform/foundation/Calendar.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace pf {

namespace {

// Seconds beyond this reach years the broken-down time cannot hold; the
// cast to time_t must also stay defined.
constexpr double kMaxSeconds = 6.7e16;

bool isLeapYear(long long year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysIn(long long year, int month)
{
    static constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

std::optional<std::tm> localFields(Date date)
{
    if (!std::isfinite(date.seconds) || std::fabs(date.seconds) > kMaxSeconds)
        return std::nullopt;
    std::time_t t = static_cast<std::time_t>(std::floor(date.seconds));
    std::tm tm{};
    if (!localtime_r(&t, &tm))
        return std::nullopt;
    return tm;
}

// The moment of local fields, carried into range by the system's normalisation.
std::optional<Date> fromFields(long long year, long long month, long long day, long long hour, long long minute,
                               long long second)
{
    // Keep every field well inside int, so the system's normalisation cannot overflow.
    constexpr long long kLimit = 1'000'000'000;
    for (long long v : {year, month, day, hour, minute, second})
        if (v > kLimit || v < -kLimit)
            return std::nullopt;
    std::tm tm{};
    tm.tm_year = static_cast<int>(year - 1900);
    tm.tm_mon = static_cast<int>(month - 1);
    tm.tm_mday = static_cast<int>(day);
    tm.tm_hour = static_cast<int>(hour);
    tm.tm_min = static_cast<int>(minute);
    tm.tm_sec = static_cast<int>(second);
    tm.tm_isdst = -1;
    std::time_t t = std::mktime(&tm);
    // -1 is also one second before 1970 UTC: only a failure when the fields
    // did not come back normalised to that second.
    if (t == static_cast<std::time_t>(-1)) {
        std::time_t check = -1;
        std::tm back{};
        if (!localtime_r(&check, &back) || back.tm_year != tm.tm_year || back.tm_mon != tm.tm_mon
            || back.tm_mday != tm.tm_mday || back.tm_hour != tm.tm_hour || back.tm_min != tm.tm_min
            || back.tm_sec != tm.tm_sec)
            return std::nullopt;
    }
    return Date{static_cast<double>(t)};
}

}

std::optional<DateComponents> Calendar::components(Date date)
{
    auto tm = localFields(date);
    if (!tm)
        return std::nullopt;
    DateComponents c;
    c.year = tm->tm_year + 1900;
    c.month = tm->tm_mon + 1;
    c.day = tm->tm_mday;
    c.hour = tm->tm_hour;
    c.minute = tm->tm_min;
    c.second = tm->tm_sec;
    c.weekday = tm->tm_wday + 1;
    return c;
}

std::optional<Date> Calendar::dateFromComponents(const DateComponents& c)
{
    return fromFields(c.year, c.month, c.day, c.hour, c.minute, c.second);
}

std::optional<Date> Calendar::date(int year, int month, int day, int hour, int minute, int second)
{
    return fromFields(year, month, day, hour, minute, second);
}

std::optional<int> Calendar::numberOfDaysInMonth(int year, int month)
{
    if (month < 1 || month > 12)
        return std::nullopt;
    return daysIn(year, month);
}

std::optional<int> Calendar::numberOfDaysInMonth(Date date)
{
    auto c = components(date);
    if (!c)
        return std::nullopt;
    return daysIn(c->year, c->month);
}

std::optional<Date> Calendar::firstDayOfMonth(Date date)
{
    auto c = components(date);
    if (!c)
        return std::nullopt;
    return fromFields(c->year, c->month, 1, 0, 0, 0);
}

std::optional<Date> Calendar::lastDayOfMonth(Date date)
{
    auto c = components(date);
    if (!c)
        return std::nullopt;
    return fromFields(c->year, c->month, daysIn(c->year, c->month), 0, 0, 0);
}

std::optional<Date> Calendar::dateByAddingMonths(Date date, int months)
{
    auto c = components(date);
    if (!c)
        return std::nullopt;
    // Months counted from year 0, so the step carries into years exactly.
    long long total = static_cast<long long>(c->year) * 12 + (c->month - 1) + months;
    long long year = total >= 0 ? total / 12 : -((-total + 11) / 12);
    int month = static_cast<int>(total - year * 12) + 1;
    int day = std::min(c->day, daysIn(year, month));
    // Keep the fraction of a second the date had.
    double fraction = date.seconds - std::floor(date.seconds);
    auto moved = fromFields(year, month, day, c->hour, c->minute, c->second);
    if (!moved)
        return std::nullopt;
    return Date{moved->seconds + fraction};
}

}
