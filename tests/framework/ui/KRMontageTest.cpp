#include "framework/ui/KRMontageGroupElement.h"
#include "framework/ui/KRMontageLocus.h"
#include "framework/ui/KRMontagePlayer.h"
#include "framework/ui/KRMontageScenes.h"
#include "framework/ui/KRMontageViewElement.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/Window.h"
#include "tests/platform/graphics/PixelProbe.h"

#include <cmath>
#include <functional>
#include <map>

namespace {

using Strings = std::vector<std::string>;

// Keeps the last progress it was told under its name.
struct Recording : KRMontageElement {
    Recording(std::string n, double delay, double length, std::map<std::string, float>* s) : name(std::move(n)), seen(s) { setAfterDelay(delay), setDuration(length); }
    void scenesOnValueChanged(KRMontageScenes&, float p) override { (*seen)[name] = p; }
    std::string name;
    std::map<std::string, float>* seen;
};

struct FixedLocus : KRMontageLocus {
    FixedLocus(std::string name, float y) : KRMontageLocus(std::move(name)), m_y(y) { }
    KRMontageLocusPoint locusPoint(float, KRMontageElement&) override { return { 0, m_y, 0 }; }
    float m_y;
};

TEST(KRMontageScenesTime, ChainAndGroupProgressWithClamping)
{
    std::map<std::string, float> seen;
    auto a = std::make_shared<Recording>("A", 0.5, 1, &seen);
    auto group = std::make_shared<KRMontageGroupElement>();
    group->setElements({ std::make_shared<Recording>("X", 0, 2, &seen), std::make_shared<Recording>("Y", 1, 2, &seen) });
    a->setNextElement(std::make_shared<Recording>("B", 0, 2, &seen));
    a->nextElement()->setNextElement(group); // A 0.5..1.5, B ..3.5, group of 3 s ..6.5
    auto scenes = std::make_shared<KRMontageScenes>();
    scenes->setRootElement(a);
    EXPECT_EQ(scenes->duration(), 6.5);
    struct Row { double set, stored; float a, b, x, y; } rows[] = {
        { 1.0, 1.0, 0.5f, -0.25f, -1.25f, -1.75f }, { 3.5, 3.5, 3.0f, 1.0f, 0, -0.5f }, { 5.0, 5.0, 4.5f, 1.75f, 0.75f, 0.25f },
        { 9, 6.5, 6.0f, 2.5f, 1.5f, 1.0f }, { -1, 0, -0.5f, -0.75f, -1.75f, -2.25f }, { NAN, 0, -0.5f, -0.75f, -1.75f, -2.25f } };
    for (auto& row : rows) {
        scenes->setCurrent(row.set);
        EXPECT_EQ(scenes->current(), row.stored) << row.set;
        for (auto [name, want] : { std::pair { "A", row.a }, { "B", row.b }, { "X", row.x }, { "Y", row.y } })
            EXPECT_FLOAT_EQ(seen[name], want) << row.set << " " << name;
    }
    scenes->setValue(0.5);
    seen.clear();
    scenes->setCurrent(3.25);
    EXPECT_TRUE(seen.empty()) << "an equal time notifies nobody";
}

TEST(KRMontageViewPlacement, CentresAlongLocusInContentView)
{
    struct Row { const char* what; std::string locus; bool content; float progress; double x, y; } rows[] = {
        { "bottom", "up", true, 0, 50, 180 }, { "top", "up", true, 1, 50, 20 }, { "middle", "up", true, 0.5f, 50, 100 },
        { "missing locus is y 0", "none", true, 0.7f, 50, 180 }, { "first duplicate", "dup", true, 0.3f, 50, 20 },
        { "out of range", "up", true, 1.5f, -1, -1 }, { "zero duration", "up", true, NAN, -1, -1 },
        { "endless locus point", "inf", true, 0.5f, -1, -1 }, { "no content view", "up", false, 0.5f, -1, -1 } };
    for (auto& row : rows) {
        auto content = pf::View::create({ 0, 0, 100, 200 });
        content->addSubview(pf::View::create());
        KRMontageScenes scenes;
        scenes.setContentView(row.content ? content : nullptr);
        scenes.setLocuss({ std::make_shared<KRMontageLocus>("up"), std::make_shared<FixedLocus>("dup", 1),
            std::make_shared<FixedLocus>("dup", 0), std::make_shared<FixedLocus>("inf", INFINITY) });
        KRMontageViewElement element;
        element.setLocusName(row.locus);
        element.setView(pf::View::create({ -11, -21, 20, 40 })); // centred at (-1, -1)
        element.scenesOnValueChanged(scenes, row.progress);
        EXPECT_EQ(element.view()->center(), (pf::Point { row.x, row.y })) << row.what;
        EXPECT_EQ(content->subviews().back() == element.view(), row.x >= 0) << row.what << ": front-most";
    }
}

struct Recorder : KRMontagePlayerDelegate {
    void montagePlayerDidPlayScenes(KRMontagePlayer&, const std::shared_ptr<KRMontageScenes>& s) override { log.push_back("play " + names[s.get()]); }
    void montagePlayerDidStopScenes(KRMontagePlayer&, const std::shared_ptr<KRMontageScenes>& s) override { log.push_back("stop " + names[s.get()]); }
    std::map<KRMontageScenes*, std::string> names;
    Strings log;
};

class KRMontagePlayerTest : public ::testing::Test {
protected:
    std::shared_ptr<KRMontageScenes> scenes(std::string name, double duration, std::uint32_t repeats = 0)
    {
        auto s = std::make_shared<KRMontageScenes>();
        s->setDuration(duration);
        s->setRepeatCount(repeats);
        s->setRepeatAutoreverses(true);
        recorder->names[s.get()] = std::move(name);
        return s;
    }
    pf::HeadlessHost host;
    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
};

// "once" moves a red box from the bottom of its content view to the top.
TEST_F(KRMontagePlayerTest, PlaysFoldsRepeatsAndReportsLater)
{
    const pf::Color red = pf::Color::rgb(1, 0, 0), white = pf::Color::whiteColor();
    auto window = pf::Window::create();
    window->setBackgroundColor(white);
    window->makeKeyAndVisible();
    auto rise = std::make_shared<KRMontageViewElement>();
    rise->setView(pf::View::create({ 0, 0, 40, 40 }));
    rise->view()->setBackgroundColor(red);
    rise->setDuration(2);
    rise->setLocusName("rise");
    auto once = scenes("once", 0), twin = scenes("twin", 2), repeated = scenes("repeated", 2, 3), late = scenes("late", 9);
    once->setContentView(pf::View::create({ 0, 0, 100, 300 }));
    window->addSubview(once->contentView());
    once->setLocuss({ std::make_shared<KRMontageLocus>("rise") });
    once->setRootElement(rise);
    auto p = KRMontagePlayer::create();
    p->setDelegate(recorder);
    p->setScenes({ once, twin, repeated });
    p->play();
    p->play();
    EXPECT_TRUE(recorder->log.empty()) << "never inside play";
    struct Row { double advance, once, repeated, late; Strings log; pf::Color top, bottom; } rows[] = {
        { 0, 0, 0, 0, { "play once", "play twin", "play repeated" }, white, red }, { 1.5, 1.5, 1.5, 0, {}, white, white },
        { 1.0, 2, 1.5, 1, { "stop once", "stop twin" }, red, white }, { 2.0, 2, 0.5, 3, {}, red, white },
        { 7.6, 2, 0, 9, { "stop late", "stop repeated" }, red, white } };
    for (auto& row : rows) {
        recorder->log.clear();
        host.advance(row.advance);
        if (row.advance == 1.5)
            p->addPlayingScehes(late);
        EXPECT_NEAR(once->current(), row.once, 1e-6) << row.advance;
        EXPECT_NEAR(repeated->current(), row.repeated, 1e-6) << row.advance;
        EXPECT_NEAR(late->current(), row.late, 1e-6) << row.advance;
        EXPECT_EQ(recorder->log, row.log) << row.advance;
        auto frame = host.render();
        ASSERT_TRUE(frame.ok());
        EXPECT_TRUE(pf::test::pixelIs(**frame, { 50, 20 }, row.top)) << row.advance;
        EXPECT_TRUE(pf::test::pixelIs(**frame, { 50, 280 }, row.bottom)) << row.advance;
    }
    std::weak_ptr<KRMontagePlayer> weak = p;
    p.reset();
    ASSERT_TRUE(weak.lock() && weak.lock()->isPlaying()) << "the link holds a playing player";
    weak.lock()->stop();
    EXPECT_TRUE(weak.expired());
}

TEST_F(KRMontagePlayerTest, EndsDegenerateTimelinesOnTheFirstFrame)
{
    KRMontagePlayer::ScenesList list;
    for (auto [duration, repeats] : { std::pair { 0.0, 0u }, { 0.0, 5u }, { 1e-12, 0u }, { 1e-12, 4294967295u }, { INFINITY, 2u },
             { NAN, 0u }, { 1.0, 4294967295u }, { 1e300, 4294967295u } })
        list.push_back(scenes(std::to_string(list.size()), duration, repeats));
    auto p = KRMontagePlayer::create();
    p->setDelegate(recorder);
    p->setScenes(list);
    p->play();
    host.advance(1.0 / 60);
    EXPECT_EQ(recorder->log, (Strings { "play 6", "play 7", "stop 0", "stop 1", "stop 2", "stop 3", "stop 4", "stop 5" }));
    p->stop();
}

}

