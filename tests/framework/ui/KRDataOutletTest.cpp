#include "framework/core/KRJSON.h"
#include "framework/ui/KRDataOutlet.h"
#include "framework/ui/KRDataOutletContainer.h"
#include "framework/ui/KRImageView.h"
#include "platform/controls/Button.h"
#include "platform/controls/Label.h"
#include "platform/foundation/Bundle.h"
#include "platform/ui/InterfaceFile.h"
#include "platform/ui/ViewController.h"

#include <gtest/gtest.h>

#include <functional>

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
    struct Row {
        pf::Value value;
        bool truth;
    };
    const Row rows[] = {
        {pf::Value(), false},        {pf::Value::null(), false},   {"false", false},
        {"", false},                 {"0", false},                 {"False", true},
        {"no", true},                {"0.0", true},                {" 0", true},
        {"1", true},                 {pf::Value(0), false},        {pf::Value(0.0), false},
        {pf::Value(0.25), true},     {pf::Value(-3), true},        {pf::Value(false), false},
        {pf::Value(true), true},     {pf::Array::create(), true},  {pf::Value(pf::Date{0}), true},
        {pf::Value(std::make_shared<pf::Label>()), true},
    };
    for (const Row& row : rows)
        EXPECT_EQ(KRDataOutlet::booleanValue(row.value), row.truth) << row.value.description();
}

// Each value source onto a label's text; "(kept)" when the outlet set nothing.
TEST(KRDataOutlet, ValueSources)
{
    struct Row {
        const char* name;
        std::function<void(KRDataOutlet&)> configure;
        const char* expected;
    };
    const pf::Value item = KRJSON::decodeText(
        R"({"n":12,"s":"hi","z":"0","one":"1","cap":"False","nul":null,"user":{"nick":"Bo"},"list":["a","b"]})");
    const Row rows[] = {
        {"fixed value", [](KRDataOutlet& o) { o.setValue("fixed"); }, "fixed"},
        {"string of number", [](KRDataOutlet& o) { o.setStringKeyPath("n"); }, "12"},
        {"string of string", [](KRDataOutlet& o) { o.setStringKeyPath("user.nick"); }, "Bo"},
        {"string absent beats value",
         [](KRDataOutlet& o) {
             o.setStringKeyPath("missing");
             o.setValue("fixed");
         },
         ""},
        {"string of null", [](KRDataOutlet& o) { o.setStringKeyPath("nul"); }, ""},
        {"boolean", [](KRDataOutlet& o) { o.setBooleanKeyPath("z"); }, "0"},
        {"boolean capital False", [](KRDataOutlet& o) { o.setBooleanKeyPath("cap"); }, "1"},
        {"format", [](KRDataOutlet& o) { o.setStringFormat("@{user.nick} has {n}{"); }, "@Bo has 12"},
        {"format missing key", [](KRDataOutlet& o) { o.setStringFormat("{nope}"); }, ""},
        {"format element", [](KRDataOutlet& o) { o.setStringFormat("{list.@last}!"); }, "b!"},
        {"value key path", [](KRDataOutlet& o) { o.setValueKeyPath("s"); }, "hi"},
        {"value null", [](KRDataOutlet& o) { o.setValueKeyPath("nul"); }, ""},
        {"enabled by 0", [](KRDataOutlet& o) { o.setEnabledKeyPath("z"), o.setValue("x"); }, "(kept)"},
        {"enabled by missing", [](KRDataOutlet& o) { o.setEnabledKeyPath("missing"), o.setValue("x"); }, "(kept)"},
        {"enabled by False", [](KRDataOutlet& o) { o.setEnabledKeyPath("cap"), o.setValue("x"); }, "x"},
        {"disabled by 12", [](KRDataOutlet& o) { o.setDisabledKeyPath("n"), o.setValue("x"); }, "(kept)"},
        {"disabled by 0", [](KRDataOutlet& o) { o.setDisabledKeyPath("z"), o.setValue("x"); }, "x"},
    };
    for (const Row& row : rows) {
        auto label = std::make_shared<pf::Label>();
        label->setText("(kept)");
        auto outlet = outletOn(label, "text");
        row.configure(*outlet);
        outlet->applyDataOutlet(item);
        EXPECT_EQ(label->text(), row.expected) << row.name;
    }
}

