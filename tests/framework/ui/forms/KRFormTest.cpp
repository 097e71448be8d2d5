#include "framework/ui/KRFormButton.h"
#include "framework/ui/KRFormController.h"
#include "platform/controls/Label.h"
#include "platform/foundation/Collections.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct ViewKind {
    const char* name;
    std::function<pf::ViewRef()> make;
};

const std::vector<ViewKind>& viewKinds()
{
    static const std::vector<ViewKind> kinds{
        {"label", [] { return std::make_shared<pf::Label>(); }},
        {"field", [] { return std::make_shared<pf::TextField>(); }},
        {"textView", [] { return std::make_shared<pf::TextView>(); }},
        {"button", [] { return std::make_shared<pf::Button>(); }},
        {"formButton", [] { return std::make_shared<KRFormButton>(); }},
    };
    return kinds;
}

std::shared_ptr<KRFormItem> itemOn(const pf::ViewRef& view, std::optional<std::string> field = {})
{
    auto item = std::make_shared<KRFormItem>();
    item->setView(view);
    item->setField(std::move(field));
    return item;
}

// Only texts reach a view's text; other values leave "old" showing, and a
// form button keeps whatever value it is given.
TEST(KRFormItem, ValueAndTextPerViewKind)
{
    struct Row {
        pf::Value value;
        bool isText;
    } rows[] = {
        {pf::Value("新值"), true}, {pf::Value(5), false}, {pf::Value::null(), false},
        {pf::Value(pf::Dictionary::create({{"a", 1}})), false}, {pf::Value(), false},
    };
    for (auto& kind : viewKinds())
        for (auto& row : rows) {
            auto item = itemOn(kind.make());
            item->setText(std::string("old"));
            item->setValue(row.value);
            std::string expected = row.isText ? *row.value.string() : "old";
            SCOPED_TRACE(std::string(kind.name) + " " + row.value.description());
            EXPECT_EQ(item->text(), expected);
            if (std::string(kind.name) == "formButton")
                EXPECT_EQ(item->value(), row.value);
            else
                EXPECT_EQ(item->value(), pf::Value(expected));
        }
    auto plain = itemOn(std::make_shared<pf::View>());
    plain->setValue(pf::Value("x"));
    EXPECT_TRUE(plain->value().isNil());
    EXPECT_FALSE(plain->text());
}

TEST(KRFormItem, Emptiness)
{
    struct Row {
        pf::Value value;
        bool empty;
    } rows[] = {
        {pf::Value(), true},         {pf::Value::null(), true},       {pf::Value(""), true},
        {pf::Value(0), true},        {pf::Value(0.0), true},          {pf::Value(false), true},
        {pf::Value("0"), false},     {pf::Value(" "), false},         {pf::Value(0.5), false},
        {pf::Value(pf::Date{0}), true}, {pf::Value(pf::Date{1}), false}, {pf::Value(pf::Array::create()), false},
    };
    for (auto& row : rows) {
        auto button = std::make_shared<KRFormButton>();
        button->setValue(row.value);
        EXPECT_EQ(itemOn(button)->isEmpty(), row.empty) << row.value.description();
    }
}

TEST(KRFormController, ReadsAndFillsFieldsOnly)
{
    auto form = std::make_shared<KRFormController>();
    auto name = itemOn(std::make_shared<pf::TextField>(), "name");
    auto loose = itemOn(std::make_shared<pf::Label>());
    auto first = itemOn(std::make_shared<KRFormButton>(), "kind");
    auto second = itemOn(std::make_shared<pf::Label>(), "kind");
    form->setFormItems(pf::Array::create({name, loose, first, second}));
    loose->setText(std::string("untouched"));
    form->setFormValues(pf::Value(pf::Dictionary::create({{"name", "张三"}, {"kind", 7}})));
    EXPECT_EQ(loose->text(), "untouched");
    EXPECT_EQ(first->value(), pf::Value(7));
    EXPECT_EQ(second->text(), ""); // a number never shows as text
    second->setText(std::string("later"));
    auto values = form->formValues();
    EXPECT_EQ(values->get("name"), pf::Value("张三"));
    EXPECT_EQ(values->get("kind"), pf::Value("later"));
    form->setFormValues(pf::Value(pf::Dictionary::create())); // absent keys set nil: texts stay
    EXPECT_EQ(name->text(), "张三");
}

class RecordingEditor : public pf::Object, public IKRFormEditor {
public:
    explicit RecordingEditor(std::string type) : m_type(std::move(type)) {}
    const std::string& editorType() const override { return m_type; }
    void setEditorType(const std::string& type) override { m_type = type; }
    std::shared_ptr<KRFormItem> formItem() const override { return m_item; }
    void setFormItem(const std::shared_ptr<KRFormItem>& item) override { m_item = item; }

private:
    std::string m_type;
    std::shared_ptr<KRFormItem> m_item;
};

// Each step focuses or cancels an item, then the focus flags, the focused
// item and which item each editor holds are checked.
TEST(KRFormController, FocusMovesBetweenEditors)
{
    auto form = std::make_shared<KRFormController>();
    auto keys = std::make_shared<RecordingEditor>("keys");
    auto dates = std::make_shared<RecordingEditor>("date");
    form->setEditors(pf::Array::create({keys, dates}));
    std::vector<std::shared_ptr<KRFormItem>> items;
    for (const char* type : {"keys", "keys", "date", "none"}) {
        items.push_back(itemOn(std::make_shared<pf::TextField>()));
        items.back()->setEditorType(type);
        items.back()->setDelegate(form);
    }
    form->setFormItems(pf::Array::create({items[0], items[1], items[2], items[3]}));
    struct Step {
        bool cancel;
        int item;
        int focused;   // -1: none
        int keysItem;  // the item the keys editor holds, -1: none
        int datesItem;
        pf::ObjectRef editor;
    } steps[] = {
        {false, 0, 0, 0, -1, keys}, {false, 1, 1, 1, -1, keys}, {false, 2, 2, -1, 2, dates},
        // no editor of its type: the date editor stays on its item
        {false, 3, 3, -1, 2, dates}, {true, 2, 3, -1, 2, dates}, {true, 3, -1, -1, -1, nullptr},
        {false, 0, 0, 0, -1, keys},
    };
    auto indexOf = [&](const std::shared_ptr<KRFormItem>& item) {
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i] == item)
                return int(i);
        return -1;
    };
    for (std::size_t s = 0; s < std::size(steps); ++s) {
        auto& step = steps[s];
        SCOPED_TRACE(s);
        if (step.cancel)
            items[std::size_t(step.item)]->focusCancel();
        else
            items[std::size_t(step.item)]->doFocusAction(nullptr);
        EXPECT_EQ(indexOf(form->focusFormItem()), step.focused);
        for (std::size_t i = 0; i < items.size(); ++i)
            EXPECT_EQ(items[i]->isFocus(), int(i) == step.focused);
        EXPECT_EQ(indexOf(keys->formItem()), step.keysItem);
        EXPECT_EQ(indexOf(dates->formItem()), step.datesItem);
        EXPECT_EQ(form->focusEditor(), step.editor);
    }
}

}
