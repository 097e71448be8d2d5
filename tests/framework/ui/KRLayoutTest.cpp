#include "framework/ui/KRLayoutContainer.h"
#include "framework/ui/KRLayoutData.h"
#include "framework/ui/KRViewLayout.h"
#include "platform/controls/Label.h"
#include "platform/controls/ScrollView.h"
#include "platform/foundation/Bundle.h"
#include "platform/ui/InterfaceFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

// Ten points a character, twenty a line, whatever the font.
struct FixedMeasurer : pf::TextMeasurer {
    pf::Size measure(std::string_view text, const pf::TextStyle&, double) const override
    {
        return {10.0 * static_cast<double>(text.size()), 20};
    }
};

// The host view and container an interface file makes, after one pass.
pf::ViewRef layOut(const std::string& rules, const std::string& host = "class='View'>")
{
    auto xml = "<interface><object id='host' " + host +
               "<rect name='frame'>{{0,0},{200,100}}</rect><subviews><object id='box' class='Label'>" +
               "<rect name='frame'>{{1,5},{30,20}}</rect></object></subviews></object>" +
               "<object id='data' class='KRLayoutData'><outlet name='view' to='box'/>" + rules + "</object>" +
               "<object id='layout' class='KRViewLayout'><outlet name='view' to='host'/>" +
               "<collection name='layoutDatas'><ref to='data'/></collection></object>" +
               "<object id='c' class='KRLayoutContainer'><collection name='layouts'><ref to='layout'/></collection>" +
               "</object></interface>";
    auto file = pf::InterfaceFile::parse(xml, "Layout", pf::Bundle("."));
    EXPECT_TRUE(file) << file.error().description;
    auto objects = file.value()->instantiate(std::make_shared<pf::Object>());
    pf::ViewRef view;
    for (const auto& object : objects.value()) {
        if (auto container = std::dynamic_pointer_cast<KRLayoutContainer>(object))
            container->layout();
        if (auto found = std::dynamic_pointer_cast<pf::View>(object))
            view = found->subviews().at(0);
    }
    return view;
}

TEST(KRLayoutTest, RulesFromInterfaceFile)
{
    struct Row { const char* rules; pf::Rect expected; } rows[] = {
        {"<string name='width'>50%</string>", {50, 5, 100, 20}},
        {"<number name='left'>10</number><string name='right'>10%</string>", {10, 5, 170, 20}},
        {"<number name='width'>100</number><number name='right'>10</number>", {90, 5, 100, 20}},
        {"<number name='top'>20</number><string name='left'>auto</string>", {1, 5, 30, 20}},
        {"<number name='top'>0</number><number name='bottom'>0</number>", {1, 0, 30, 100}},
        {"<string name='left'>inf</string><string name='right'>nan%</string>", {0, 5, 200, 20}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(layOut(row.rules)->frame(), row.expected) << row.rules;
    // A scroll view host lays out over its larger content.
    EXPECT_EQ(layOut("<number name='bottom'>0</number><number name='height'>20</number>",
                     "class='ScrollView'><size name='contentSize'>{80, 400}</size>")
                  ->frame(),
              pf::Rect(1, 380, 30, 20));
}

TEST(KRLayoutTest, PassesWithPaddingRefitAndDoNotDrift)
{
    FixedMeasurer measurer;
    auto host = pf::View::create({0, 0, 300, 200});
    auto label = std::make_shared<pf::Label>(pf::Rect{7, 9, 1, 1});
    label->setTextMeasurer(&measurer);
    label->setText("abc");
    auto fitted = std::make_shared<KRLayoutData>();
    fitted->setView(label);
    fitted->setWidthToFit(true);
    fitted->setHeightToFit(true);
    fitted->setMaxWidth(pf::Value("20%"));
    auto layout = std::make_shared<KRViewLayout>();
    layout->setView(host);
    layout->setPadding({10, 20, 10, 20});
    auto datas = std::make_shared<pf::Array>();
    layout->setLayoutDatas(datas);
    layout->layout();
    EXPECT_EQ(layout->contentSize(), pf::Size());
    datas->add(pf::Value(fitted));
    for (const char* text : {"abc", "abc", "abcdefghijklmnop"}) {
        label->setText(text);
        layout->layout();
        EXPECT_EQ(label->frame(), pf::Rect(7, 9, std::min(10.0 * strlen(text), 52.0), 20)) << text;
        EXPECT_EQ(layout->contentSize(), (pf::Size{std::min(10.0 * strlen(text), 52.0) + 27, 39})) << text;
    }
}

}
