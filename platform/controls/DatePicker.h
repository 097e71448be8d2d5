#pragma once

// Wheels for a date (year, month, day), a time (hour, minute) or both, in
// the local time zone, kept between the minimum and maximum dates. Turning a
// wheel changes the date and sends ValueChanged; a day the new month lacks
// becomes the month's last day.
//
// Main thread only.

#include "platform/controls/Control.h"

#include <optional>

namespace pf {

class PickerView;

enum class DatePickerMode { Time, Date, DateAndTime };

class DatePicker : public Control {
public:
    explicit DatePicker(const Rect& frame = Rect(0, 0, 320, 216));
    ~DatePicker() override;

    DatePickerMode datePickerMode() const { return m_mode; }
    void setDatePickerMode(DatePickerMode mode);
    Date date() const { return m_date; }
    void setDate(Date date, bool animated = false);
    const std::optional<Date>& minimumDate() const { return m_minimum; }
    void setMinimumDate(std::optional<Date> date);
    const std::optional<Date>& maximumDate() const { return m_maximum; }
    void setMaximumDate(std::optional<Date> date);
    // The wheels, for tests and hosts that turn them.
    const std::shared_ptr<PickerView>& pickerView();

    void layoutSubviews() override;
    ViewRef hitTest(Point p) override;
    std::string textContent() const override;

private:
    class Wheels;
    friend class Wheels;
    enum class Field { Year, Month, Day, Hour, Minute };
    std::vector<Field> fields() const;
    int firstYear() const;
    int lastYear() const;
    void showDate();
    void wheelChanged();

    DatePickerMode m_mode = DatePickerMode::DateAndTime;
    Date m_date = Date::now();
    std::optional<Date> m_minimum;
    std::optional<Date> m_maximum;
    std::shared_ptr<PickerView> m_picker;
    std::shared_ptr<Wheels> m_wheels;
    bool m_attached = false; // the wheels join the tree once the picker is owned
};

}
