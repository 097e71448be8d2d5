#pragma once

// The base of record classes: objects kept in a SQLite table derived from
// their registered class. The declared properties of the class and its
// superclasses (most derived first, each class in declaration order) are the
// columns; `rowid` is the primary key, 0 until the object is inserted.
//
// tableClass() and tableIndexs() are questions about the class: the object
// store asks them of an instance (a fresh one when it has only the class).

#include "framework/db/Forward.h"
#include "platform/foundation/Object.h"

// One index declaration: a column name and whether the index is descending.
struct _KRDBObjectIndex {
    char name[255];
    char desc;
};

class KRDBObject : public pf::Object {
public:
    long long rowid() const { return m_rowid; }
    void setRowid(long long rowid) { m_rowid = rowid; }

    // The class whose name is the table name; the object's own class unless
    // a record class shares another class's table.
    virtual const pf::Class* tableClass() const;
    // The class's index declarations, or null (leaving `count` as it was).
    virtual const _KRDBObjectIndex* tableIndexs(int& count) const;

    // The registered class of KRDBObject itself.
    static const pf::Class* dbObjectClass();

private:
    long long m_rowid = 0;
};
