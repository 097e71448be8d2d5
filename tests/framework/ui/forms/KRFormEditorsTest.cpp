#include "framework/ui/KRFormController.h"
#include "framework/ui/KRFormDateEditor.h"
#include "framework/ui/KRFormKeyboardEditor.h"
#include "framework/ui/KRFormPickerEditor.h"
#include "framework/core/KRJSON.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/ui/InterfaceFile.h"

#include <gtest/gtest.h>

namespace {

// A province, city and district picker, a date picker and one item for each.
const char* kForm = R"(<interface owner="KRFormController">
  <object id="wheels" class="PickerView"/><object id="dates" class="DatePicker"/>
  <object id="area" class="KRFormPickerEditor"><string name="editorType">area</string><number name="numberOfColumns">3</number>
    <outlet name="pickerView" to="wheels"/><collection name="items"><ref to="gd"/><ref to="bj"/></collection></object>
  <object id="day" class="KRFormDateEditor"><string name="editorType">date</string><outlet name="datePicker" to="dates"/></object>
  <object id="gd" class="KRFormPickerEditorItem"><string name="value">44</string><string name="text">广东</string>
    <collection name="items"><ref to="gz"/><ref to="sz"/></collection></object>
  <object id="gz" class="KRFormPickerEditorItem"><number name="value">4401</number><string name="text">广州</string>
    <collection name="items"><ref to="th"/><ref to="yx"/></collection></object>
  <object id="th" class="KRFormPickerEditorItem"><number name="value">440106</number><string name="text">天河</string></object><object id="yx" class="KRFormPickerEditorItem"><number name="value">440104</number><string name="text">越秀</string></object>
  <object id="sz" class="KRFormPickerEditorItem"><number name="value">4403</number><string name="text">深圳</string></object><object id="bj" class="KRFormPickerEditorItem"><number name="value">11</number><string name="text">北京</string></object>
  <object id="areaItem" class="KRFormItem"><string name="field">area</string><string name="editorType">area</string>
    <outlet name="view" to="areaButton"/><outlet name="delegate" to="owner"/></object>
  <object id="dayItem" class="KRFormItem"><string name="field">day</string><string name="editorType">date</string>
    <outlet name="view" to="dayButton"/><outlet name="delegate" to="owner"/></object>
  <object id="loose" class="KRFormItem"><string name="editorType">none</string><outlet name="delegate" to="owner"/></object>
  <object id="areaButton" class="KRFormButton"/><object id="dayButton" class="KRFormButton"/>
  <collection name="formItems"><ref to="areaItem"/><ref to="dayItem"/><ref to="loose"/></collection>
  <collection name="editors"><ref to="area"/><ref to="day"/></collection>
</interface>)";

class KRFormEditors : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto file = pf::InterfaceFile::parse(kForm, "Form", pf::Bundle(std::string(std::getenv("ZMR_SOURCE_DIR"))));
        ASSERT_TRUE(file) << file.error().description;
        auto made = file.value()->instantiate(form);
        ASSERT_TRUE(made) << made.error().description;
        picker = form->editors()->at(0).objectAs<KRFormPickerEditor>();
        dates = form->editors()->at(1).objectAs<KRFormDateEditor>();
        areaItem = form->formItems()->at(0).objectAs<KRFormItem>();
        dayItem = form->formItems()->at(1).objectAs<KRFormItem>();
        loose = form->formItems()->at(2).objectAs<KRFormItem>();
        ASSERT_TRUE(picker && dates && areaItem && dayItem && loose);
    }

    std::shared_ptr<KRFormController> form = std::make_shared<KRFormController>();
    std::shared_ptr<KRFormPickerEditor> picker;
    std::shared_ptr<KRFormDateEditor> dates;
    std::shared_ptr<KRFormItem> areaItem, dayItem, loose;
};

