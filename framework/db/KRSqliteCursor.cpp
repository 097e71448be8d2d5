#include "framework/db/KRSqliteCursor.h"

#include "framework/db/KRSqlite.h"
#include "framework/db/KRSqliteBinding.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Object.h"

#include <sqlite3.h>

KRSqliteCursor::KRSqliteCursor(sqlite3_stmt* stmt, const KRSqliteRef& sqlite, std::string sql, long long schemaVersion)
    : m_stmt(stmt), m_sql(std::move(sql)), m_schemaVersion(schemaVersion), m_sqlite(sqlite)
{
}

KRSqliteCursor::~KRSqliteCursor()
{
    // The database holds its cursors until they close, so by now it has let
    // go of this one (or is gone): only the statement is left to finalize.
    if (m_stmt)
        sqlite3_finalize(m_stmt);
}

void KRSqliteCursor::close()
{
    if (m_closed)
        return;
    sqlite3_stmt* stmt = m_stmt;
    m_stmt = nullptr;
    m_closed = true;
    m_hasRow = false;
    auto sqlite = m_sqlite.lock();
    if (sqlite && m_schemaVersion >= 0)
        sqlite->keepQueryStatement(stmt, std::move(m_sql), m_schemaVersion);
    else
        sqlite3_finalize(stmt);
    if (sqlite)
        sqlite->removeCursor(this); // may drop the list's reference to this cursor
}

bool KRSqliteCursor::reset()
{
    if (m_closed)
        return false;
    m_hasRow = false;
    m_atEnd = false;
    m_stepped = false;
    bool rewound = sqlite3_reset(m_stmt) == SQLITE_OK;
    // A statement prepared under a schema changed since names the old
    // columns until its next step; prepared again now, it names those the
    // run will read. The bound values move over to it.
    if (auto sqlite = m_sqlite.lock(); sqlite && m_schemaVersion >= 0) {
        if (sqlite3_stmt* fresh = sqlite->prepareAfterSchemaChange(m_sql, m_schemaVersion)) {
            if (sqlite3_transfer_bindings(m_stmt, fresh) == SQLITE_OK) {
                sqlite3_finalize(m_stmt);
                m_stmt = fresh;
                forgetColumns();
            } else {
                sqlite3_finalize(fresh);
            }
        }
    }
    return rewound;
}

void KRSqliteCursor::forgetColumns()
{
    m_namesBuilt = false;
    m_indexOfNames.clear();
    m_planClass = nullptr;
}

bool KRSqliteCursor::next()
{
    // SQLite would start over on a step after the end; the end stays the
    // end until reset().
    if (m_closed || m_atEnd)
        return false;
    int rc;
    if (m_stepped) {
        rc = sqlite3_step(m_stmt);
    } else {
        // The first step of a run brings a statement prepared under an
        // older schema up to date: columns named before it are named anew.
        int prepared = sqlite3_stmt_status(m_stmt, SQLITE_STMTSTATUS_REPREPARE, 0);
        rc = sqlite3_step(m_stmt);
        m_stepped = true;
        if (sqlite3_stmt_status(m_stmt, SQLITE_STMTSTATUS_REPREPARE, 0) != prepared)
            forgetColumns();
    }
    m_hasRow = rc == SQLITE_ROW;
    m_atEnd = !m_hasRow;
    m_rowColumns = m_hasRow ? sqlite3_data_count(m_stmt) : 0;
    return m_hasRow;
}

int KRSqliteCursor::count() const
{
    return m_closed ? 0 : sqlite3_column_count(m_stmt);
}

const KRSqliteCursor::NameIndex& KRSqliteCursor::indexOfNames() const
{
    if (!m_namesBuilt && !m_closed) {
        int n = sqlite3_column_count(m_stmt);
        m_indexOfNames.reserve(static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) {
            if (const char* name = sqlite3_column_name(m_stmt, i))
                m_indexOfNames[name] = i; // the later of two equal names wins
        }
        m_namesBuilt = true;
    }
    return m_indexOfNames;
}

int KRSqliteCursor::columnIndexForName(std::string_view name) const
{
    const auto& names = indexOfNames();
    auto it = names.find(name);
    return it == names.end() ? NotFound : it->second;
}

std::optional<std::string> KRSqliteCursor::columnNameAtIndex(int index) const
{
    if (m_closed || index < 0 || index >= sqlite3_column_count(m_stmt))
        return std::nullopt;
    const char* name = sqlite3_column_name(m_stmt, index);
    return name ? std::optional<std::string>(name) : std::nullopt;
}

sqlite3_stmt* KRSqliteCursor::rowColumn(int index) const
{
    if (m_closed || !m_hasRow || index < 0 || index >= m_rowColumns)
        return nullptr;
    return m_stmt;
}

int KRSqliteCursor::intValueAtIndex(int index) const
{
    sqlite3_stmt* s = rowColumn(index);
    return s ? sqlite3_column_int(s, index) : 0;
}

long KRSqliteCursor::longValueAtIndex(int index) const
{
    sqlite3_stmt* s = rowColumn(index);
    return s ? static_cast<long>(sqlite3_column_int64(s, index)) : 0;
}

