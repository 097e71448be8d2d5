#include "framework/ui/KRFormButton.h"
#include "framework/ui/KRFormItem.h"
#include "platform/controls/Label.h"
#include "platform/foundation/Collections.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// Only texts reach a view: other values leave "old" showing, while a form
// button keeps whatever value it is given.
TEST(KRFormItem, OnlyTextsReachViews)
{
    std::function<pf::ViewRef()> kinds[] = {
        [] { return std::make_shared<pf::Label>(); }, [] { return std::make_shared<pf::TextField>(); },
        [] { return std::make_shared<pf::TextView>(); }, [] { return std::make_shared<pf::Button>(); },
        [] { return std::make_shared<KRFormButton>(); }};
    struct Row {
        pf::Value value;
        bool emptyOnButton;
    } rows[] = {{pf::Value("新值"), false}, {pf::Value(5), false},    {pf::Value(0), true},
                {pf::Value("0"), false},    {pf::Value(""), true},    {pf::Value::null(), true},
                {pf::Value(pf::Date{0}), true}, {pf::Value(pf::Dictionary::create()), false}, {pf::Value(), true}};
    for (auto& make : kinds)
        for (auto& row : rows) {
            auto item = std::make_shared<KRFormItem>();
            item->setView(make());
            item->setText(std::string("old"));
            item->setValue(row.value);
            std::string expected = row.value.isString() ? *row.value.string() : "old";
            bool own = dynamic_cast<KRFormButton*>(item->view().get());
            EXPECT_EQ(item->text(), expected) << row.value.description();
            EXPECT_EQ(item->value(), own ? row.value : pf::Value(expected));
            EXPECT_EQ(item->isEmpty(), own ? row.emptyOnButton : expected.empty()) << row.value.description();
        }
}

}
