#pragma once

// Reading a record class's stored rows one per key. A store may hold two
// rows of one key (two answers stored at once, or a store written before the
// key was kept unique); the first row met in the query's order is kept and
// each later row of its key is deleted as it is met, so reading heals the
// store. On the store context's thread (the main queue for the app's stores).

#include "framework/db/IKRSqliteCursor.h"
#include "framework/db/KRDBContext.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Log.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

// The rows of the record class `className` that `tail` (a WHERE and ORDER BY
// clause) selects, by `keyOf(row)`; none when the store cannot be read
// (logged).
template <class T, class Key, class KeyOf>
std::optional<std::map<Key, std::shared_ptr<T>>> ZMRReadUniqueRows(KRDBContext& db, const char* className,
                                                                   const std::string& tail, KeyOf keyOf)
{
    const pf::Class* cls = pf::Class::named(className);
    auto cursor = cls ? db.query(cls, tail) : nullptr;
    if (!cursor) {
        pf::log("cannot read %s", className);
        return std::nullopt;
    }
    pf::ArrayRef rows = cursor->dataObjects(cls);
    cursor->close();
    std::map<Key, std::shared_ptr<T>> found;
    for (const pf::Value& row : *rows) {
        auto object = row.objectAs<T>();
        if (!object)
            continue;
        Key key = keyOf(*object);
        if (found.count(key)) {
            if (!db.deleteObject(object))
                pf::log("cannot delete a duplicate %s", className);
            continue;
        }
        found.emplace(std::move(key), std::move(object));
    }
    return found;
}
