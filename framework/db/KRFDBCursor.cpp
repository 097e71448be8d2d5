#include "framework/db/KRFDBCursor.h"

KRFDBCursor::KRFDBCursor(const KRFDBRef& fdb) : m_fdb(fdb)
{
    m_record.owner = this;
    if (!fdb || fdb->isClosed())
        return;
    m_class = fdb->dbClass();
    FDBCursorInit(&m_record.cursor.data, m_class);
    if (FDBCursorSetBufferCount(&m_record.cursor.data, fdb->bufferCount()) != 0)
        m_class = nullptr; // no buffer: the cursor reads nothing
}

KRFDBCursor::KRFDBCursor(const KRFDBRef& fdb, KRFDB::Filter filter) : KRFDBCursor(fdb)
{
    m_filter = std::move(filter);
    if (m_filter)
        m_record.cursor.filter = &KRFDBCursor::filterRecord;
}

KRFDBCursor::~KRFDBCursor()
{
    FDBCursorCleanup(&m_record.cursor.data);
}

int KRFDBCursor::filterRecord(_FDB*, _FDBCursor* cursor, const void* record)
{
    KRFDBCursor* self = reinterpret_cast<Record*>(cursor)->owner;
    KRFDBRef db = self->m_fdb.lock();
    if (!db)
        return 0;
    return self->m_filter(*db, *self, record) ? 1 : 0;
}

_FDB* KRFDBCursor::liveStore() const
{
    KRFDBRef db = m_fdb.lock();
    if (!db || !m_class || db->dbClass() != m_class)
        return nullptr;
    return db->fdb();
}

void* KRFDBCursor::nextDataItem()
{
    _FDB* fdb = liveStore();
    return fdb ? FDBCursorNext(fdb, &m_record.cursor) : nullptr;
}

bool KRFDBCursor::commit()
{
    _FDB* fdb = liveStore();
    return fdb && FDBCursorCommit(fdb, &m_record.cursor) == 0;
}
