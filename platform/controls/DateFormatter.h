#pragma once

// Dates to texts and back by a pattern in the local time zone. Pattern
// letters: y (year; "yy" two digits, else four), M (month), d (day), H (hour
// 0-23), m (minute), s (second); a doubled letter pads to two digits, a
// single one takes one or two. Text in single quotes and every other
// character stand for themselves. Parsing is strict: the whole text must
// match and the date must exist ("2013-02-30" fails).
//
// Any thread; a formatter is used by one thread at a time.

#include "platform/foundation/Object.h"

#include <optional>
#include <string>

namespace pf {

class DateFormatter : public Object {
public:
    DateFormatter() = default;
    explicit DateFormatter(std::string format) : m_format(std::move(format)) {}

    const std::string& dateFormat() const { return m_format; }
    void setDateFormat(const std::string& format) { m_format = format; }

    std::string stringFromDate(Date date) const;
    std::optional<Date> dateFromString(const std::string& text) const;

private:
    std::string m_format = "yyyy-MM-dd HH:mm:ss";
};

}
