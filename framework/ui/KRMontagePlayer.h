#pragma once

// Plays montage scenes in media time (the animation clock's time) from a
// display link: each frame every playing scenes object gets its current time
// from the time since it started, with repetitions and autoreverse folded in.
// Scenes that end leave playingScenes; the player keeps playing (and its link
// keeps firing) until stop().
//
// Main thread only. Make players with create(). While playing, the display
// link holds the player, so it lives until stop(). The delegate is weak;
// its calls are posted to the main loop, never made inside play() or a
// frame, and a posted did-stop holds its scenes.

#include "platform/foundation/Object.h"
#include "platform/ui/Forward.h"

#include <memory>
#include <vector>

class KRMontagePlayer;
class KRMontageScenes;

class KRMontagePlayerDelegate {
public:
    virtual ~KRMontagePlayerDelegate() = default;
    virtual void montagePlayerDidPlayScenes(KRMontagePlayer&, const std::shared_ptr<KRMontageScenes>&) { }
    virtual void montagePlayerDidStopScenes(KRMontagePlayer&, const std::shared_ptr<KRMontageScenes>&) { }
};

class KRMontagePlayer : public pf::Object {
public:
    using ScenesList = std::vector<std::shared_ptr<KRMontageScenes>>;

    static std::shared_ptr<KRMontagePlayer> create();
    ~KRMontagePlayer() override;

    // Present exactly while playing.
    const std::shared_ptr<pf::DisplayLink>& displayLink() const { return m_displayLink; }
    bool isPlaying() const { return m_displayLink != nullptr; }
    std::shared_ptr<KRMontagePlayerDelegate> delegate() const { return m_delegate.lock(); }
    void setDelegate(std::weak_ptr<KRMontagePlayerDelegate> delegate) { m_delegate = std::move(delegate); }
    // What play() starts.
    const ScenesList& scenes() const { return m_scenes; }
    void setScenes(ScenesList scenes) { m_scenes = std::move(scenes); }
    const ScenesList& playingScenes() const { return m_playingScenes; }

    // Appends `scenes` to playingScenes and starts them all from now; did-play
    // follows for each. Nothing happens while playing or when scenes() is empty.
    void play();
    // Drops the link and empties playingScenes; the scenes keep their place
    // and the delegate is not told.
    void stop();
    // Joins the playing scenes; while playing it starts from time 0 on the
    // next frame, with no did-play.
    void addPlayingScehes(std::shared_ptr<KRMontageScenes> scenes);
    // Leaves the playing scenes, with no did-stop.
    void removePlayingScenes(const std::shared_ptr<KRMontageScenes>& scenes);
    // One frame; the display link calls it.
    void tick();

private:
    void advance(const std::shared_ptr<KRMontageScenes>& scenes, double now);
    void finish(const std::shared_ptr<KRMontageScenes>& scenes);

    std::shared_ptr<pf::DisplayLink> m_displayLink;
    std::weak_ptr<KRMontagePlayerDelegate> m_delegate;
    ScenesList m_scenes;
    ScenesList m_playingScenes;
};
