#include "platform/foundation/NotificationCenter.h"

#include "platform/foundation/Collections.h"

#include <algorithm>

namespace pf {

NotificationCenter& NotificationCenter::defaultCenter()
{
    static NotificationCenter* center = new NotificationCenter; // lives for the process
    return *center;
}

std::uint64_t NotificationCenter::addObserver(std::string name, std::weak_ptr<const void> owner, Handler handler)
{
    std::lock_guard lock(m_mutex);
    std::uint64_t token = m_nextToken++;
    const void* address = owner.lock().get();
    m_observers.push_back({token, std::move(name), std::move(owner), address, std::move(handler)});
    return token;
}

void NotificationCenter::removeObserver(std::uint64_t token)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_observers, [&](const Observer& o) { return o.token == token; });
}

void NotificationCenter::removeObserver(const void* owner)
{
    std::lock_guard lock(m_mutex);
    std::erase_if(m_observers, [&](const Observer& o) { return o.ownerAddress == owner; });
}

void NotificationCenter::post(const std::string& name, Value object, DictionaryRef userInfo)
{
    // Handlers run outside the lock: they may add or remove observers.
    struct Target {
        std::uint64_t token;
        std::shared_ptr<const void> owner;
        Handler handler;
    };
    std::vector<Target> targets;
    {
        std::lock_guard lock(m_mutex);
        std::erase_if(m_observers, [](const Observer& o) { return o.owner.expired(); });
        for (const Observer& o : m_observers)
            if (o.name == name)
                if (auto owner = o.owner.lock())
                    targets.push_back({o.token, std::move(owner), o.handler});
    }
    if (targets.empty())
        return; // most posts have nobody listening: nothing to build
    Notification note{name, std::move(object), std::move(userInfo)};
    for (auto& target : targets) {
        {
            // An earlier handler of this post may have removed this observer.
            std::lock_guard lock(m_mutex);
            if (std::none_of(m_observers.begin(), m_observers.end(),
                             [&](const Observer& o) { return o.token == target.token; }))
                continue;
        }
        target.handler(note);
    }
}

}
