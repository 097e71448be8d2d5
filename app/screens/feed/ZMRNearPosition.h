#pragma once

// The position query of the lists of things near the phone: "latitude" and
// "longitude" in the list's query values ("%lf" text; 0.000000 while the
// context knows no position). refresh() asks the context for a new fix when
// the one it holds is stale, then writes the position held now (a fix still
// coming is not waited for). A "ZMRLocationChangedNotification" only
// rewrites the two values; it never reloads the list.
//
// A member of the list it writes for, which it does not own. Main queue only.

#include <cstdint>
#include <memory>

class KRDataSource;
class ZMRListQuery;

class ZMRNearPosition {
public:
    // Whether a fix the context still holds is sent after the user switched
    // location services off.
    enum class ServicesOff { KeepFix, SendNone };

    // `source` and `query` are the same list, the one that owns this.
    ZMRNearPosition(KRDataSource& source, ZMRListQuery& query, ServicesOff servicesOff);
    ~ZMRNearPosition();
    ZMRNearPosition(const ZMRNearPosition&) = delete;
    ZMRNearPosition& operator=(const ZMRNearPosition&) = delete;

    void refresh();

private:
    void write();

    KRDataSource& m_source;
    ZMRListQuery& m_query;
    ServicesOff m_servicesOff;
    // Owns the notification registration: it ends with the list.
    std::shared_ptr<int> m_observerLife = std::make_shared<int>(0);
    std::uint64_t m_observer = 0;
};
