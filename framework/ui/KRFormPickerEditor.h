#pragma once

// The editor of items chosen from a tree (province, city, district): a
// panel with a picker whose first column lists the top choices and each
// further column the children of the choice selected in the column before.
// OK writes the deepest selected choice's value and text into the item (its
// first descendants below the last turned column); with nothing to choose
// it acts as Cancel, which leaves the item as it was. Both end the focus.
// The editor is the picker's data source and delegate.
//
// Main queue only.

#include "framework/ui/KRFormEditor.h"
#include "framework/ui/KRFormPickerEditorItem.h"
#include "platform/controls/PickerView.h"

class KRFormPickerEditor : public KRFormEditor,
                           public pf::PickerViewDataSource,
                           public pf::PickerViewDelegate {
public:
    void setFormItem(const std::shared_ptr<KRFormItem>& item) override;
    // KRFormPickerEditorItem objects of the first column.
    const pf::ArrayRef& items() const { return m_items; }
    void setItems(const pf::ArrayRef& items) { m_items = items; }
    int numberOfColumns() const { return m_numberOfColumns; }
    void setNumberOfColumns(int columns) { m_numberOfColumns = columns < 0 ? 0 : columns; }
    const std::shared_ptr<pf::PickerView>& pickerView() const { return m_pickerView; }
    void setPickerView(const std::shared_ptr<pf::PickerView>& picker);

    // The recorded row of a column, 0 until one is recorded.
    int selectedIndex(int column);
    // Later columns keep their recorded rows.
    void setSelectedIndex(int row, int column);
    // Null when the row or a selection above it lies outside its list.
    std::shared_ptr<KRFormPickerEditorItem> itemAtIndex(int row, int column);
    // Records the first top choice whose value equals `value` (none when no
    // choice has it) and shows the picker on what OK would choose.
    void setSelectedValue(const pf::Value& value);
    // The recorded choices followed down to the first descendants; null
    // without choices.
    std::shared_ptr<KRFormPickerEditorItem> selectedItem() const;

    void doOKAction(const pf::ObjectRef& sender);
    void doCancelAction(const pf::ObjectRef& sender);

    int numberOfComponentsInPickerView(pf::PickerView&) override { return m_numberOfColumns; }
    int pickerViewNumberOfRowsInComponent(pf::PickerView&, int component) override;
    std::string pickerViewTitleForRow(pf::PickerView&, int row, int component) override;
    void pickerViewDidSelectRow(pf::PickerView&, int row, int component) override;

private:
    // The choices column `column` lists, or null when a selection above
    // lies outside its list.
    pf::ArrayRef columnItems(int column);

    std::vector<int> m_selectedIndexs;
    pf::ArrayRef m_items;
    int m_numberOfColumns = 0;
    std::shared_ptr<pf::PickerView> m_pickerView;
};
