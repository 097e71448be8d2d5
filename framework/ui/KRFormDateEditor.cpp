#include "framework/ui/KRFormDateEditor.h"

KRFormDateEditor::KRFormDateEditor()
{
    setDateFormat("yyyy-MM-dd");
}

std::string KRFormDateEditor::dateFormat() const
{
    return m_dateFormatter ? m_dateFormatter->dateFormat() : std::string();
}

void KRFormDateEditor::setDateFormat(const std::string& format)
{
    if (!m_dateFormatter)
        m_dateFormatter = std::make_shared<pf::DateFormatter>();
    m_dateFormatter->setDateFormat(format);
}

void KRFormDateEditor::setFormItem(const std::shared_ptr<KRFormItem>& item)
{
    if (!storeFormItem(item) || !item)
        return;
    // The picker needs a date: a text that is not one shows today, and
    // the item keeps its own until OK.
    pf::Value value = item->value();
    std::optional<pf::Date> date = value.date();
    if (!date && value.string())
        date = m_dateFormatter->dateFromString(*value.string());
    if (m_datePicker)
        m_datePicker->setDate(date.value_or(pf::Date::now()));
    bringViewToFront();
}

void KRFormDateEditor::doOKAction(const pf::ObjectRef&)
{
    auto item = formItem();
    if (!item)
        return;
    if (m_datePicker) {
        pf::Date date = m_datePicker->date();
        item->setValue(pf::Value(date));
        item->setText(m_dateFormatter->stringFromDate(date));
    }
    item->focusCancel();
}

void KRFormDateEditor::doCancelAction(const pf::ObjectRef&)
{
    cancelFocus();
}
