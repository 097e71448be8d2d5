#include "framework/ui/KRMontagePlayer.h"

#include "framework/ui/KRMontageScenes.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/AnimationClock.h"
#include "platform/ui/DisplayLink.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

double mediaTime() { return pf::AnimationClock::current().now(); }

}

std::shared_ptr<KRMontagePlayer> KRMontagePlayer::create() { return std::make_shared<KRMontagePlayer>(); }

KRMontagePlayer::~KRMontagePlayer()
{
    if (m_displayLink)
        m_displayLink->invalidate();
}

void KRMontagePlayer::play()
{
    PF_ASSERT_MAIN_THREAD();
    if (isPlaying() || m_scenes.empty())
        return;
    std::copy_if(m_scenes.begin(), m_scenes.end(), std::back_inserter(m_playingScenes), [](auto& s) { return s != nullptr; });
    for (auto& scenes : m_playingScenes)
        scenes->setStartTimeInterval(mediaTime());

    auto self = std::static_pointer_cast<KRMontagePlayer>(shared_from_this());
    // The link holds the player until stop() drops the link.
    m_displayLink = pf::DisplayLink::create([self](pf::DisplayLink&) { self->tick(); });
    m_displayLink->start();
    pf::RunLoop::main().post([self] {
        auto delegate = self->delegate();
        if (!delegate)
            return;
        auto playing = self->m_playingScenes;
        for (auto& scenes : playing)
            delegate->montagePlayerDidPlayScenes(*self, scenes);
    });
}

void KRMontagePlayer::stop()
{
    PF_ASSERT_MAIN_THREAD();
    // Dropping the link may drop the last owner.
    auto self = shared_from_this();
    if (auto link = std::move(m_displayLink))
        link->invalidate();
    m_displayLink = nullptr;
    m_playingScenes.clear();
}

void KRMontagePlayer::addPlayingScehes(std::shared_ptr<KRMontageScenes> scenes)
{
    PF_ASSERT_MAIN_THREAD();
    if (!scenes)
        return;
    if (isPlaying())
        scenes->setStartTimeInterval(mediaTime());
    m_playingScenes.push_back(std::move(scenes));
}

void KRMontagePlayer::removePlayingScenes(const std::shared_ptr<KRMontageScenes>& scenes)
{
    std::erase(m_playingScenes, scenes);
}

void KRMontagePlayer::tick()
{
    PF_ASSERT_MAIN_THREAD();
    auto self = shared_from_this();
    double now = mediaTime();
    // Elements run arbitrary code when their time is set; they may add or
    // remove scenes, so each one is looked up again before it is touched.
    auto playing = m_playingScenes;
    for (auto& scenes : playing) {
        if (std::find(m_playingScenes.begin(), m_playingScenes.end(), scenes) == m_playingScenes.end())
            continue;
        advance(scenes, now);
    }
}

void KRMontagePlayer::advance(const std::shared_ptr<KRMontageScenes>& scenes, double now)
{
    double duration = scenes->duration();
    double elapsed = now - scenes->startTimeInterval();
    if (!(elapsed > 0))
        elapsed = 0;
    std::uint32_t repeats = scenes->repeatCount();

    // Nothing to fold over an empty or endless timeline: it ends at once.
    if (!(duration > 0) || !std::isfinite(duration)) {
        scenes->setValue(1);
        finish(scenes);
        return;
    }
    if (repeats == 0) {
        if (elapsed <= duration) {
            scenes->setCurrent(elapsed);
        } else {
            scenes->setValue(1);
            finish(scenes);
        }
        return;
    }
    // In double throughout: a large repeat count neither wraps nor truncates.
    double passes = double(repeats) * (scenes->isRepeatAutoreverses() ? 2.0 : 1.0);
    if (elapsed > passes * duration) {
        finish(scenes);
        return;
    }
    double rest = std::fmod(elapsed, duration);
    double pass = std::round((elapsed - rest) / duration);
    bool backwards = scenes->isRepeatAutoreverses() && std::fmod(pass, 2.0) == 1.0;
    scenes->setCurrent(backwards ? duration - rest : rest);
}

void KRMontagePlayer::finish(const std::shared_ptr<KRMontageScenes>& scenes)
{
    auto it = std::find(m_playingScenes.begin(), m_playingScenes.end(), scenes);
    if (it != m_playingScenes.end())
        m_playingScenes.erase(it);
    auto self = std::static_pointer_cast<KRMontagePlayer>(shared_from_this());
    pf::RunLoop::main().post([self, scenes] {
        if (auto delegate = self->delegate())
            delegate->montagePlayerDidStopScenes(*self, scenes);
    });
}
