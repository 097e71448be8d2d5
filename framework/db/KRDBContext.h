#pragma once

// An object store over one database: registering a record class creates its
// table (or adds the columns an older table lacks) and its indexes; insert,
// update and delete build their statements from the class and bind the
// object's properties by name; queries answer cursors that fill objects.
// Beside the database a context keeps in-memory object sets per table and a
// key-value bag for its owner.
//
// No locks: a context and its database are used by one thread or serial
// queue at a time. The database is owned.

#include "framework/db/Forward.h"
#include "framework/db/KRSqliteDurability.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Value.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace pf {
class Class;
}

using KRObjectSet = std::unordered_set<pf::ObjectRef>;

class KRDBContext {
public:
    KRDBContext() = default;
    // Opens (creating it and its folder when needed) the database file at
    // `path` and registers the record classes; an error when the file cannot
    // be opened as a database.
    static pf::ErrorOr<std::shared_ptr<KRDBContext>> openAtPath(const std::string& path,
                                                                 const std::vector<const pf::Class*>& classes,
                                                                 KRSqliteDurability durability = KRSqliteDurability::Full);

    KRSqliteRef db() const { return m_db; }
    void setDb(KRSqliteRef db);

    // Once per launch for each record class, before other use. Failures to
    // create the table or an index are logged; answers whether the table
    // and indexes are in place.
    bool regDBObjectClass(const pf::Class* cls);

    // Sets the object's rowid on success.
    bool insertObject(const std::shared_ptr<KRDBObject>& object);
    // True when the statement ran, also when no row matched.
    bool updateObject(const std::shared_ptr<KRDBObject>& object);
    bool deleteObject(const std::shared_ptr<KRDBObject>& object);
    // "SELECT * FROM [<class>] <tail>", the tail's parameters bound from data.
    KRSqliteCursorRef query(const pf::Class* cls, const std::optional<std::string>& sql, const pf::Value& data = {});

    std::string insertObjectSQL(const pf::Class* cls);
    std::string updateObjectSQL(const pf::Class* cls);
    std::string deleteObjectSQL(const pf::Class* cls);

    // In-memory sets by table name; never written to the database.
    void setObject(const pf::ObjectRef& object);
    void removeObject(const pf::ObjectRef& object);
    void removeObjects(const pf::Class* cls);
    std::shared_ptr<KRObjectSet> queryObjects(const pf::Class* cls) const;

    // The key-value bag; nil removes the key.
    void setValue(const pf::Value& value, const std::string& key);
    pf::Value valueForKey(const std::string& key) const;

private:
    // Shared and never changed, so the database finds a run's statement
    // by the text's address.
    struct Statements {
        std::shared_ptr<const std::string> insert, update, remove;
    };
    const Statements& statementsFor(const pf::Class* cls);

    std::unordered_map<std::string, std::shared_ptr<KRObjectSet>> m_objectSets;
    pf::DictionaryRef m_values;
    KRSqliteRef m_db;
    std::unordered_map<const pf::Class*, std::shared_ptr<const Statements>> m_statements;
    // The class asked last and its statements: the rows of a bulk insert
    // find them without a lookup.
    const pf::Class* m_lastClass = nullptr;
    std::shared_ptr<const Statements> m_last;
};
