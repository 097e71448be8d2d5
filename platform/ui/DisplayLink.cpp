#include "platform/ui/DisplayLink.h"

#include "platform/ui/Animation.h"

namespace pf {

std::shared_ptr<DisplayLink> DisplayLink::create(Callback callback)
{
    return std::make_shared<DisplayLink>(std::move(callback));
}

DisplayLink::DisplayLink(Callback callback)
    : m_callback(std::move(callback))
{
}

void DisplayLink::start() { setPaused(false); }

void DisplayLink::setPaused(bool paused)
{
    if (!m_valid)
        return;
    m_paused = paused;
    if (!paused)
        Animator::shared().addDisplayLink(shared_from_this());
}

void DisplayLink::invalidate()
{
    m_valid = false;
    m_paused = true;
    m_callback = nullptr;
}

void DisplayLink::fire(double now)
{
    if (!m_valid || m_paused || !m_callback)
        return;
    m_duration = m_timestamp > 0 ? now - m_timestamp : 0;
    m_timestamp = now;
    auto keep = shared_from_this();
    auto callback = m_callback;
    callback(*this);
}

}
