#pragma once

// One sorted index file of a record store, opened through KRFDB::openIndex.
// The store is held weakly; closing the store closes its indexes. Every call
// on a closed index answers null. One thread at a time.

#include "c/db/fdb.h"
#include "framework/db/Forward.h"

#include <string>

namespace pf {
class Value;
}

class KRFDBIndex : public std::enable_shared_from_this<KRFDBIndex> {
public:
    // Null when "<dbPath>_<name>.idx" is missing or does not add up.
    static KRFDBIndexRef initWithDB(const KRFDBRef& db, const std::string& indexName);
    ~KRFDBIndex();

    void close();
    bool isClosed() const { return m_dbIndex == nullptr; }

    KRFDBRef db() const { return m_db.lock(); }
    _FDBIndexDB* dbIndex() const { return m_dbIndex; }
    const _FDBIndex* cIndex() const { return m_dbIndex ? m_dbIndex->index : nullptr; }
    // 0 means 2000.
    std::uint32_t maxBufferLength() const { return m_maxBufferLength; }
    void setMaxBufferLength(std::uint32_t length) { m_maxBufferLength = length; }

    const _FDBProperty* getProperty(const std::string& name) const;

    // Every item in index order.
    KRFDBIndexCursorRef query();
    // The run of items whose key property equals the value (or, for text
    // with stringMatch 1, starts with it). mode -1 serves an ascending index,
    // 1 a descending one. Null when closed or without a property.
    KRFDBIndexCursorRef queryProperty(const _FDBProperty* property, const pf::Value& value, int mode = -1,
                                      int stringMatch = 0);

    KRFDBIndex(const KRFDBIndex&) = delete;
    KRFDBIndex& operator=(const KRFDBIndex&) = delete;

private:
    KRFDBIndex() = default;
    std::weak_ptr<KRFDB> m_db;
    _FDBIndexDB* m_dbIndex = nullptr;
    std::uint32_t m_maxBufferLength = 2000;
};
