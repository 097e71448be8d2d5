#pragma once

// The paged server list of people near the phone. Its query carries the
// position as "latitude" and "longitude" ("%lf" text; 0.000000 while no
// position is known or location services are off, whatever fix the context
// still holds). reloadData first asks
// the context for a new fix when the one it holds is stale, then writes the
// position held now (a fix that is still coming is not waited for) and
// sends page 1. A "ZMRLocationChangedNotification" only rewrites the two
// values, so the next reload or page sends them; it never reloads by
// itself. Main queue only.

#include "app/screens/feed/ZMRNearPosition.h"
#include "app/screens/shared/ZMRPageDataSource.h"

class ZMRSearchNearUserDataSource : public ZMRPageDataSource {
public:
    void reloadData() override;

private:
    ZMRNearPosition m_position{*this, *this, ZMRNearPosition::ServicesOff::SendNone};
};
