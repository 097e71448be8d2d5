#include "framework/ui/KRFormPickerEditor.h"

#include "platform/foundation/Collections.h"

namespace {

std::shared_ptr<KRFormPickerEditorItem> choiceAt(const pf::ArrayRef& list, int index)
{
    if (!list || index < 0 || static_cast<std::size_t>(index) >= list->count())
        return nullptr;
    return list->at(static_cast<std::size_t>(index)).objectAs<KRFormPickerEditorItem>();
}

}

void KRFormPickerEditor::setPickerView(const std::shared_ptr<pf::PickerView>& picker)
{
    m_pickerView = picker;
    if (auto self = weak_from_this().lock(); self && picker) {
        picker->setDataSourceObject(self);
        picker->setDelegateObject(self);
    }
}

int KRFormPickerEditor::selectedIndex(int column)
{
    if (column < 0)
        return 0;
    if (m_selectedIndexs.size() <= static_cast<std::size_t>(column))
        m_selectedIndexs.resize(static_cast<std::size_t>(column) + 1, 0);
    return m_selectedIndexs[static_cast<std::size_t>(column)];
}

void KRFormPickerEditor::setSelectedIndex(int row, int column)
{
    if (column < 0)
        return;
    selectedIndex(column);
    m_selectedIndexs[static_cast<std::size_t>(column)] = row;
}

pf::ArrayRef KRFormPickerEditor::columnItems(int column)
{
    pf::ArrayRef list = m_items;
    for (int c = 0; c < column && list; ++c) {
        auto choice = choiceAt(list, selectedIndex(c));
        if (!choice)
            return nullptr;
        list = choice->items();
    }
    return list;
}

std::shared_ptr<KRFormPickerEditorItem> KRFormPickerEditor::itemAtIndex(int row, int column)
{
    return column < 0 ? nullptr : choiceAt(columnItems(column), row);
}

std::shared_ptr<KRFormPickerEditorItem> KRFormPickerEditor::selectedItem() const
{
    // Columns never turned count as their first row.
    std::shared_ptr<KRFormPickerEditorItem> reached;
    if (m_selectedIndexs.empty())
        reached = choiceAt(m_items, 0);
    pf::ArrayRef list = m_items;
    for (int index : m_selectedIndexs) {
        auto choice = choiceAt(list, index);
        if (!choice)
            break;
        reached = choice;
        list = choice->items();
    }
    // Bounded, so a tree made in code that holds itself cannot loop forever.
    for (int depth = 0; reached && depth < 64; ++depth) {
        auto child = choiceAt(reached->items(), 0);
        if (!child)
            break;
        reached = child;
    }
    return reached;
}

void KRFormPickerEditor::setSelectedValue(const pf::Value& value)
{
    m_selectedIndexs.clear();
    // Equal values match: a value from decoded data is never the very
    // object the tree holds.
    if (m_items)
        for (std::size_t i = 0; i < m_items->count(); ++i) {
            auto choice = choiceAt(m_items, static_cast<int>(i));
            if (choice && choice->value() == value) {
                m_selectedIndexs.push_back(static_cast<int>(i));
                break;
            }
        }
    if (!m_pickerView)
        return;
    // Every column shows the row OK would take, not the last item's.
    m_pickerView->reloadAllComponents();
    for (int c = 0; c < m_pickerView->numberOfComponents(); ++c)
        m_pickerView->selectRow(c == 0 && !m_selectedIndexs.empty() ? m_selectedIndexs[0] : 0, c, false);
}

void KRFormPickerEditor::setFormItem(const std::shared_ptr<KRFormItem>& item)
{
    if (!storeFormItem(item) || !item)
        return;
    setSelectedValue(item->value());
    bringViewToFront();
}

void KRFormPickerEditor::doOKAction(const pf::ObjectRef&)
{
    auto item = formItem();
    if (!item)
        return;
    if (auto choice = selectedItem()) {
        item->setValue(choice->value());
        item->setText(choice->text());
    }
    item->focusCancel();
}

void KRFormPickerEditor::doCancelAction(const pf::ObjectRef&)
{
    cancelFocus();
}

int KRFormPickerEditor::pickerViewNumberOfRowsInComponent(pf::PickerView&, int component)
{
    auto list = component < 0 ? nullptr : columnItems(component);
    return list ? static_cast<int>(list->count()) : 0;
}

std::string KRFormPickerEditor::pickerViewTitleForRow(pf::PickerView&, int row, int component)
{
    auto choice = itemAtIndex(row, component);
    return choice ? choice->text() : std::string();
}

void KRFormPickerEditor::pickerViewDidSelectRow(pf::PickerView& picker, int row, int component)
{
    auto self = weak_from_this().lock();
    setSelectedIndex(row, component);
    picker.reloadAllComponents();
}