long long KRSqliteCursor::longLongValueAtIndex(int index) const
{
    sqlite3_stmt* s = rowColumn(index);
    return s ? sqlite3_column_int64(s, index) : 0;
}

bool KRSqliteCursor::boolValueAtIndex(int index) const
{
    return intValueAtIndex(index) != 0;
}

double KRSqliteCursor::doubleValueAtIndex(int index) const
{
    sqlite3_stmt* s = rowColumn(index);
    return s ? sqlite3_column_double(s, index) : 0;
}

std::optional<std::string> KRSqliteCursor::stringValueAtIndex(int index) const
{
    std::optional<std::string_view> text = textAtIndex(index);
    return text ? std::optional<std::string>(std::in_place, *text) : std::nullopt;
}

std::optional<pf::Date> KRSqliteCursor::dateValueAtIndex(int index) const
{
    sqlite3_stmt* s = rowColumn(index);
    if (!s || sqlite3_column_type(s, index) == SQLITE_NULL)
        return std::nullopt;
    // Whole seconds, 64-bit: the fraction is dropped, the year 2038 is not.
    return pf::Date{static_cast<double>(sqlite3_column_int64(s, index))};
}

std::shared_ptr<const pf::Bytes> KRSqliteCursor::dataValueAtIndex(int index) const
{
    sqlite3_stmt* s = rowColumn(index);
    if (!s || sqlite3_column_type(s, index) == SQLITE_NULL)
        return nullptr;
    const auto* bytes = static_cast<const std::uint8_t*>(sqlite3_column_blob(s, index));
    int length = sqlite3_column_bytes(s, index);
    if (!bytes || length <= 0)
        return nullptr;
    return std::make_shared<const pf::Bytes>(bytes, bytes + length);
}

const char* KRSqliteCursor::cStringValueAtIndex(int index) const
{
    sqlite3_stmt* s = rowColumn(index);
    return s ? reinterpret_cast<const char*>(sqlite3_column_text(s, index)) : nullptr;
}

pf::Value KRSqliteCursor::objectAtIndex(int index) const
{
    sqlite3_stmt* s = rowColumn(index);
    if (!s)
        return {};
    switch (sqlite3_column_type(s, index)) {
    case SQLITE_INTEGER:
        return pf::Value(static_cast<long long>(sqlite3_column_int64(s, index)));
    case SQLITE_FLOAT:
        return pf::Value(sqlite3_column_double(s, index));
    case SQLITE_BLOB: {
        auto data = dataValueAtIndex(index);
        return data ? pf::Value::data(std::move(data)) : pf::Value();
    }
    case SQLITE_TEXT:
        return pf::Value(*stringValueAtIndex(index));
    default:
        return {};
    }
}

pf::Value KRSqliteCursor::valueForProperty(const pf::Property& property) const
{
    return valueForProperty(property, columnIndexForName(property.name));
}

pf::Value KRSqliteCursor::valueForProperty(const pf::Property& property, int index) const
{
    switch (property.type) {
    case pf::PropertyType::Int:
        return pf::Value(intValueAtIndex(index));
    case pf::PropertyType::Long:
        return pf::Value(longValueAtIndex(index));
    case pf::PropertyType::LongLong:
    case pf::PropertyType::Enum:
        return pf::Value(longLongValueAtIndex(index));
    case pf::PropertyType::Float:
    case pf::PropertyType::Double:
        return pf::Value(doubleValueAtIndex(index));
    case pf::PropertyType::Bool:
        return pf::Value::boolean(boolValueAtIndex(index));
    case pf::PropertyType::String: {
        auto s = stringValueAtIndex(index);
        return s ? pf::Value(std::move(*s)) : pf::Value();
    }
    case pf::PropertyType::Data: {
        auto data = dataValueAtIndex(index);
        return data ? pf::Value::data(std::move(data)) : pf::Value();
    }
    case pf::PropertyType::Date: {
        auto date = dateValueAtIndex(index);
        return date ? pf::Value(*date) : pf::Value();
    }
    case pf::PropertyType::Object: {
        // Read by what is stored: numbers as numbers, text and blobs as
        // JSON, with the raw text when it is not JSON.
        sqlite3_stmt* s = rowColumn(index);
        if (!s)
            return {};
        switch (sqlite3_column_type(s, index)) {
        case SQLITE_INTEGER:
        case SQLITE_FLOAT:
            return objectAtIndex(index);
        case SQLITE_TEXT:
        case SQLITE_BLOB: {
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(s, index));
            int length = sqlite3_column_bytes(s, index);
            if (!bytes || length <= 0)
                return {};
            return decodeJSONValue(std::string_view(bytes, static_cast<std::size_t>(length)));
        }
        default:
            return {};
        }
    }
    default: // colours, fonts, pictures and geometry: read as text
        break;
    }
    auto s = stringValueAtIndex(index);
    return s ? pf::Value(std::move(*s)) : pf::Value();
}

