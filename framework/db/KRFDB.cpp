#include "framework/db/KRFDB.h"

#include "framework/db/KRFDBCursor.h"
#include "framework/db/KRFDBIndex.h"

#include <cstdio>

KRFDBRef KRFDB::initWithPath(const std::string& path)
{
    _FDB* fdb = FDBOpen(path.c_str());
    if (!fdb)
        return nullptr;
    KRFDBRef db(new KRFDB);
    db->m_dbPath = path;
    db->m_fdb = fdb;
    return db;
}

KRFDB::~KRFDB()
{
    close();
    FDBCursorCleanup(&m_rowCursor.data);
}

void KRFDB::close()
{
    for (auto& [name, index] : m_indexes)
        index->close();
    m_indexes.clear();
    if (m_fdb) {
        FDBClose(m_fdb);
        m_fdb = nullptr;
    }
}

const _FDBProperty* KRFDB::getProperty(const std::string& name) const
{
    return m_fdb ? FDBClassGetProperty(m_fdb->dbClass, name.c_str()) : nullptr;
}

const void* KRFDB::dataItemOfRowid(std::int32_t rowid)
{
    if (!m_fdb)
        return nullptr;
    if (!m_rowCursorReady) {
        FDBCursorInit(&m_rowCursor.data, m_fdb->dbClass);
        if (FDBCursorSetBufferCount(&m_rowCursor.data, bufferCount()) != 0) {
            FDBCursorCleanup(&m_rowCursor.data);
            return nullptr;
        }
        m_rowCursorReady = true;
    }
    return FDBCursorToRowid(m_fdb, &m_rowCursor, rowid);
}

KRFDBCursorRef KRFDB::query()
{
    if (!m_fdb)
        return nullptr;
    return std::make_shared<KRFDBCursor>(shared_from_this());
}

KRFDBCursorRef KRFDB::queryFilter(Filter filter)
{
    if (!m_fdb)
        return nullptr;
    return std::make_shared<KRFDBCursor>(shared_from_this(), std::move(filter));
}

const void* KRFDB::blobValue(std::uint64_t offset, std::uint32_t* length)
{
    return m_fdb ? FDBBlobRead(m_fdb, offset, length) : nullptr;
}

std::optional<std::string> KRFDB::blobStringValue(std::uint64_t offset)
{
    std::uint32_t length = 0;
    const char* bytes = static_cast<const char*>(blobValue(offset, &length));
    if (!bytes)
        return std::nullopt;
    // The stored text carries its terminator; stop there, never past the blob.
    std::string_view text(bytes, length);
    if (auto nul = text.find('\0'); nul != std::string_view::npos)
        text = text.substr(0, nul);
    return std::string(text);
}

int KRFDB::intValue(const void* record, const _FDBProperty* property) const
{
    return record && property ? FDBIntValue(record, property, 0) : 0;
}

long long KRFDB::longLongValue(const void* record, const _FDBProperty* property) const
{
    return record && property ? FDBInt64Value(record, property, 0) : 0;
}

double KRFDB::doubleValue(const void* record, const _FDBProperty* property) const
{
    return record && property ? FDBDoubleValue(record, property, 0) : 0;
}

std::optional<std::string> KRFDB::stringValue(const void* record, const _FDBProperty* property)
{
    if (!record || !property)
        return std::nullopt;
    char text[64];
    switch (property->type) {
    case FDB_TYPE_INT32:
        std::snprintf(text, sizeof text, "%d", FDBIntValue(record, property, 0));
        return std::string(text);
    case FDB_TYPE_INT64:
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(FDBInt64Value(record, property, 0)));
        return std::string(text);
    case FDB_TYPE_DOUBLE: {
        // "%f" of a large double runs to hundreds of digits.
        double d = FDBDoubleValue(record, property, 0);
        std::string s(static_cast<std::size_t>(std::snprintf(nullptr, 0, "%f", d)), '\0');
        std::snprintf(s.data(), s.size() + 1, "%f", d);
        return s;
    }
    case FDB_TYPE_STRING:
        if (const char* s = FDBStringValue(record, property, nullptr))
            return std::string(s);
        return std::nullopt;
    case FDB_TYPE_BLOB: {
        std::uint64_t offset = FDBBlobOffset(record, property, 0);
        return offset ? blobStringValue(offset) : std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

std::shared_ptr<const pf::Bytes> KRFDB::dataValue(const void* record, const _FDBProperty* property)
{
    if (!record || !property || property->type != FDB_TYPE_BLOB)
        return nullptr;
    std::uint64_t offset = FDBBlobOffset(record, property, 0);
    std::uint32_t length = 0;
    const auto* bytes = offset ? static_cast<const std::uint8_t*>(blobValue(offset, &length)) : nullptr;
    if (!bytes || length == 0)
        return nullptr;
    return std::make_shared<const pf::Bytes>(bytes, bytes + length);
}

KRFDBIndexRef KRFDB::openIndex(const std::string& name)
{
    if (!m_fdb)
        return nullptr;
    auto it = m_indexes.find(name);
    if (it != m_indexes.end() && !it->second->isClosed())
        return it->second;
    KRFDBIndexRef index = KRFDBIndex::initWithDB(shared_from_this(), name);
    if (!index)
        return nullptr;
    m_indexes[name] = index;
    return index;
}
