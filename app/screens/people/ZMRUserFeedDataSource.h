#pragma once

// The posts one user published, page by page (the task type and data key
// come from the interface file). `uid` is also the query value "uid"
// ("%lld", so an id past 2^32 travels whole). After every page each entry of
// the whole list gains its display fields (ZMRDisplayFields.h); entries of
// the new page first lose any "html" of their own, since templates insert
// "html" raw and only the encoded body may stand there. Entries that are
// not dictionaries stay as they are. Main queue only.

#include "app/screens/shared/ZMRPageDataSource.h"

#include <cstddef>

class ZMRContext;

class ZMRUserFeedDataSource : public ZMRPageDataSource {
public:
    long long uid() const { return m_uid; }
    void setUid(long long uid);

    void loadResultsData(const pf::Value& results) override;

private:
    long long m_uid = 0;
};

// Prepares the entries of `objects` from index `listed` on as new ones (any
// "html" they brought removed), then adds the display fields every entry
// still lacks. Shared by the feed sources.
void ZMRPrepareFeedEntries(const pf::ArrayRef& objects, std::size_t listed, const ZMRContext* context);
