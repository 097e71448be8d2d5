#pragma once

// One record file with its blob file and the indexes opened on it. Records
// are handed out as pointers into cursor buffers and read with the typed
// accessors below by property descriptor.
//
// Open from initWithPath() until close() or destruction; every call on a
// closed store answers null, nil, 0 or false. Cursors and indexes hold the
// store weakly and answer null once it is gone. One thread at a time.

#include "c/db/fdb.h"
#include "framework/db/Forward.h"

#include <functional>
#include <map>
#include <optional>
#include <string>

class KRFDB : public std::enable_shared_from_this<KRFDB> {
public:
    // YES keeps the record.
    using Filter = std::function<bool(KRFDB& db, KRFDBCursor& cursor, const void* record)>;

    // Null when the record file is missing or does not add up.
    static KRFDBRef initWithPath(const std::string& path);
    ~KRFDB();

    void close();
    bool isClosed() const { return m_fdb == nullptr; }

    _FDB* fdb() const { return m_fdb; }
    const _FDBClass* dbClass() const { return m_fdb ? m_fdb->dbClass : nullptr; }
    const std::string& dbPath() const { return m_dbPath; }
    // 0 means 200.
    std::uint32_t maxBufferCount() const { return m_maxBufferCount; }
    void setMaxBufferCount(std::uint32_t count) { m_maxBufferCount = count; }
    std::uint32_t bufferCount() const { return m_maxBufferCount ? m_maxBufferCount : 200; }

    const _FDBProperty* getProperty(const std::string& name) const;
    // Row numbers count from 1. The pointer stays valid until the next call.
    const void* dataItemOfRowid(std::int32_t rowid);

    KRFDBCursorRef query();
    KRFDBCursorRef queryFilter(Filter filter);

    const void* blobValue(std::uint64_t offset, std::uint32_t* length);
    std::optional<std::string> blobStringValue(std::uint64_t offset);

    // 0 for a null record or property.
    int intValue(const void* record, const _FDBProperty* property) const;
    long long longLongValue(const void* record, const _FDBProperty* property) const;
    double doubleValue(const void* record, const _FDBProperty* property) const;
    // Numbers formatted "%d", "%lld", "%f"; inline and blob text as stored.
    std::optional<std::string> stringValue(const void* record, const _FDBProperty* property);
    // A copy of a non-empty blob; null otherwise.
    std::shared_ptr<const pf::Bytes> dataValue(const void* record, const _FDBProperty* property);

    // The open index of that name, opened on first use; null when its file
    // cannot be opened.
    KRFDBIndexRef openIndex(const std::string& name);

    KRFDB(const KRFDB&) = delete;
    KRFDB& operator=(const KRFDB&) = delete;

private:
    KRFDB() = default;
    std::string m_dbPath;
    _FDB* m_fdb = nullptr;
    std::uint32_t m_maxBufferCount = 0;
    _FDBCursor m_rowCursor{};
    bool m_rowCursorReady = false;
    std::map<std::string, KRFDBIndexRef> m_indexes;
};
