#pragma once

// Holds a form's items and editors and moves the focus: the focused item
// is marked and handed to the first editor of its editor type, which
// replaces the editor attached before; without an editor of that type the
// previous one stays where it was. Giving the focus up detaches
// everything. The screen reads and fills the whole form as a dictionary
// keyed by the items' fields.
//
// Main queue only.

#include "framework/ui/KRFormItem.h"

class KRFormController : public pf::Object, public KRFormItemDelegate {
public:
    pf::ObjectRef focusEditor() const { return m_focusEditor; }
    void setFocusEditor(const pf::ObjectRef& editor) { m_focusEditor = editor; }
    // KRFormItem objects in form order.
    const pf::ArrayRef& formItems() const { return m_formItems; }
    void setFormItems(const pf::ArrayRef& items) { m_formItems = items; }
    std::shared_ptr<KRFormItem> focusFormItem() const { return m_focusFormItem; }
    void setFocusFormItem(const std::shared_ptr<KRFormItem>& item) { m_focusFormItem = item; }
    // Objects that edit form items, searched in order.
    const pf::ArrayRef& editors() const { return m_editors; }
    void setEditors(const pf::ArrayRef& editors) { m_editors = editors; }

    // Every item with a field, its value under the field; a nil value
    // leaves the key out and a later item of the same field wins.
    pf::DictionaryRef formValues() const;
    // Every item with a field takes the value under its field (nil when
    // absent) from a dictionary or any object answering keys.
    void setFormValues(const pf::Value& values);

    void krFormItemOnFocusAction(const std::shared_ptr<KRFormItem>& item) override;
    void krFormItemOnFocusCancel(const std::shared_ptr<KRFormItem>& item) override;

private:
    std::vector<std::shared_ptr<KRFormItem>> items() const;
    void detachEditor();

    pf::ObjectRef m_focusEditor;
    pf::ArrayRef m_formItems;
    std::shared_ptr<KRFormItem> m_focusFormItem;
    pf::ArrayRef m_editors;
};
