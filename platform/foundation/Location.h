#pragma once

// The device's position. The phone tracked it with the system's location
// service; Linux has none, so positions come from configuration: the text
// "latitude,longitude" in the environment variable ZMR_POSITION (read once),
// setConfiguredPosition(), or inject() from tests and tools.
//
// Tracking runs between start() and stop(). On start() a configured position
// is reported as a fresh fix; inject() reports one at any time while
// tracking. Fixes arrive on the main queue, always after the call that
// caused them, and never while the location-services switch is off.
//
// start(), stop() and isRunning() are main-queue only; the switch, the
// configured position and inject() may be used from any thread.

#include "platform/foundation/Value.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>

namespace pf {

struct Location {
    double latitude = 0;  // degrees
    double longitude = 0; // degrees
    Date timestamp;       // when the fix was taken
};

class LocationProvider {
public:
    using Handler = std::function<void(const Location&)>;

    static LocationProvider& shared();

    // The system-wide location-services switch; on unless ZMR_LOCATION is "off".
    static bool locationServicesEnabled();
    static void setLocationServicesEnabled(bool enabled);

    // Reads "latitude,longitude" (degrees, finite, within ±90 and ±180);
    // nothing for other text.
    static std::optional<Location> parsePosition(const std::string& text);

    // Starts tracking (restarting when already tracking); each fix goes to
    // `handler` while `owner` is alive.
    void start(std::weak_ptr<const void> owner, Handler handler);
    void stop();
    bool isRunning() const;

    // The position reported on start(); nothing means "no fix until one is
    // injected". Initially the value of ZMR_POSITION.
    std::optional<Location> configuredPosition() const;
    void setConfiguredPosition(std::optional<Location> position);
    // Reports a fix now (its timestamp is kept) when tracking.
    void inject(const Location& location);

private:
    LocationProvider();
    void deliver(const Location& location, std::uint64_t generation);

    mutable std::mutex m_mutex; // guards every member below
    std::optional<Location> m_configured;
    std::weak_ptr<const void> m_owner;
    Handler m_handler;
    bool m_running = false;
    // Counts starts and stops, so that a fix posted before a stop is dropped.
    std::uint64_t m_generation = 0;
};

}
