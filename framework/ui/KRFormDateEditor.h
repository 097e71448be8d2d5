#pragma once

// The editor of date items: a panel with a date picker. Attached to an
// item it shows the item's date (a date value, or a text read strictly in
// the date format; the current date when there is neither); OK writes the
// picker's date as the value and its formatted text as the text, Cancel
// leaves the item as it was. Both end the focus.
//
// Main queue only.

#include "framework/ui/KRFormEditor.h"
#include "platform/controls/DateFormatter.h"
#include "platform/controls/DatePicker.h"

class KRFormDateEditor : public KRFormEditor {
public:
    KRFormDateEditor();

    void setFormItem(const std::shared_ptr<KRFormItem>& item) override;
    const std::shared_ptr<pf::DatePicker>& datePicker() const { return m_datePicker; }
    void setDatePicker(const std::shared_ptr<pf::DatePicker>& picker) { m_datePicker = picker; }
    const std::shared_ptr<pf::DateFormatter>& dateFormatter() const { return m_dateFormatter; }
    // "yyyy-MM-dd" unless set.
    std::string dateFormat() const;
    void setDateFormat(const std::string& format);

    void doOKAction(const pf::ObjectRef& sender);
    void doCancelAction(const pf::ObjectRef& sender);

private:
    std::shared_ptr<pf::DatePicker> m_datePicker;
    std::shared_ptr<pf::DateFormatter> m_dateFormatter;
};
