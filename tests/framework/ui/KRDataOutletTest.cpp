#include "framework/core/KRJSON.h"
#include "framework/ui/KRActionControls.h"
#include "framework/ui/KRDataOutlet.h"
#include "framework/ui/KRDataOutletContainer.h"
#include "framework/ui/KRImageView.h"
#include "platform/controls/Label.h"

#include <gtest/gtest.h>

namespace {

std::shared_ptr<KRDataOutlet> outletOn(const pf::ObjectRef& view, std::string keyPath)
{
    auto outlet = std::make_shared<KRDataOutlet>();
    outlet->setView(view);
    outlet->setKeyPath(std::move(keyPath));
    return outlet;
}

TEST(KRDataOutlet, TruthRule)
{
    const std::pair<pf::Value, bool> rows[] = {
        {pf::Value(), false}, {pf::Value::null(), false}, {"false", false}, {"", false}, {"0", false},
        {"False", true}, {"no", true}, {"0.0", true}, {" 0", true}, {pf::Value(0), false}, {pf::Value(0.0), false},
        {pf::Value(0.25), true}, {pf::Value(-3), true}, {pf::Array::create(), true},
        {pf::Value(std::make_shared<pf::Label>()), true},
    };
    for (const auto& [value, truth] : rows)
        EXPECT_EQ(KRDataOutlet::booleanValue(value), truth) << value.description();
}

// Each value source onto a label's text; "(kept)" when the outlet set nothing.
TEST(KRDataOutlet, ValueSources)
{
    struct Row {
        const char *str = "", *boolean = "", *format = "", *raw = "", *enabled = "", *disabled = "";
        pf::Value fixed = {};
        const char* expected = "";
    };
    const pf::Value item =
        KRJSON::decodeText(R"({"n":12,"z":"0","cap":"False","nul":null,"u":{"nick":"Bo"},"list":["a","b"]})");
    const Row rows[] = {
        {.fixed = "fixed", .expected = "fixed"},        {.str = "n", .expected = "12"},
        {.str = "u.nick", .expected = "Bo"},            {.str = "gone", .fixed = "fixed", .expected = ""},
        {.str = "nul", .expected = ""},                 {.boolean = "z", .expected = "0"},
        {.boolean = "cap", .expected = "1"},            {.format = "@{u.nick}={n}{", .expected = "@Bo=12"},
        {.format = "{list.@last}{gone}", .expected = "b"},
        {.raw = "nul", .fixed = "fixed", .expected = ""},
        {.enabled = "z", .fixed = "x", .expected = "(kept)"}, {.enabled = "gone", .fixed = "x", .expected = "(kept)"},
        {.enabled = "cap", .fixed = "x", .expected = "x"},    {.disabled = "n", .fixed = "x", .expected = "(kept)"},
        {.disabled = "z", .fixed = "x", .expected = "x"},
    };
    for (const Row& row : rows) {
        auto label = std::make_shared<pf::Label>();
        label->setText("(kept)");
        auto outlet = outletOn(label, "text");
        outlet->setStringKeyPath(row.str), outlet->setBooleanKeyPath(row.boolean);
        outlet->setStringFormat(row.format), outlet->setValueKeyPath(row.raw);
        outlet->setEnabledKeyPath(row.enabled), outlet->setDisabledKeyPath(row.disabled), outlet->setValue(row.fixed);
        outlet->applyDataOutlet(item);
        EXPECT_EQ(label->text(), row.expected) << row.str << row.boolean << row.format << row.raw << row.enabled;
    }
}

// Flags, a title reached through "titleLabel.text", a JSON null clearing a
// source; a key a view lacks, or a value of the wrong type, skips only that
// view, and the container's status word filters outlets.
TEST(KRDataOutlet, KeyPathsAndSkippedViews)
{
    const pf::Value item = KRJSON::decodeText(R"({"off":"0","t":"Go","nul":null,"d":{"a":1}})");
    auto label = std::make_shared<pf::Label>(), last = std::make_shared<pf::Label>();
    auto button = std::make_shared<KRButton>();
    button->setUserInfo("kept");
    auto image = std::make_shared<KRImageView>();
    image->setSrc("http://127.0.0.1/a.png");
    auto hide = outletOn(nullptr, "visable"), disable = outletOn(button, "disabled");
    hide->setViews(pf::Array::create({label, "not a view", image, last}));
    hide->setBooleanKeyPath("off");
    disable->setBooleanKeyPath("t");
    auto title = outletOn(button, "titleLabel.text"), src = outletOn(image, "src"), info = outletOn(button, "userInfo");
    title->setStringKeyPath("t"), src->setValueKeyPath("nul"), info->setValueKeyPath("nul");
    auto text = outletOn(nullptr, "text"), wrongType = outletOn(label, "text"), noPath = outletOn(last, "no.path");
    text->setViews(pf::Array::create({label, image, last}));
    text->setStringKeyPath("t"), wrongType->setValueKeyPath("d"), noPath->setValue("x");
    auto other = outletOn(last, "text");
    other->setStatus("view"), other->setValue("filtered out"), hide->setStatus("edit");

    KRDataOutletContainer container;
    container.setStatus("edit done");
    container.setDataOutlets(pf::Array::create({hide, disable, title, src, info, text, wrongType, noPath, "junk", other}));
    container.applyDataOutlet(item);
    EXPECT_TRUE(label->isHidden() && image->isHidden() && last->isHidden());
    EXPECT_TRUE(!button->isEnabled() && button->title() == "Go");
    EXPECT_TRUE(!image->src() && button->userInfo().isNil());
    EXPECT_EQ(label->text() + last->text(), "GoGo");
}

}
