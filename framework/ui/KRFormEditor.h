#pragma once

// What the form editors (keyboard bar, date and picker panels) share: the
// editor type, the item they edit, and their view, shown exactly while they
// have an item. A panel comes in front of its siblings as it takes an item.
//
// Main queue only.

#include "framework/ui/KRFormItem.h"

class KRFormEditor : public pf::Object, public IKRFormEditor {
public:
    const std::string& editorType() const override { return m_editorType; }
    void setEditorType(const std::string& type) override { m_editorType = type; }
    std::shared_ptr<KRFormItem> formItem() const override { return m_formItem; }
    // The panel, or the keyboard editor's bar.
    const pf::ViewRef& view() const { return m_view; }
    void setView(const pf::ViewRef& view) { m_view = view; }

protected:
    // Stores a different item and shows the view exactly while there is
    // one; false (and nothing changed) for the item already held.
    bool storeFormItem(const std::shared_ptr<KRFormItem>& item);
    void bringViewToFront();
    // Ends the focus of the item edited, if any.
    void cancelFocus();

private:
    std::string m_editorType;
    std::shared_ptr<KRFormItem> m_formItem;
    pf::ViewRef m_view;
};
