#include "framework/db/KRDBObject.h"

#include "platform/foundation/ClassBuilder.h"

const pf::Class* KRDBObject::tableClass() const
{
    return objectClass();
}

const _KRDBObjectIndex* KRDBObject::tableIndexs(int&) const
{
    return nullptr;
}

const pf::Class* KRDBObject::dbObjectClass()
{
    static const pf::Class* cls = pf::ClassBuilder<KRDBObject>("KRDBObject")
                                      .property("rowid", &KRDBObject::rowid, &KRDBObject::setRowid)
                                      .commit();
    return cls;
}
