#include "framework/ui/KRMontageLocus.h"
#include "framework/ui/KRMontagePlayer.h"
#include "framework/ui/KRMontageScenes.h"
#include "framework/ui/KRMontageViewElement.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Bitmap.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/DisplayLink.h"
#include "platform/ui/Window.h"
#include "tests/platform/graphics/PixelProbe.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace {

class Recorder : public KRMontagePlayerDelegate {
public:
    void montagePlayerDidPlayScenes(KRMontagePlayer&, const std::shared_ptr<KRMontageScenes>& s) override { log.push_back("play " + names[s.get()]); }
    void montagePlayerDidStopScenes(KRMontagePlayer&, const std::shared_ptr<KRMontageScenes>& s) override { log.push_back("stop " + names[s.get()]); }
    std::map<KRMontageScenes*, std::string> names;
    std::vector<std::string> log;
};

class KRMontagePlayerTest : public ::testing::Test {
protected:
    std::shared_ptr<KRMontageScenes> scenes(std::string name, double duration, std::uint32_t repeats = 0, bool autoreverse = false)
    {
        auto element = std::make_shared<KRMontageElement>();
        element->setDuration(duration);
        auto s = std::make_shared<KRMontageScenes>();
        s->setRootElement(element);
        s->setRepeatCount(repeats);
        s->setRepeatAutoreverses(autoreverse);
        recorder->names[s.get()] = std::move(name);
        return s;
    }
    std::shared_ptr<KRMontagePlayer> player(KRMontagePlayer::ScenesList list)
    {
        auto p = KRMontagePlayer::create();
        p->setDelegate(recorder);
        p->setScenes(std::move(list));
        return p;
    }
    pf::HeadlessHost host;
    std::shared_ptr<Recorder> recorder = std::make_shared<Recorder>();
};

using Strings = std::vector<std::string>;

TEST_F(KRMontagePlayerTest, PlaysOnceThenReportsAfterTheCall)
{
    auto s = scenes("s", 2);
    auto p = player({ s });
    p->play();
    EXPECT_TRUE(recorder->log.empty()) << "never inside play";
    host.advance(1.5);
    EXPECT_NEAR(s->current(), 1.5, 1e-6);
    EXPECT_EQ(recorder->log, Strings { "play s" });
    host.advance(0.6);
    EXPECT_EQ(s->value(), 1);
    host.advance(1);
    EXPECT_EQ(recorder->log, (Strings { "play s", "stop s" }));
    EXPECT_TRUE(p->isPlaying()) << "finishing does not stop the link";
    p->stop();
}

TEST_F(KRMontagePlayerTest, FoldsRepeatsAndAutoreverse)
{
    struct Row { double advance, current; bool playing; } rows[] = { { 2.5, 1.5, true }, { 2, 0.5, true }, { 7.4, 0.1, true }, { 0.2, 0, false } };
    auto s = scenes("s", 2, 3, true);
    auto p = player({ s });
    p->play();
    for (auto& row : rows) {
        host.advance(row.advance);
        EXPECT_NEAR(s->current(), row.current, 1e-6) << "kept without a final time";
        EXPECT_EQ(p->playingScenes().size(), row.playing ? 1u : 0u);
    }
    p->stop();
}

TEST_F(KRMontagePlayerTest, EndsOddDurationsWithoutUndefinedArithmetic)
{
    struct Row { double duration; std::uint32_t repeats; bool playingAfterFrame; } rows[] = {
        { 0, 0, false }, { 0, 5, false }, { 1e-12, 0, false }, { 1e-12, 4294967295u, false }, { INFINITY, 2, false },
        { NAN, 0, false }, { 1, 4294967295u, true }, { 1e300, 4294967295u, true },
    };
    for (auto& row : rows) {
        auto s = scenes("s", row.duration, row.repeats, true);
        auto p = player({ s });
        recorder->log.clear();
        p->play();
        host.advance(1.0 / 60);
        EXPECT_EQ(p->playingScenes().size(), row.playingAfterFrame ? 1u : 0u) << row.duration;
        // Scenes that end before the posted did-play runs are not reported as played.
        EXPECT_EQ(recorder->log, Strings { row.playingAfterFrame ? "play s" : "stop s" }) << row.duration;
        p->stop();
    }
}

TEST_F(KRMontagePlayerTest, StartsStopsAndJoinsScenes)
{
    auto one = scenes("one", 1), other = scenes("other", 1), late = scenes("late", 3);
    auto idle = player({});
    idle->addPlayingScehes(one);
    idle->play();
    EXPECT_FALSE(idle->isPlaying()) << "empty scenes do not play";

    auto p = player({ one, other });
    p->play();
    p->play();
    host.advance(0.5);
    p->addPlayingScehes(late);
    EXPECT_EQ(p->playingScenes().size(), 3u) << "play twice starts the scenes once";
    host.advance(0.6);
    EXPECT_EQ(recorder->log, (Strings { "play one", "play other", "stop one", "stop other" })) << "both end in one frame, no did-play for late";
    EXPECT_NEAR(late->current(), 0.6, 1e-6);

    std::weak_ptr<KRMontagePlayer> weak = p;
    p.reset();
    host.advance(0.1);
    ASSERT_FALSE(weak.expired()) << "the link holds a playing player";
    EXPECT_NEAR(late->current(), 0.7, 1e-6);
    weak.lock()->stop();
    pf::RunLoop::main().runUntilIdle();
    EXPECT_TRUE(weak.expired());
    EXPECT_NEAR(late->current(), 0.7, 1e-6) << "stopped scenes keep their place";
}

TEST_F(KRMontagePlayerTest, MovesAViewFromBottomToTopOnScreen)
{
    auto window = pf::Window::create();
    window->setBackgroundColor(pf::Color::whiteColor());
    window->makeKeyAndVisible();
    auto content = pf::View::create({ 0, 0, 100, 300 });
    window->addSubview(content);
    auto box = pf::View::create({ 0, 0, 40, 40 });
    box->setBackgroundColor(pf::Color::rgb(1, 0, 0));
    auto element = std::make_shared<KRMontageViewElement>();
    element->setView(box);
    element->setDuration(1);
    element->setLocusName("rise");
    auto s = std::make_shared<KRMontageScenes>();
    s->setContentView(content);
    s->setLocuss({ std::make_shared<KRMontageLocus>("rise") });
    s->setRootElement(element);
    auto p = player({ s });
    p->play();
    struct Probe { double advance; pf::Color top, bottom; } probes[] = {
        { 0, pf::Color::whiteColor(), pf::Color::rgb(1, 0, 0) }, { 1.1, pf::Color::rgb(1, 0, 0), pf::Color::whiteColor() } };
    for (auto& probe : probes) {
        host.advance(probe.advance);
        auto frame = host.render();
        ASSERT_TRUE(frame.ok());
        EXPECT_TRUE(pf::test::pixelIs(**frame, { 50, 20 }, probe.top)) << probe.advance;
        EXPECT_TRUE(pf::test::pixelIs(**frame, { 50, 280 }, probe.bottom)) << probe.advance;
    }
    p->stop();
}

}
