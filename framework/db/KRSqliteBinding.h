#pragma once

// Parameter binding and column reading rules shared by the database, its
// cursors and the object store. Private to framework/db.

#include "platform/foundation/Value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct sqlite3_stmt;

namespace pf {
class Class;
struct Property;
}

enum class KRBindLifetime { Static, Transient };

// Values bound with KRBindLifetime::Static point into this holder, which
// must outlive the statement's next step.
struct KRBoundValues {
    std::vector<pf::Value> values;
    std::vector<std::string> texts;
};

// What binding one prepared statement needs to find out only once: the key
// path of each parameter, and the property each plain key names on the
// class last bound from (null where it names none or is not plain).
struct KRBindPlan {
    // How a parameter's property is read and bound: by a value, or straight
    // from the property's own C++ type.
    enum class Read : std::uint8_t { Value, Int, Int64, Bool, Real, Float, Text };
    std::vector<std::string> keyPaths;
    std::vector<char> plain; // the key path is one key, without dots
    const pf::Class* objectClass = nullptr;
    std::vector<const pf::Property*> properties;
    std::vector<Read> reads;
    // Every parameter of objectClass is read straight from its property's
    // type: a row of it is bound without making any value.
    bool typedOnly = false;
};

// The key paths of the statement's parameters, in position order.
KRBindPlan makeBindPlan(sqlite3_stmt* stmt);

// Binds every parameter of the statement from `data` by its key path.
// Answers SQLITE_OK or the first failing bind's code.
int bindStatementValues(sqlite3_stmt* stmt, const pf::Value& data, KRBindLifetime lifetime, KRBoundValues& holder);
// The same through a plan made for this statement, which it keeps up to
// date for the class of `data`.
int bindStatementValues(sqlite3_stmt* stmt, const pf::Value& data, KRBindLifetime lifetime, KRBoundValues& holder,
                        KRBindPlan& plan);

// JSON text of a value, for object values bound as blobs; nil when it has none.
std::optional<std::string> encodeJSONValue(const pf::Value& value);
// The value of JSON text; the text itself when it is not JSON.
pf::Value decodeJSONValue(std::string_view text);
