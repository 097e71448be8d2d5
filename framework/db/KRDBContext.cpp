#include "framework/db/KRDBContext.h"

#include "framework/db/KRDBObject.h"
#include "framework/db/KRSqlite.h"
#include "framework/db/KRSqliteCursor.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Object.h"

#include <cstring>

namespace {

const char* columnType(pf::PropertyType type)
{
    switch (type) {
    case pf::PropertyType::Int:
    case pf::PropertyType::Long:
    case pf::PropertyType::Bool:
    case pf::PropertyType::Enum:
        return "INT";
    case pf::PropertyType::LongLong:
        return "BIGINT";
    case pf::PropertyType::Float:
    case pf::PropertyType::Double:
        return "DOUBLE";
    case pf::PropertyType::String:
        return "TEXT";
    case pf::PropertyType::Data:
    case pf::PropertyType::Date:
    case pf::PropertyType::Object:
        return "BLOB";
    default: // colours, fonts, pictures and geometry are not stored in records
        break;
    }
    return "VARCHAR(45)";
}

// The columns of a record class without `rowid`: most derived class first,
// each class's properties in declaration order.
std::vector<const pf::Property*> columnsOf(const pf::Class* cls)
{
    std::vector<const pf::Property*> columns;
    const pf::Class* base = KRDBObject::dbObjectClass();
    for (const pf::Class* c = cls; c; c = c->superclass()) {
        for (const pf::Property& p : c->properties()) {
            if (c == base && p.name == "rowid")
                continue;
            columns.push_back(&p);
        }
    }
    return columns;
}

std::string tableNameOf(const pf::Object& object)
{
    const pf::Class* cls = nullptr;
    if (auto* record = dynamic_cast<const KRDBObject*>(&object))
        cls = record->tableClass();
    else
        cls = object.objectClass();
    return cls ? cls->name() : std::string();
}

}

pf::ErrorOr<std::shared_ptr<KRDBContext>> KRDBContext::openAtPath(const std::string& path,
                                                                   const std::vector<const pf::Class*>& classes,
                                                                   KRSqliteDurability durability)
{
    if (auto slash = path.rfind('/'); slash != std::string::npos && slash > 0)
        pf::createDirectories(path.substr(0, slash));
    auto db = KRSqlite::initWithPath(path, durability);
    if (!db.ok())
        return db.error();
    auto context = std::make_shared<KRDBContext>();
    context->setDb(db.value());
    for (const pf::Class* cls : classes)
        if (cls)
            context->regDBObjectClass(cls);
    return context;
}

void KRDBContext::setDb(KRSqliteRef db)
{
    m_db = std::move(db);
}

bool KRDBContext::regDBObjectClass(const pf::Class* cls)
{
    if (!cls || !m_db)
        return false;
    const std::string& table = cls->name();
    auto existing = m_db->query("SELECT [sql] FROM [sqlite_master] WHERE [type]='table' AND [name]=:name",
                                pf::Value(pf::Dictionary::create({{"name", table}})));
    bool exists = false;
    if (existing && existing->next()) {
        exists = true;
        std::string created = existing->stringValueAtIndex(0).value_or("");
        for (const pf::Class* c = cls; c; c = c->superclass()) {
            for (const pf::Property& p : c->properties()) {
                if (created.find("[" + p.name + "]") != std::string::npos)
                    continue;
                // A failed addition changes nothing; the next registration tries again.
                m_db->execture("ALTER TABLE [" + table + "] ADD COLUMN [" + p.name + "] " + columnType(p.type) + ";");
            }
        }
    }
    if (existing)
        existing->close();

    bool ok = true;
    if (!exists) {
        std::string sql = "CREATE TABLE IF NOT EXISTS [" + table + "] ( [rowid] INTEGER PRIMARY KEY AUTOINCREMENT ";
        for (const pf::Property* p : columnsOf(cls))
            sql += ",[" + p->name + "] " + columnType(p->type);
        sql += ")";
        if (!m_db->execture(sql)) {
            pf::log("%s", m_db->errmsg().value_or("").c_str());
            ok = false;
        }
    }

    pf::ObjectRef prototype = cls->create();
    auto* record = dynamic_cast<KRDBObject*>(prototype.get());
    int count = 0;
    const _KRDBObjectIndex* indexes = record ? record->tableIndexs(count) : nullptr;
    for (int i = 0; indexes && i < count; ++i) {
        // The declared name is a fixed 255-byte field; never read past it.
        std::string column(indexes[i].name, strnlen(indexes[i].name, sizeof indexes[i].name));
        std::string sql = "CREATE INDEX IF NOT EXISTS [" + table + "_" + column + "] ON [" + table + "]([" + column +
                          "] " + (indexes[i].desc ? "DESC" : "ASC") + ");";
        if (!m_db->execture(sql)) {
            pf::log("%s", m_db->errmsg().value_or("").c_str());
            ok = false;
        }
    }
    return ok;
}

