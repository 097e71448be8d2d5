#include "platform/foundation/Location.h"

#include "platform/foundation/RunLoop.h"

#include <atomic>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace pf {

namespace {

std::atomic<bool>& servicesSwitch()
{
    static std::atomic<bool> enabled = [] {
        const char* env = std::getenv("ZMR_LOCATION");
        return !(env && std::strcmp(env, "off") == 0);
    }();
    return enabled;
}

bool parseDouble(const std::string& text, double& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    out = std::strtod(text.c_str(), &end);
    while (end && (*end == ' ' || *end == '\t'))
        ++end;
    return end && *end == '\0' && std::isfinite(out);
}

}

LocationProvider& LocationProvider::shared()
{
    static LocationProvider* provider = new LocationProvider;
    return *provider;
}

LocationProvider::LocationProvider()
{
    if (const char* env = std::getenv("ZMR_POSITION"))
        m_configured = parsePosition(env);
}

bool LocationProvider::locationServicesEnabled()
{
    return servicesSwitch().load();
}

void LocationProvider::setLocationServicesEnabled(bool enabled)
{
    servicesSwitch().store(enabled);
}

std::optional<Location> LocationProvider::parsePosition(const std::string& text)
{
    auto comma = text.find(',');
    if (comma == std::string::npos)
        return std::nullopt;
    Location location;
    if (!parseDouble(text.substr(0, comma), location.latitude) || !parseDouble(text.substr(comma + 1), location.longitude))
        return std::nullopt;
    if (std::fabs(location.latitude) > 90 || std::fabs(location.longitude) > 180)
        return std::nullopt;
    location.timestamp = Date::now();
    return location;
}

void LocationProvider::start(std::weak_ptr<const void> owner, Handler handler)
{
    PF_ASSERT_MAIN_THREAD();
    std::optional<Location> fix;
    std::uint64_t generation;
    {
        std::lock_guard lock(m_mutex);
        m_owner = std::move(owner);
        m_handler = std::move(handler);
        m_running = true;
        generation = ++m_generation;
        fix = m_configured;
    }
    if (fix) {
        fix->timestamp = Date::now();
        deliver(*fix, generation);
    }
}

void LocationProvider::stop()
{
    PF_ASSERT_MAIN_THREAD();
    std::lock_guard lock(m_mutex);
    m_running = false;
    m_handler = nullptr;
    m_owner.reset();
    ++m_generation;
}

bool LocationProvider::isRunning() const
{
    std::lock_guard lock(m_mutex);
    return m_running;
}

std::optional<Location> LocationProvider::configuredPosition() const
{
    std::lock_guard lock(m_mutex);
    return m_configured;
}

void LocationProvider::setConfiguredPosition(std::optional<Location> position)
{
    std::lock_guard lock(m_mutex);
    m_configured = std::move(position);
}

void LocationProvider::inject(const Location& location)
{
    std::uint64_t generation;
    {
        std::lock_guard lock(m_mutex);
        if (!m_running)
            return;
        generation = m_generation;
    }
    deliver(location, generation);
}

void LocationProvider::deliver(const Location& location, std::uint64_t generation)
{
    RunLoop::main().post([this, location, generation] {
        Handler handler;
        std::shared_ptr<const void> owner;
        {
            std::lock_guard lock(m_mutex);
            if (!m_running || generation != m_generation || !locationServicesEnabled())
                return;
            owner = m_owner.lock();
            if (!owner)
                return;
            handler = m_handler;
        }
        if (handler)
            handler(location);
    });
}

}
