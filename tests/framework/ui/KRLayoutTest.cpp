#include "framework/ui/KRLayoutContainer.h"
#include "framework/ui/KRLayoutData.h"
#include "framework/ui/KRViewLayout.h"
#include "platform/controls/Label.h"
#include "platform/controls/ScrollView.h"
#include "platform/foundation/Collections.h"
#include "platform/ui/View.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

// Ten points a character, twenty a line, whatever the font.
class FixedMeasurer : public pf::TextMeasurer {
public:
    pf::Size measure(std::string_view text, const pf::TextStyle&, double) const override
    {
        return {10.0 * static_cast<double>(text.size()), 20};
    }
};

pf::ArrayRef arrayOf(std::initializer_list<pf::ObjectRef> objects)
{
    auto array = std::make_shared<pf::Array>();
    for (const auto& object : objects)
        array->add(pf::Value(object));
    return array;
}

TEST(KRLayoutDataTest, ValueOfBase)
{
    const double inf = std::numeric_limits<double>::infinity();
    struct Row {
        pf::Value value;
        double base, expected;
    } rows[] = {
        {pf::Value("50%"), 300, 150}, {pf::Value("12.5"), 300, 12.5}, {pf::Value("auto"), 300, 0},
        {pf::Value(42), 300, 42},     {pf::Value(), 300, 0},          {pf::Value(inf), 300, 0},
        {pf::Value("inf"), 300, 0},   {pf::Value("nan%"), 300, 0},    {pf::Value("1e400%"), 300, 0},
    };
    for (const auto& row : rows)
        EXPECT_DOUBLE_EQ(KRLayoutData::valueOfBase(row.value, row.base), row.expected)
            << row.value.stringValue().value_or("?");
}

TEST(KRLayoutDataTest, FrameOfSize)
{
    struct Row {
        const char* name;
        pf::Size area;
        pf::Value left, right, width, top, bottom, height;
        pf::Rect expected;
    } rows[] = {
        {"half width centred", {300, 100}, {}, {}, pf::Value("50%"), {}, {}, {}, {75, 5, 150, 20}},
        {"left and right stretch", {200, 100}, pf::Value(10), pf::Value("10%"), {}, {}, {}, {}, {10, 5, 170, 20}},
        {"width from right", {320, 100}, {}, pf::Value(10), pf::Value(100), {}, {}, {}, {210, 5, 100, 20}},
        {"lone top keeps y", {320, 100}, {}, {}, {}, pf::Value(20), {}, {}, {1, 5, 30, 20}},
        {"zero counts as set", {320, 100}, pf::Value(0), pf::Value(0), {}, {}, pf::Value(0), pf::Value(0),
         {0, 100, 320, 0}},
    };
    for (const auto& row : rows) {
        auto data = std::make_shared<KRLayoutData>();
        data->setView(pf::View::create({1, 5, 30, 20}));
        data->setLeft(row.left);
        data->setRight(row.right);
        data->setWidth(row.width);
        data->setTop(row.top);
        data->setBottom(row.bottom);
        data->setHeight(row.height);
        EXPECT_EQ(data->frameOfSize(row.area), row.expected) << row.name;
    }
}

TEST(KRLayoutDataTest, FitToContent)
{
    FixedMeasurer measurer;
    struct Row {
        const char* text;
        pf::Value maxWidth;
        pf::Size expected;
    } rows[] = {
        {"abcd", {}, {40, 20}},
        {"abcdefghij", pf::Value("25%"), {50, 20}},
        {"ab", pf::Value(50), {20, 20}},
    };
    for (const auto& row : rows) {
        auto label = std::make_shared<pf::Label>(pf::Rect{3, 4, 1, 1});
        label->setTextMeasurer(&measurer);
        label->setText(row.text);
        auto data = std::make_shared<KRLayoutData>();
        data->setView(label);
        data->setWidthToFit(true);
        data->setHeightToFit(true);
        data->setMaxWidth(row.maxWidth);
        EXPECT_EQ(data->frameOfSize({200, 100}), pf::Rect({3, 4}, row.expected)) << row.text;
    }
}

TEST(KRViewLayoutTest, PassesWithPaddingDoNotDrift)
{
    FixedMeasurer measurer;
    auto host = pf::View::create({0, 0, 300, 200});
    auto label = std::make_shared<pf::Label>(pf::Rect{7, 9, 1, 1});
    label->setTextMeasurer(&measurer);
    label->setText("abc");
    host->addSubview(label);
    auto fitted = std::make_shared<KRLayoutData>();
    fitted->setView(label);
    fitted->setWidthToFit(true);
    fitted->setHeightToFit(true);
    fitted->setLeft(pf::Value(5)); // alone: no effect, x is kept
    auto placed = std::make_shared<KRLayoutData>();
    placed->setView(pf::View::create());
    placed->setLeft(pf::Value(0));
    placed->setRight(pf::Value(0));
    placed->setTop(pf::Value(30));
    placed->setHeight(pf::Value("50%"));

    auto layout = std::make_shared<KRViewLayout>();
    layout->setView(host);
    layout->setPadding({10, 20, 10, 20});
    layout->setLayoutDatas(arrayOf({fitted, placed}));
    auto container = std::make_shared<KRLayoutContainer>();
    container->setLayouts(arrayOf({layout, std::make_shared<pf::Object>()}));
    for (int pass = 0; pass < 3; ++pass) {
        container->layout();
        EXPECT_EQ(label->frame(), pf::Rect(7, 9, 30, 20)) << pass;
        EXPECT_EQ(placed->view()->frame(), pf::Rect(20, 40, 260, 90)) << pass;
        EXPECT_EQ(layout->contentSize(), pf::Size(300, 140)) << pass;
    }
    // New content is re-fitted at an unchanged size.
    label->setText("abcdef");
    container->layout();
    EXPECT_EQ(label->frame(), pf::Rect(7, 9, 60, 20));
}

TEST(KRViewLayoutTest, HostsAndRequests)
{
    auto empty = std::make_shared<KRViewLayout>();
    empty->setView(pf::View::create({0, 0, 100, 100}));
    empty->setLayoutDatas(std::make_shared<pf::Array>());
    empty->layout();
    EXPECT_EQ(empty->contentSize(), pf::Size());
    EXPECT_EQ(empty->size(), pf::Size(100, 100));

    // A scroll view lays out over its content when that is larger.
    auto scroll = std::make_shared<pf::ScrollView>(pf::Rect{0, 0, 100, 100});
    scroll->setContentSize({80, 400});
    auto data = std::make_shared<KRLayoutData>();
    data->setView(pf::View::create());
    data->setBottom(pf::Value(0));
    data->setHeight(pf::Value(50));
    data->setWidth(pf::Value("100%"));
    auto layout = std::make_shared<KRViewLayout>();
    layout->setView(scroll);
    layout->setLayoutDatas(arrayOf({data}));
    layout->layout();
    EXPECT_EQ(data->view()->frame(), pf::Rect(0, 350, 100, 50));
    EXPECT_EQ(layout->contentSize(), pf::Size(100, 400));

    // Without rules and at an unchanged size, a pass does nothing.
    auto idle = std::make_shared<KRViewLayout>();
    idle->setView(pf::View::create({0, 0, 50, 50}));
    idle->setSize({50, 50});
    idle->setContentSize({1, 1});
    idle->layout();
    EXPECT_EQ(idle->contentSize(), pf::Size(1, 1));
    idle->setNeedsLayout();
    idle->layout();
    EXPECT_EQ(idle->contentSize(), pf::Size());
}

}