const KRDBContext::Statements& KRDBContext::statementsFor(const pf::Class* cls)
{
    if (m_last && m_lastClass == cls)
        return *m_last;
    auto it = m_statements.find(cls);
    if (it != m_statements.end()) {
        m_lastClass = cls;
        m_last = it->second;
        return *m_last;
    }
    const std::string table = cls ? cls->name() : std::string();
    const auto columns = cls ? columnsOf(cls) : std::vector<const pf::Property*>();
    std::string insert = "INSERT INTO [" + table + "] ( ";
    std::string values = " VALUES(";
    std::string update = "UPDATE [" + table + "] SET ";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const std::string& name = columns[i]->name;
        if (i) {
            insert += ',';
            values += ',';
            update += ',';
        }
        insert.append("[").append(name).append("]");
        values.append(":").append(name);
        update.append("[").append(name).append("]=:").append(name);
    }
    insert += ")" + values + ")";
    update += " WHERE [rowid]=:rowid";
    auto made = std::make_shared<Statements>();
    made->insert = std::make_shared<const std::string>(std::move(insert));
    made->update = std::make_shared<const std::string>(std::move(update));
    made->remove = std::make_shared<const std::string>("DELETE FROM [" + table + "] WHERE [rowid]=:rowid");
    m_statements.emplace(cls, made);
    m_lastClass = cls;
    m_last = std::move(made);
    return *m_last;
}

std::string KRDBContext::insertObjectSQL(const pf::Class* cls)
{
    return *statementsFor(cls).insert;
}

std::string KRDBContext::updateObjectSQL(const pf::Class* cls)
{
    return *statementsFor(cls).update;
}

std::string KRDBContext::deleteObjectSQL(const pf::Class* cls)
{
    return *statementsFor(cls).remove;
}

bool KRDBContext::insertObject(const std::shared_ptr<KRDBObject>& object)
{
    if (!object || !m_db)
        return false;
    if (!m_db->execture(statementsFor(object->tableClass()).insert, pf::Value(object)))
        return false;
    object->setRowid(m_db->lastInsertRowid());
    return true;
}

bool KRDBContext::updateObject(const std::shared_ptr<KRDBObject>& object)
{
    return object && m_db && m_db->execture(statementsFor(object->tableClass()).update, pf::Value(object));
}

bool KRDBContext::deleteObject(const std::shared_ptr<KRDBObject>& object)
{
    return object && m_db && m_db->execture(statementsFor(object->tableClass()).remove, pf::Value(object));
}

KRSqliteCursorRef KRDBContext::query(const pf::Class* cls, const std::optional<std::string>& sql, const pf::Value& data)
{
    if (!cls || !m_db)
        return nullptr;
    return m_db->query("SELECT * FROM [" + cls->name() + "] " + sql.value_or(""), data);
}

void KRDBContext::setObject(const pf::ObjectRef& object)
{
    if (!object)
        return;
    auto& set = m_objectSets[tableNameOf(*object)];
    if (!set)
        set = std::make_shared<KRObjectSet>();
    set->insert(object);
}

void KRDBContext::removeObject(const pf::ObjectRef& object)
{
    if (!object)
        return;
    auto it = m_objectSets.find(tableNameOf(*object));
    if (it != m_objectSets.end())
        it->second->erase(object);
}

void KRDBContext::removeObjects(const pf::Class* cls)
{
    if (cls)
        m_objectSets.erase(cls->name());
}

std::shared_ptr<KRObjectSet> KRDBContext::queryObjects(const pf::Class* cls) const
{
    if (!cls)
        return nullptr;
    auto it = m_objectSets.find(cls->name());
    return it == m_objectSets.end() ? nullptr : it->second;
}

void KRDBContext::setValue(const pf::Value& value, const std::string& key)
{
    if (!m_values)
        m_values = std::make_shared<pf::Dictionary>();
    m_values->set(key, value);
}

pf::Value KRDBContext::valueForKey(const std::string& key) const
{
    return m_values ? m_values->get(key) : pf::Value();
}
