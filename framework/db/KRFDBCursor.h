#pragma once

// Forward-only reading of a record file, with in-place rewriting of the
// record last returned. The store is held weakly: a cursor whose store was
// closed or released answers null and false.

#include "c/db/fdb.h"
#include "framework/db/KRFDB.h"

class IKRFDBCursor {
public:
    virtual ~IKRFDBCursor() = default;
    // Null at the end.
    virtual void* nextDataItem() = 0;
    // Writes back the record last returned, changed in place by the caller.
    virtual bool commit() = 0;
};

class KRFDBCursor : public IKRFDBCursor {
public:
    explicit KRFDBCursor(const KRFDBRef& fdb);
    KRFDBCursor(const KRFDBRef& fdb, KRFDB::Filter filter);
    ~KRFDBCursor() override;

    KRFDBRef fdb() const { return m_fdb.lock(); }
    void* nextDataItem() override;
    bool commit() override;

    KRFDBCursor(const KRFDBCursor&) = delete;
    KRFDBCursor& operator=(const KRFDBCursor&) = delete;

private:
    // The C cursor comes first so that the filter trampoline finds its owner.
    struct Record {
        _FDBCursor cursor;
        KRFDBCursor* owner;
    };
    static int filterRecord(_FDB* db, _FDBCursor* cursor, const void* record);
    // Null when the store went away or was closed.
    _FDB* liveStore() const;

    Record m_record{};
    std::weak_ptr<KRFDB> m_fdb;
    const _FDBClass* m_class = nullptr;
    KRFDB::Filter m_filter;
};
