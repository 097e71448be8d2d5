#include "framework/db/KRFDBIndexCursor.h"

#include "framework/db/KRFDB.h"
#include "framework/db/KRFDBIndex.h"

KRFDBIndexCursor::KRFDBIndexCursor(const KRFDBIndexRef& dbIndex) : m_dbIndex(dbIndex)
{
    if (!dbIndex || dbIndex->isClosed())
        return;
    m_index = dbIndex->cIndex();
    FDBIndexCursorInit(&m_cursor.data, m_index);
    std::uint32_t wanted = dbIndex->maxBufferLength() ? dbIndex->maxBufferLength() : 2000;
    if (FDBIndexCursorSetBufferSize(&m_cursor.data, wanted) == 0)
        m_index = nullptr; // no buffer: the cursor reads nothing
}

KRFDBIndexCursor::KRFDBIndexCursor(const KRFDBIndexRef& dbIndex, const _FDBProperty* property, pf::Value value,
                                   int mode, int stringMatch)
    : KRFDBIndexCursor(dbIndex)
{
    m_propertyValue = std::move(value);
    if (!property)
        return;
    _FDBIndexCursorProperty key{};
    key.property = property;
    key.mode = mode;
    key.stringMatch = stringMatch;
    switch (property->type) {
    case FDB_TYPE_INT32:
        key.int32Value = m_propertyValue.intValue();
        break;
    case FDB_TYPE_INT64:
        key.int64Value = m_propertyValue.longLongValue();
        break;
    case FDB_TYPE_DOUBLE:
        key.doubleValue = m_propertyValue.doubleValue();
        break;
    case FDB_TYPE_STRING:
        // Numbers are searched by their text, as the platform's description gives it.
        if (!m_propertyValue.isNilOrNull())
            m_stringKey = m_propertyValue.stringValue().value_or(m_propertyValue.description());
        key.stringValue = m_stringKey.c_str();
        break;
    default:
        break;
    }
    m_key = key;
}

KRFDBIndexCursor::~KRFDBIndexCursor()
{
    FDBIndexCursorCleanup(&m_cursor.data);
}

_FDBIndexDB* KRFDBIndexCursor::liveIndex() const
{
    KRFDBIndexRef index = m_dbIndex.lock();
    if (!index || !m_index || index->cIndex() != m_index)
        return nullptr;
    return index->dbIndex();
}

void* KRFDBIndexCursor::nextIndexItem()
{
    _FDBIndexDB* db = liveIndex();
    if (!db || m_finished)
        return nullptr;
    const bool first = !m_started;
    m_started = true;
    void* item;
    if (!m_key)
        item = first ? FDBIndexCursorToBegin(db, &m_cursor, nullptr, nullptr)
                     : FDBIndexCursorToNext(db, &m_cursor, nullptr, nullptr);
    else
        item = first ? FDBIndexCursorToBeginWithKeys(db, &m_cursor, &*m_key, 1)
                     : FDBIndexCursorToNextWithKeys(db, &m_cursor, &*m_key, 1);
    // Once the run has ended the cursor stays at its end.
    m_finished = item == nullptr;
    return item;
}

const void* KRFDBIndexCursor::getDataItem(const void* indexItem)
{
    KRFDBIndexRef index = m_dbIndex.lock();
    if (!indexItem || !index || index->isClosed())
        return nullptr;
    KRFDBRef db = index->db();
    if (!db)
        return nullptr;
    std::int32_t row = FDBIntValue(indexItem, &index->cIndex()->properties[0], 0);
    return row == 0 ? nullptr : db->dataItemOfRowid(row);
}
