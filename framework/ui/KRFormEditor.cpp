#include "framework/ui/KRFormEditor.h"

#include "platform/ui/View.h"

bool KRFormEditor::storeFormItem(const std::shared_ptr<KRFormItem>& item)
{
    if (item == m_formItem)
        return false;
    m_formItem = item;
    if (m_view)
        m_view->setHidden(!item);
    return true;
}

void KRFormEditor::bringViewToFront()
{
    if (m_view)
        if (auto superview = m_view->superview())
            superview->bringSubviewToFront(m_view);
}

void KRFormEditor::cancelFocus()
{
    if (auto item = m_formItem)
        item->focusCancel();
}