TEST(KRMontageScenesTime, ChainsAndGroupsRefuseACycle)
{
    using Element = std::shared_ptr<KRMontageElement>;
    using Group = std::shared_ptr<KRMontageGroupElement>;
    auto element = [](double length) {
        auto e = std::make_shared<KRMontageElement>();
        e->setDuration(length);
        return e;
    };
    struct Row {
        const char* what;
        // Builds a timeline from `root`, answering whether its last link was taken.
        std::function<bool(Element& root)> link;
        bool taken;
        double duration; // of the scenes playing the root afterwards
    };
    for (const Row& row : std::vector<Row>{
             {"chained to itself", [&](Element& root) { root = element(1); return root->setNextElement(root); }, false, 1},
             {"chained back to its head", [&](Element& root) {
                  root = element(1);
                  Element b = element(2);
                  root->setNextElement(b);
                  return b->setNextElement(root);
              }, false, 3},
             {"group holding itself", [&](Element& root) {
                  Group g = std::make_shared<KRMontageGroupElement>();
                  root = g;
                  g->setElements({element(2)});
                  return g->setElements({element(1), g});
              }, false, 2},
             {"member chained to its group", [&](Element& root) {
                  Group g = std::make_shared<KRMontageGroupElement>();
                  Element a = element(1);
                  g->setElements({a});
                  root = g;
                  return a->setNextElement(g);
              }, false, 1},
             {"groups holding each other", [&](Element& root) {
                  Group outer = std::make_shared<KRMontageGroupElement>(), inner = std::make_shared<KRMontageGroupElement>();
                  Element x = element(1);
                  outer->setElements({inner});
                  x->setNextElement(outer);
                  root = x;
                  return inner->setElements({x});
              }, false, 1},
             {"shared tail and member", [&](Element& root) {
                  Element tail = element(2), a = element(1);
                  Group g = std::make_shared<KRMontageGroupElement>();
                  a->setNextElement(tail);
                  g->setElements({tail, a});
                  root = g;
                  return g->setNextElement(tail);
              }, true, 5},
         }) {
        Element root;
        EXPECT_EQ(row.link(root), row.taken) << row.what;
        auto scenes = std::make_shared<KRMontageScenes>();
        scenes->setRootElement(root);
        EXPECT_EQ(scenes->duration(), row.duration) << row.what;
        scenes->setCurrent(0.5);
    }
}
