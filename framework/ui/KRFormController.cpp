#include "framework/ui/KRFormController.h"

#include "platform/foundation/Collections.h"

std::vector<std::shared_ptr<KRFormItem>> KRFormController::items() const
{
    std::vector<std::shared_ptr<KRFormItem>> items;
    if (m_formItems)
        for (auto& v : *m_formItems)
            if (auto item = v.objectAs<KRFormItem>())
                items.push_back(item);
    return items;
}

pf::DictionaryRef KRFormController::formValues() const
{
    auto values = pf::Dictionary::create();
    for (auto& item : items())
        if (item->field())
            values->set(*item->field(), item->value());
    return values;
}

void KRFormController::setFormValues(const pf::Value& values)
{
    auto dictionary = values.dictionary();
    auto object = values.object();
    for (auto& item : items()) {
        if (!item->field())
            continue;
        if (dictionary)
            item->setValue(dictionary->get(*item->field()));
        else if (object)
            item->setValue(object->valueForKey(*item->field()));
        else
            item->setValue({});
    }
}

void KRFormController::detachEditor()
{
    auto editor = std::exchange(m_focusEditor, nullptr);
    if (auto e = std::dynamic_pointer_cast<IKRFormEditor>(editor))
        e->setFormItem(nullptr);
}

void KRFormController::krFormItemOnFocusAction(const std::shared_ptr<KRFormItem>& item)
{
    auto self = weak_from_this().lock(); // the editors may drop the last owner
    for (auto& each : items())
        each->setFocus(each == item);
    m_focusFormItem = item;
    if (!item) {
        detachEditor();
        return;
    }
    pf::ObjectRef chosen;
    if (m_editors && !item->editorType().empty())
        for (auto& v : *m_editors) {
            auto editor = v.objectAs<IKRFormEditor>();
            if (editor && editor->editorType() == item->editorType()) {
                chosen = v.object();
                break;
            }
        }
    if (!chosen)
        return;
    std::dynamic_pointer_cast<IKRFormEditor>(chosen)->setFormItem(item);
    if (chosen == m_focusEditor)
        return;
    detachEditor();
    m_focusEditor = chosen;
}

void KRFormController::krFormItemOnFocusCancel(const std::shared_ptr<KRFormItem>& item)
{
    if (!item || item != m_focusFormItem)
        return;
    auto self = weak_from_this().lock(); // the editors may drop the last owner
    item->setFocus(false);
    m_focusFormItem = nullptr;
    detachEditor();
}
