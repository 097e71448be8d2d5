#pragma once

// The feed of posts near the phone. Its query carries the position as
// "latitude" and "longitude" ("%lf" text; 0.000000 while no position is
// known). reloadData first asks the context for a new fix when the one it
// holds is stale, then writes the position held now (a fix still coming is
// not waited for) and sends page 1. A "ZMRLocationChangedNotification" only
// rewrites the two values, so the next reload or page carries them; it never
// reloads by itself. Main queue only.

#include "app/screens/feed/ZMRFeedDataSource.h"
#include "app/screens/feed/ZMRNearPosition.h"

class ZMRNearFeedDataSource : public ZMRFeedDataSource {
public:
    void reloadData() override;

private:
    ZMRNearPosition m_position{*this, *this, ZMRNearPosition::ServicesOff::KeepFix};
};
