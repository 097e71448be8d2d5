#include "framework/db/KRFDBIndex.h"

#include "framework/db/KRFDB.h"
#include "framework/db/KRFDBIndexCursor.h"
#include "platform/foundation/Value.h"

KRFDBIndexRef KRFDBIndex::initWithDB(const KRFDBRef& db, const std::string& indexName)
{
    if (!db || db->isClosed())
        return nullptr;
    _FDBIndexDB* handle = FDBIndexOpen(db->dbPath().c_str(), indexName.c_str());
    if (!handle)
        return nullptr;
    KRFDBIndexRef index(new KRFDBIndex);
    index->m_db = db;
    index->m_dbIndex = handle;
    return index;
}

KRFDBIndex::~KRFDBIndex()
{
    close();
}

void KRFDBIndex::close()
{
    if (m_dbIndex) {
        FDBIndexClose(m_dbIndex);
        m_dbIndex = nullptr;
    }
}

const _FDBProperty* KRFDBIndex::getProperty(const std::string& name) const
{
    return m_dbIndex ? FDBIndexGetProperty(m_dbIndex->index, name.c_str()) : nullptr;
}

KRFDBIndexCursorRef KRFDBIndex::query()
{
    if (!m_dbIndex)
        return nullptr;
    return std::make_shared<KRFDBIndexCursor>(shared_from_this());
}

KRFDBIndexCursorRef KRFDBIndex::queryProperty(const _FDBProperty* property, const pf::Value& value, int mode,
                                              int stringMatch)
{
    if (!m_dbIndex || !property)
        return nullptr;
    return std::make_shared<KRFDBIndexCursor>(shared_from_this(), property, value, mode, stringMatch);
}