// Values come as decoded server data: equal to the tree's, never the same object.
TEST_F(KRFormEditors, PickerTree)
{
    struct Row {
        const char* json;
        std::vector<std::pair<int, int>> turns; // row, column
        const char* chosen;                     // nullptr: OK acts as Cancel
        std::vector<int> rows;                  // per column
        int shownFirst;                         // the first column's row on screen
    } rows[] = {
        {R"("44")", {}, "天河", {2, 2, 2}, 0},
        {"11", {}, "北京", {2, 0, 0}, 1},
        {"null", {{0, 0}, {1, 1}, {1, 2}}, "深圳", {2, 2, 0}, 0},
        {"null", {{0, 0}, {0, 1}, {1, 2}}, "越秀", {2, 2, 2}, 0},
        {"4401", {{1, 0}}, "北京", {2, 0, 0}, 0},
        {"null", {{5, 0}}, nullptr, {2, 0, 0}, 0}, // nothing to take: OK acts as Cancel
    };
    for (auto& row : rows) {
        SCOPED_TRACE(row.json);
        auto value = KRJSON::decodeText(std::string("[") + row.json + "]").array()->at(0);
        form->setFormValues(pf::Value(pf::Dictionary::create({{"area", value}})));
        areaItem->setText(std::string("原来"));
        areaItem->doFocusAction(nullptr);
        EXPECT_EQ(picker->pickerView()->selectedRowInComponent(0), row.shownFirst);
        for (int c = 1; c < 3; ++c) // the last item's turns never show
            EXPECT_LE(picker->pickerView()->selectedRowInComponent(c), 0) << c;
        for (auto [r, c] : row.turns) { // a wheel turned by hand settles and tells its delegate
            picker->pickerView()->selectRow(r, c);
            picker->pickerViewDidSelectRow(*picker->pickerView(), r, c);
        }
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(picker->pickerView()->numberOfRowsInComponent(c), row.rows[std::size_t(c)]) << c;
        picker->doOKAction(nullptr);
        EXPECT_EQ(areaItem->text(), row.chosen ? row.chosen : "原来");
        EXPECT_EQ(form->formValues()->get("area"), row.chosen ? picker->selectedItem()->value() : value);
    }
}

TEST_F(KRFormEditors, DateTextsInAndOut)
{
    pf::DateFormatter day("yyyy-MM-dd");
    std::string today = day.stringFromDate(pf::Date::now());
    pf::Value mayDay(pf::Date{1367337600}); // 2013-05-01 00:00 in UTC+8
    struct Row {
        pf::Value value;
        const char* shown; // nullptr: today
        bool ok;
    } rows[] = {{pf::Value("2013-05-01"), "2013-05-01", true}, {mayDay, "2013-05-01", true},
                {pf::Value("2013-02-30"), nullptr, false},     {pf::Value(20130501), nullptr, false},
                {pf::Value(), nullptr, false}};
    for (auto& row : rows) {
        SCOPED_TRACE(row.value.description());
        dayItem->setText(std::string("旧"));
        dayItem->setValue(row.value);
        dayItem->doFocusAction(nullptr);
        EXPECT_EQ(day.stringFromDate(dates->datePicker()->date()), row.shown ? row.shown : today);
        row.ok ? dates->doOKAction(nullptr) : dates->doCancelAction(nullptr);
        EXPECT_EQ(dayItem->value(), row.ok ? mayDay : row.value); // a text that is no date stays as it was
        EXPECT_EQ(dayItem->text(), row.ok ? "2013-05-01" : (row.value.isString() ? *row.value.string() : "旧"));
    }
}

// Focus on an item without an editor of its type leaves the date editor on
// its item; only the focused item's cancel detaches it.
TEST_F(KRFormEditors, FocusWithoutAMatchingEditor)
{
    areaItem->doFocusAction(nullptr);
    dayItem->doFocusAction(nullptr);
    loose->doFocusAction(nullptr);
    EXPECT_TRUE(!picker->formItem() && loose->isFocus() && !dayItem->isFocus());
    dayItem->focusCancel();
    EXPECT_EQ(dates->formItem(), dayItem);
    loose->focusCancel();
    EXPECT_FALSE(dates->formItem() || form->focusFormItem() || form->focusEditor() || loose->isFocus());
}

// Each editor shows its view exactly while it holds an item; the panels
// (date, picker) come in front of their siblings as they take one, the
// keyboard bar stays where it is.
TEST(KRFormEditor, ViewsShowWhileEditingAndPanelsComeToFront)
{
    struct Row {
        std::shared_ptr<KRFormEditor> editor;
        bool panel;
    } rows[] = {{std::make_shared<KRFormKeyboardEditor>(), false},
                {std::make_shared<KRFormDateEditor>(), true},
                {std::make_shared<KRFormPickerEditor>(), true}};
    for (const Row& row : rows) {
        auto parent = std::make_shared<pf::View>();
        auto view = std::make_shared<pf::View>();
        parent->addSubview(view);
        parent->addSubview(std::make_shared<pf::View>());
        row.editor->setView(view);
        auto item = std::make_shared<KRFormItem>();
        row.editor->setFormItem(item);
        EXPECT_FALSE(view->isHidden());
        EXPECT_EQ(parent->subviews().back() == view, row.panel);
        row.editor->setFormItem(nullptr);
        EXPECT_TRUE(view->isHidden());
        EXPECT_FALSE(row.editor->formItem());
    }
}

}
