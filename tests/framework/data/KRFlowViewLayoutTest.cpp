#include "framework/data/KRFlowViewLayout.h"
#include "framework/ui/KRLayoutData.h"
#include "platform/controls/ScrollView.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

std::string brief(const pf::Rect& r)
{
    char b[96];
    std::snprintf(b, sizeof b, "{%g, %g, %g, %g}", r.x(), r.y(), r.width(), r.height());
    return b;
}

struct FlowCase {
    const char* name;
    double hostWidth;
    pf::EdgeInsets padding;
    std::vector<pf::Size> sizes;
    const char* frames; // one description per view, blank-separated
    pf::Size content;
};

}

TEST(KRFlowViewLayout, FlowsViewsInRowsByTheirSizesOnly)
{
    const FlowCase cases[] = {
        {"empty", 320, {3, 7, 5, 11}, {}, "", {11, 8}},
        {"wrap4", 320, {}, {{100, 30}, {100, 30}, {100, 30}, {100, 30}},
         "{0, 0, 100, 30} {100, 0, 100, 30} {200, 0, 100, 30} {0, 30, 100, 30}", {300, 60}},
        {"tallest", 320, {}, {{100, 30}, {100, 40}, {300, 30}},
         "{0, 0, 100, 30} {100, 0, 100, 40} {0, 40, 300, 30}", {300, 70}},
        {"overwide", 320, {}, {{400, 30}, {50, 20}}, "{0, 0, 400, 30} {0, 30, 50, 20}", {400, 50}},
        {"padded", 220, {10, 20, 5, 20}, {{90, 10}, {90, 10}, {90, 10}},
         "{20, 10, 90, 10} {110, 10, 90, 10} {20, 20, 90, 10}", {220, 35}},
    };
    for (const auto& c : cases) {
        auto host = std::make_shared<pf::ScrollView>(pf::Rect{0, 0, c.hostWidth, 100});
        auto datas = std::make_shared<pf::Array>();
        std::vector<pf::ViewRef> views;
        for (auto s : c.sizes) {
            auto v = pf::View::create({7, 9, 1, 1});
            host->addSubview(v);
            auto data = std::make_shared<KRLayoutData>();
            data->setView(v);
            data->setWidth(pf::Value(s.width));
            data->setHeight(pf::Value(s.height));
            datas->add(pf::Value(data));
            views.push_back(v);
        }
        auto layout = std::make_shared<KRFlowViewLayout>();
        layout->setView(host);
        layout->setPadding(c.padding);
        layout->setLayoutDatas(datas);
        layout->layout();
        std::string frames;
        for (auto& v : views)
            frames += (frames.empty() ? "" : " ") + brief(v->frame());
        EXPECT_EQ(frames, c.frames) << c.name;
        EXPECT_EQ(layout->contentSize(), c.content) << c.name;
        EXPECT_EQ(host->contentSize(), pf::Size(0, c.content.height)) << c.name;
    }
}
