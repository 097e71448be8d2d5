#include "framework/data/KRFlowViewLayout.h"
#include "framework/ui/KRLayoutData.h"
#include "platform/controls/ScrollView.h"

#include <gtest/gtest.h>

TEST(KRFlowViewLayout, FlowsViewsInRowsByTheirSizesOnly)
{
    struct Case {
        double hostWidth;
        pf::EdgeInsets padding;
        std::vector<pf::Rect> frames; // the sizes given, the frames expected
        pf::Size content;
    };
    const Case cases[] = {
        {320, {3, 7, 5, 11}, {}, {11, 8}},
        {320, {}, {{0, 0, 100, 30}, {100, 0, 100, 30}, {200, 0, 100, 30}, {0, 30, 100, 30}}, {300, 60}},
        {320, {}, {{0, 0, 100, 30}, {100, 0, 100, 40}, {0, 40, 300, 30}}, {300, 70}},
        {320, {}, {{0, 0, 400, 30}, {0, 30, 50, 20}}, {400, 50}}, // an over-wide view takes a row of its own
        {220, {10, 20, 5, 20}, {{20, 10, 90, 10}, {110, 10, 90, 10}, {20, 20, 90, 10}}, {220, 35}},
    };
    for (const auto& c : cases) {
        auto host = std::make_shared<pf::ScrollView>(pf::Rect{0, 0, c.hostWidth, 100});
        auto datas = std::make_shared<pf::Array>();
        for (const auto& frame : c.frames) {
            auto data = std::make_shared<KRLayoutData>();
            data->setView(pf::View::create({7, 9, 1, 1}));
            data->setWidth(pf::Value(frame.width()));
            data->setHeight(pf::Value(frame.height()));
            datas->add(pf::Value(data));
        }
        auto layout = std::make_shared<KRFlowViewLayout>();
        layout->setView(host);
        layout->setPadding(c.padding);
        layout->setLayoutDatas(datas);
        layout->layout();
        for (size_t i = 0; i < c.frames.size(); ++i)
            EXPECT_EQ(datas->at(i).objectAs<KRLayoutData>()->view()->frame(), c.frames[i]) << i;
        EXPECT_EQ(layout->contentSize(), c.content);
        EXPECT_EQ(host->contentSize(), (pf::Size{0, c.content.height}));
    }
}
