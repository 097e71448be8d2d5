#include "platform/controls/DatePicker.h"

#include "platform/controls/PickerView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace pf {

namespace {
std::tm localFields(Date date)
{
    std::time_t t = static_cast<std::time_t>(std::isfinite(date.seconds) ? std::floor(date.seconds) : 0);
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

int daysInMonth(int year, int month) // month 0-11
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 1 && leap ? 29 : days[month];
}
}

// The picker's data source and delegate; owned by the date picker.
class DatePicker::Wheels final : public PickerViewDataSource, public PickerViewDelegate {
public:
    explicit Wheels(DatePicker& owner) : m_owner(owner) {}

    int numberOfComponentsInPickerView(PickerView&) override { return static_cast<int>(m_owner.fields().size()); }
    int pickerViewNumberOfRowsInComponent(PickerView&, int component) override
    {
        switch (m_owner.fields()[component]) {
        case Field::Year: return m_owner.lastYear() - m_owner.firstYear() + 1;
        case Field::Month: return 12;
        case Field::Day: {
            std::tm tm = localFields(m_owner.m_date);
            return daysInMonth(tm.tm_year + 1900, tm.tm_mon);
        }
        case Field::Hour: return 24;
        case Field::Minute: return 60;
        }
        return 0;
    }
    std::string pickerViewTitleForRow(PickerView&, int row, int component) override
    {
        char text[16];
        switch (m_owner.fields()[component]) {
        case Field::Year: std::snprintf(text, sizeof text, "%d年", m_owner.firstYear() + row); break;
        case Field::Month: std::snprintf(text, sizeof text, "%d月", row + 1); break;
        case Field::Day: std::snprintf(text, sizeof text, "%d日", row + 1); break;
        case Field::Hour:
        case Field::Minute: std::snprintf(text, sizeof text, "%02d", row); break;
        }
        return text;
    }
    void pickerViewDidSelectRow(PickerView&, int, int) override { m_owner.wheelChanged(); }

private:
    DatePicker& m_owner;
};

DatePicker::DatePicker(const Rect& frame)
    : Control(frame)
    , m_picker(std::make_shared<PickerView>(Rect({}, frame.size)))
    , m_wheels(std::make_shared<Wheels>(*this))
{
    m_picker->setAutoresizingMask(Autoresizing::FlexibleWidth | Autoresizing::FlexibleHeight);
    m_picker->setDataSource(m_wheels);
    m_picker->setDelegate(m_wheels);
    showDate();
}

DatePicker::~DatePicker() = default;

std::vector<DatePicker::Field> DatePicker::fields() const
{
    switch (m_mode) {
    case DatePickerMode::Time: return {Field::Hour, Field::Minute};
    case DatePickerMode::Date: return {Field::Year, Field::Month, Field::Day};
    case DatePickerMode::DateAndTime: break;
    }
    return {Field::Year, Field::Month, Field::Day, Field::Hour, Field::Minute};
}

int DatePicker::firstYear() const
{
    return m_minimum ? localFields(*m_minimum).tm_year + 1900 : 1900;
}

int DatePicker::lastYear() const
{
    return std::max(firstYear(), m_maximum ? localFields(*m_maximum).tm_year + 1900 : 2100);
}

void DatePicker::setDatePickerMode(DatePickerMode mode)
{
    m_mode = mode;
    showDate();
}

void DatePicker::setDate(Date date, bool)
{
    if (!std::isfinite(date.seconds))
        return;
    if (m_minimum && date.seconds < m_minimum->seconds)
        date = *m_minimum;
    if (m_maximum && date.seconds > m_maximum->seconds)
        date = *m_maximum;
    m_date = date;
    showDate();
}

void DatePicker::setMinimumDate(std::optional<Date> date)
{
    m_minimum = date;
    setDate(m_date);
}

void DatePicker::setMaximumDate(std::optional<Date> date)
{
    m_maximum = date;
    setDate(m_date);
}

void DatePicker::showDate()
{
    m_picker->reloadAllComponents();
    std::tm tm = localFields(m_date);
    auto list = fields();
    for (int c = 0; c < static_cast<int>(list.size()); ++c) {
        int row = 0;
        switch (list[c]) {
        case Field::Year: row = tm.tm_year + 1900 - firstYear(); break;
        case Field::Month: row = tm.tm_mon; break;
        case Field::Day: row = tm.tm_mday - 1; break;
        case Field::Hour: row = tm.tm_hour; break;
        case Field::Minute: row = tm.tm_min; break;
        }
        m_picker->selectRow(row, c);
    }
}

void DatePicker::wheelChanged()
{
    std::tm tm = localFields(m_date);
    auto list = fields();
    for (int c = 0; c < static_cast<int>(list.size()); ++c) {
        int row = m_picker->selectedRowInComponent(c);
        switch (list[c]) {
        case Field::Year: tm.tm_year = firstYear() + row - 1900; break;
        case Field::Month: tm.tm_mon = row; break;
        case Field::Day: tm.tm_mday = row + 1; break;
        case Field::Hour: tm.tm_hour = row; break;
        case Field::Minute: tm.tm_min = row; break;
        }
    }
    tm.tm_mday = std::min(tm.tm_mday, daysInMonth(tm.tm_year + 1900, tm.tm_mon));
    tm.tm_isdst = -1;
    std::time_t t = std::mktime(&tm);
    auto keep = self();
    setDate(Date{static_cast<double>(t)});
    sendActionsForControlEvents(ControlEvent::ValueChanged);
}

const std::shared_ptr<PickerView>& DatePicker::pickerView()
{
    if (!m_attached && self()) {
        m_attached = true;
        addSubview(m_picker);
    }
    return m_picker;
}

ViewRef DatePicker::hitTest(Point p)
{
    pickerView();
    return Control::hitTest(p);
}

void DatePicker::layoutSubviews()
{
    pickerView();
    m_picker->setFrame(bounds());
}

std::string DatePicker::textContent() const
{
    return m_picker->textContent();
}

}
