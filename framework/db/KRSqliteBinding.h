#pragma once

// Parameter binding and column reading rules shared by the database, its
// cursors and the object store. Private to framework/db.

#include "platform/foundation/Value.h"

#include <string>
#include <vector>

struct sqlite3_stmt;

enum class KRBindLifetime { Static, Transient };

// Values bound with KRBindLifetime::Static point into this holder, which
// must outlive the statement's next step.
struct KRBoundValues {
    std::vector<pf::Value> values;
    std::vector<std::string> texts;
};

// Binds every parameter of the statement from `data` by its key path.
// Answers SQLITE_OK or the first failing bind's code.
int bindStatementValues(sqlite3_stmt* stmt, const pf::Value& data, KRBindLifetime lifetime, KRBoundValues& holder);

// JSON text of a value, for object values bound as blobs; nil when it has none.
std::optional<std::string> encodeJSONValue(const pf::Value& value);
// The value of JSON text; the text itself when it is not JSON.
pf::Value decodeJSONValue(std::string_view text);