void KRSqliteCursor::toDataObject(const pf::Value& object)
{
    if (auto dictionary = object.dictionary()) {
        const int n = count();
        for (int i = 0; i < n; ++i) {
            pf::Value value = objectAtIndex(i);
            if (!value.isNil())
                dictionary->set(*columnNameAtIndex(i), std::move(value));
        }
        return;
    }
    if (auto target = object.object())
        toDataObject(object, target->objectClass());
}

KRSqliteCursor::Fill KRSqliteCursor::fillOf(const pf::Property& property)
{
    switch (property.type) {
    case pf::PropertyType::Int: return property.setInteger ? Fill::Int : Fill::Value;
    case pf::PropertyType::Long: return property.setInteger ? Fill::Long : Fill::Value;
    case pf::PropertyType::LongLong: return property.setInteger ? Fill::LongLong : Fill::Value;
    case pf::PropertyType::Bool: return property.setInteger ? Fill::Bool : Fill::Value;
    case pf::PropertyType::Float:
    case pf::PropertyType::Double: return property.setReal ? Fill::Real : Fill::Value;
    case pf::PropertyType::String: return property.setText ? Fill::Text : Fill::Value;
    default: return Fill::Value;
    }
}

const std::vector<KRSqliteCursor::PlanEntry>& KRSqliteCursor::planFor(const pf::Class* cls)
{
    if (cls != m_planClass) {
        m_plan.clear();
        for (const pf::Class* c = cls; c; c = c->superclass())
            for (const pf::Property& property : c->properties())
                if (property.set)
                    m_plan.push_back({&property, columnIndexForName(property.name), fillOf(property)});
        m_planClass = cls;
    }
    return m_plan;
}

std::optional<std::string_view> KRSqliteCursor::textAtIndex(int index) const
{
    sqlite3_stmt* s = rowColumn(index);
    if (!s)
        return std::nullopt;
    // Every call on the statement locks the connection; the column's value
    // is read under one lock (the connection is one thread's at a time).
    sqlite3_value* value = sqlite3_column_value(s, index);
    if (!value || sqlite3_value_type(value) == SQLITE_NULL)
        return std::nullopt;
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    if (!text)
        return std::string_view(); // out of memory reads as empty rather than NULL
    return std::string_view(text, static_cast<std::size_t>(sqlite3_value_bytes(value)));
}

void KRSqliteCursor::fill(pf::Object& object, const std::vector<PlanEntry>& plan)
{
    // Numbers and texts go straight into properties of their own C++ type:
    // the same reads as valueForProperty, with no value made and
    // taken apart on the way. Whether there is a row is asked once; a
    // column outside it reads as 0, as the readers by index answer.
    const int columns = m_closed || !m_hasRow ? 0 : m_rowColumns;
    for (const PlanEntry& entry : plan) {
        const pf::Property& property = *entry.property;
        const bool inRow = static_cast<unsigned>(entry.index) < static_cast<unsigned>(columns);
        switch (entry.fill) {
        case Fill::Int: property.setInteger(object, inRow ? sqlite3_column_int(m_stmt, entry.index) : 0); break;
        case Fill::Long:
            property.setInteger(object, inRow ? static_cast<long>(sqlite3_column_int64(m_stmt, entry.index)) : 0);
            break;
        case Fill::LongLong: property.setInteger(object, inRow ? sqlite3_column_int64(m_stmt, entry.index) : 0); break;
        case Fill::Bool:
            property.setInteger(object, inRow && sqlite3_column_int(m_stmt, entry.index) != 0 ? 1 : 0);
            break;
        case Fill::Real: property.setReal(object, inRow ? sqlite3_column_double(m_stmt, entry.index) : 0); break;
        case Fill::Text:
            // The characters are the statement's until the next step: they
            // are copied once, into the property's own string.
            if (auto text = textAtIndex(entry.index))
                property.setText(object, *text);
            else
                property.set(object, pf::Value());
            break;
        case Fill::Value: property.set(object, valueForProperty(property, entry.index)); break;
        }
    }
}

void KRSqliteCursor::toDataObject(const pf::Value& object, const pf::Class* cls)
{
    if (!cls)
        return;
    if (pf::ObjectRef target = object.object()) {
        fill(*target, planFor(cls));
        return;
    }
    // A dictionary takes the class's properties by key like any object: a
    // missing value removes the key.
    if (auto dictionary = object.dictionary()) {
        for (const PlanEntry& entry : planFor(cls)) {
            pf::Value value = valueForProperty(*entry.property, entry.index);
            if (value.isNil())
                dictionary->remove(entry.property->name);
            else
                dictionary->set(entry.property->name, std::move(value));
        }
    }
}

pf::ArrayRef KRSqliteCursor::dataObjects(const pf::Class* cls)
{
    auto objects = std::make_shared<pf::Array>();
    if (!cls)
        return objects;
    while (next()) {
        pf::ObjectRef object = cls->create();
        if (!object)
            break; // a class without a factory cannot be filled
        // Asked after the step, which may have named the columns anew.
        fill(*object, planFor(cls));
        objects->add(pf::Value(std::move(object)));
    }
    return objects;
}
