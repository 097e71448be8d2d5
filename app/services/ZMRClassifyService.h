#pragma once

// Mirrors the server's category and tag lists into "app.db" and answers
// category lookups by id.
//
// IZMRClassifyTask sends the list request; its delegate is never called:
// the tables and "ZMRClassifyChangedNotification" (posted once per merged
// list) are the only outcome. A failed request changes nothing.
// Categories are matched by `cid` and removed when the server no longer
// lists them; tags are matched by their text and only ever added or
// updated. An id or text repeated within one answer updates the object
// already handled for it, so an answer never adds two rows for one
// category or tag.
//
// IZMRClassifyGetTask is answered inside handle(): `dataObject` is the
// category from the cache (`dataObjects`, rebuilt by every category merge)
// or from the table, or null. Main queue only.

#include "framework/core/KRUplinkService.h"
#include "platform/foundation/Collections.h"

class IKRAPIResponseTask;

class ZMRClassifyService final : public KRUplinkService {
public:
    bool handle(const pf::Protocol* taskType, const pf::ObjectRef& task, int priority) override;

    // The text of a category id ("%lld") to its ZMRClassifyObject.
    const pf::DictionaryRef& dataObjects();
    void setDataObjects(pf::DictionaryRef dataObjects) { m_dataObjects = std::move(dataObjects); }

private:
    void send(const pf::ObjectRef& task);
    void lookup(const pf::ObjectRef& task);
    void answer(const IKRAPIResponseTask& response);
    void mergeCategories(const pf::Array& entries);
    void mergeTags(const pf::Array& entries);

    pf::DictionaryRef m_dataObjects;
};

extern const char* const ZMRClassifyChangedNotification;
