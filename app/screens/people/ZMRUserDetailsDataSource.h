#pragma once

// One user's profile, asked for by id ("uid", sent as "%lld" text so an id
// past 2^32 travels whole; the task type and the data key come from the
// interface file). Only a dictionary at the data key is a profile: any other
// answer (an array, text, nothing) leaves the source without an object. Each
// profile that arrives from the server is also handed to the context as a
// ZMRRefreshUserTask, so the stored follow-list row of that user takes the
// fresh nickname and portrait. Main queue only.

#include "app/screens/shared/ZMRPageDataSource.h"

class ZMRUserDetailsDataSource : public ZMRPageDataSource {
public:
    long long uid() const { return m_uid; }
    void setUid(long long uid);

    void loadResultsData(const pf::Value& results) override;
    void krDownlinkTaskDidLoaded(const pf::Value& data, const pf::Protocol* taskType) override;

private:
    long long m_uid = 0;
};
