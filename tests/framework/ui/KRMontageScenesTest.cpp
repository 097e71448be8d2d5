#include "framework/ui/KRMontageGroupElement.h"
#include "framework/ui/KRMontageLocus.h"
#include "framework/ui/KRMontageScenes.h"
#include "framework/ui/KRMontageViewElement.h"
#include "platform/ui/View.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace {

using Log = std::vector<std::pair<std::string, float>>;

class Recording : public KRMontageElement {
public:
    Recording(std::string name, double delay, double duration, Log* log)
        : m_name(std::move(name)), m_log(log)
    {
        setAfterDelay(delay);
        setDuration(duration);
    }
    void scenesOnValueChanged(KRMontageScenes&, float p) override { m_log->push_back({ m_name, p }); }

private:
    std::string m_name;
    Log* m_log;
};

class FixedLocus : public KRMontageLocus {
public:
    FixedLocus(std::string name, float y) : KRMontageLocus(std::move(name)), m_y(y) { }
    KRMontageLocusPoint locusPoint(float, KRMontageElement&) override { return { 0, m_y, 0 }; }

private:
    float m_y;
};

std::map<std::string, float> last(const Log& log)
{
    std::map<std::string, float> out;
    for (auto& [name, p] : log)
        out[name] = p;
    return out;
}

TEST(KRMontageScenesTime, ChainProgressClampingAndRepeats)
{
    Log log;
    auto a = std::make_shared<Recording>("A", 0.5, 1, &log);
    a->setNextElement(std::make_shared<Recording>("B", 0, 2, &log));
    auto scenes = std::make_shared<KRMontageScenes>();
    scenes->setRootElement(a);
    EXPECT_EQ(scenes->duration(), 3.5);
    EXPECT_EQ(log.size(), 2u) << "every element hears time 0 once";
    struct Row { double set, stored, a, b; } rows[] = {
        { 1.0, 1.0, 0.5f, -0.25f }, { 3.5, 3.5, 3.0f, 1.0f }, { 5, 3.5, 3.0f, 1.0f }, { -1, 0, -0.5f, -0.75f },
        { NAN, 0, -0.5f, -0.75f },
    };
    for (auto& row : rows) {
        scenes->setCurrent(row.set);
        auto seen = last(log);
        EXPECT_EQ(scenes->current(), row.stored) << row.set;
        EXPECT_FLOAT_EQ(seen["A"], float(row.a)) << row.set;
        EXPECT_FLOAT_EQ(seen["B"], float(row.b)) << row.set;
    }
    std::size_t before = log.size();
    scenes->setValue(0.5);
    scenes->setCurrent(1.75);
    EXPECT_EQ(log.size(), before + 2) << "an equal time notifies nobody";
    EXPECT_DOUBLE_EQ(scenes->value(), 0.5);

    auto empty = std::make_shared<KRMontageScenes>();
    empty->setValue(0.7);
    EXPECT_EQ(empty->value(), 0);
    EXPECT_EQ(empty->current(), 0);
}

TEST(KRMontageScenesTime, GroupRunsChainsInItsLocalTime)
{
    Log log;
    auto x = std::make_shared<Recording>("X", 0, 2, &log);
    auto y = std::make_shared<Recording>("Y", 1, 2, &log);
    auto group = std::make_shared<KRMontageGroupElement>();
    group->setAfterDelay(1);
    group->setElements({ x, y });
    EXPECT_EQ(group->duration(), 3);
    auto scenes = std::make_shared<KRMontageScenes>();
    scenes->setRootElement(group);
    EXPECT_EQ(scenes->duration(), 4);
    scenes->setCurrent(2.5); // group progress 0.5, local time 1.5
    EXPECT_FLOAT_EQ(last(log)["X"], 0.75f);
    EXPECT_FLOAT_EQ(last(log)["Y"], 0.25f);
}

TEST(KRMontageViewPlacement, CentresAlongLocusInContentView)
{
    struct Row { const char* what; std::string locus; double contentHeight; float progress; double expectX, expectY; } rows[] = {
        { "bottom", "up", 200, 0, 50, 180 }, { "top", "up", 200, 1, 50, 20 }, { "middle", "up", 200, 0.5f, 50, 100 },
        { "missing locus is y 0", "nowhere", 200, 0.7f, 50, 180 }, { "first duplicate wins", "dup", 200, 0.3f, 50, 20 },
        { "out of range stays", "up", 200, 1.5f, -1, -1 }, { "zero duration", "up", 200, NAN, -1, -1 },
        { "endless locus point", "inf", 200, 0.5f, -1, -1 }, { "no content view", "up", 0, 0.5f, -1, -1 },
    };
    for (auto& row : rows) {
        auto content = pf::View::create({ 0, 0, 100, row.contentHeight });
        auto scenes = std::make_shared<KRMontageScenes>();
        scenes->setContentView(row.contentHeight > 0 ? content : nullptr);
        scenes->setLocuss({ std::make_shared<KRMontageLocus>("up"), std::make_shared<FixedLocus>("dup", 1),
            std::make_shared<FixedLocus>("dup", 0), std::make_shared<FixedLocus>("inf", INFINITY) });
        auto element = std::make_shared<KRMontageViewElement>();
        element->setLocusName(row.locus);
        element->setView(pf::View::create({ -11, -21, 20, 40 })); // centred at (-1, -1)
        content->addSubview(pf::View::create());
        element->scenesOnValueChanged(*scenes, row.progress);
        EXPECT_DOUBLE_EQ(element->view()->center().x, row.expectX) << row.what;
        EXPECT_DOUBLE_EQ(element->view()->center().y, row.expectY) << row.what;
        bool placed = row.expectX >= 0;
        EXPECT_EQ(content->subviews().back() == element->view(), placed) << row.what;
    }
    auto scenes = std::make_shared<KRMontageScenes>();
    auto locus = std::make_shared<KRMontageLocus>("up");
    scenes->setLocuss({ locus });
    EXPECT_EQ(scenes->locusForName("up"), locus);
    EXPECT_EQ(locus->scenes(), scenes);
    scenes.reset();
    EXPECT_EQ(locus->scenes(), nullptr) << "the back-reference does not keep the scenes";
}

}
