#pragma once

// Walks an index: every item, or the run of items that match one key. The
// index is held weakly: once it is closed or released the cursor answers null.

#include "c/db/fdb.h"
#include "framework/db/Forward.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>

class IKRFDBIndexCursor {
public:
    virtual ~IKRFDBIndexCursor() = default;
    // Null at the end (of the index, or of the matching run).
    virtual void* nextIndexItem() = 0;
    // The record an index item refers to; null for row number 0.
    virtual const void* getDataItem(const void* indexItem) = 0;
};

class KRFDBIndexCursor : public IKRFDBIndexCursor {
public:
    explicit KRFDBIndexCursor(const KRFDBIndexRef& dbIndex);
    KRFDBIndexCursor(const KRFDBIndexRef& dbIndex, const _FDBProperty* property, pf::Value value, int mode,
                     int stringMatch);
    ~KRFDBIndexCursor() override;

    KRFDBIndexRef dbIndex() const { return m_dbIndex.lock(); }
    const pf::Value& propertyValue() const { return m_propertyValue; }

    void* nextIndexItem() override;
    const void* getDataItem(const void* indexItem) override;

    KRFDBIndexCursor(const KRFDBIndexCursor&) = delete;
    KRFDBIndexCursor& operator=(const KRFDBIndexCursor&) = delete;

private:
    _FDBIndexDB* liveIndex() const;

    _FDBIndexCursor m_cursor{};
    std::weak_ptr<KRFDBIndex> m_dbIndex;
    const _FDBIndex* m_index = nullptr;
    pf::Value m_propertyValue;
    std::string m_stringKey; // the key text, kept as long as the cursor
    std::optional<_FDBIndexCursorProperty> m_key;
    bool m_started = false;
    bool m_finished = false;
};
