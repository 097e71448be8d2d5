#pragma once

// Calls back once per frame with the clock's time while running. The owner
// keeps the link; the animator only watches it, so a released link is never
// called.
//
// Main thread only.

#include "platform/ui/Forward.h"

#include <functional>

namespace pf {

class DisplayLink : public std::enable_shared_from_this<DisplayLink> {
public:
    using Callback = std::function<void(DisplayLink&)>;
    // Paused until start().
    static std::shared_ptr<DisplayLink> create(Callback callback);

    void start();
    bool isPaused() const { return m_paused; }
    void setPaused(bool paused);
    // Stops for good.
    void invalidate();
    bool isValid() const { return m_valid; }
    // The time of the frame being delivered, and of the one before.
    double timestamp() const { return m_timestamp; }
    double duration() const { return m_duration; }

    explicit DisplayLink(Callback callback);

private:
    friend class Animator;
    void fire(double now);

    Callback m_callback;
    bool m_paused = true;
    bool m_valid = true;
    double m_timestamp = 0;
    double m_duration = 0;
};

}