TEST(KRDataOutlet, FlagsNullsAndTitleLabel)
{
    const pf::Value item = KRJSON::decodeText(R"({"on":"1","off":"0","nul":null,"t":"Go"})");
    auto view = pf::View::create();
    auto hide = outletOn(view, "visable");
    hide->setBooleanKeyPath("off");
    hide->applyDataOutlet(item);
    EXPECT_TRUE(view->isHidden());
    hide->setBooleanKeyPath("on");
    hide->applyDataOutlet(item);
    EXPECT_FALSE(view->isHidden());

    auto button = std::make_shared<pf::Button>();
    auto disable = outletOn(button, "disabled");
    disable->setBooleanKeyPath("on");
    disable->applyDataOutlet(item);
    EXPECT_FALSE(button->isEnabled());
    EXPECT_EQ(button->valueForKey("disabled"), pf::Value(true));

    auto title = outletOn(button, "titleLabel.text");
    title->setStringKeyPath("t");
    title->applyDataOutlet(item);
    EXPECT_EQ(button->title(), "Go");

    auto image = std::make_shared<KRImageView>();
    image->setSrc("http://127.0.0.1/a.png");
    auto src = outletOn(image, "src");
    src->setValueKeyPath("nul");
    src->applyDataOutlet(item);
    EXPECT_EQ(image->src(), std::nullopt);
}

// A key a view lacks, or a value of the wrong type, skips only that view.
TEST(KRDataOutlet, BadKeyOrTypeSkipsTheView)
{
    const pf::Value item = KRJSON::decodeText(R"({"s":"ok","d":{"a":1},"st":"edit"})");
    auto first = std::make_shared<pf::Label>();
    auto image = std::make_shared<pf::ImageView>();
    auto last = std::make_shared<pf::Label>();
    auto text = std::make_shared<KRDataOutlet>();
    text->setKeyPath("text");
    text->setStringKeyPath("s");
    text->setViews(pf::Array::create({first, image, last, pf::Value("not a view")}));
    auto wrongType = outletOn(first, "text");
    wrongType->setValueKeyPath("d");
    auto missingPath = outletOn(last, "nothing.here");
    missingPath->setValue("x");
    auto viewOnly = outletOn(last, "text");
    viewOnly->setValue("view status");
    viewOnly->setStatus("view");
    auto hideImage = outletOn(image, "visable");
    hideImage->setValue(false);
    hideImage->setStatus("edit");

    KRDataOutletContainer container;
    container.setDataOutlets(pf::Array::create({text, wrongType, missingPath, pf::Value("junk"), viewOnly, hideImage}));
    container.setStatus("edit done");
    container.applyDataOutlet(item);
    container.applyDataOutlet(item); // logged once, skipped again
    EXPECT_EQ(first->text(), "ok");
    EXPECT_EQ(last->text(), "ok");
    EXPECT_TRUE(image->isHidden());
}

TEST(KRDataOutlet, InterfaceFileSetsEveryKey)
{
    const char* xml = R"(<interface owner="ViewController">
  <object id="v" class="View"><subviews><object id="l" class="Label"/><object id="b" class="Button"/></subviews></object>
  <outlet name="view" to="v"/>
  <object id="o1" class="KRDataOutlet"><string name="keyPath">text</string><string name="stringFormat">#{n}</string>
    <string name="status">view</string><outlet name="view" to="l"/></object>
  <object id="o2" class="KRDataOutlet"><string name="keyPath">visable</string><string name="booleanKeyPath">n</string>
    <string name="enabledKeyPath">n</string><string name="disabledKeyPath">x</string><string name="stringKeyPath">n</string>
    <string name="valueKeyPath">n</string><bool name="value">NO</bool><collection name="views"><ref to="b"/></collection></object>
  <object id="c" class="KRDataOutletContainer"><string name="status">view</string>
    <collection name="dataOutlets"><ref to="o1"/><ref to="o2"/></collection></object>
</interface>)";
    auto file = pf::InterfaceFile::parse(xml, "Outlets", pf::Bundle("/nonexistent"));
    ASSERT_TRUE(file) << file.error().description;
    auto owner = std::make_shared<pf::ViewController>();
    auto objects = file.value()->instantiate(owner);
    ASSERT_TRUE(objects) << objects.error().description;
    std::shared_ptr<KRDataOutletContainer> container;
    for (auto& object : objects.value())
        if (auto found = std::dynamic_pointer_cast<KRDataOutletContainer>(object))
            container = found;
    ASSERT_TRUE(container);
    container->applyDataOutlet(KRJSON::decodeText(R"({"n":"7"})"));
    auto subviews = owner->view()->subviews();
    ASSERT_EQ(subviews.size(), 2u);
    EXPECT_EQ(std::static_pointer_cast<pf::Label>(subviews[0])->text(), "#7");
    EXPECT_EQ(subviews[1]->isHidden(), false);
}

}
