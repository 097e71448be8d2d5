#pragma once

// The cursor over one prepared statement, which it owns until it closes; the
// database that made it then keeps the statement for reuse. The database is
// held weakly and lets go of the cursor when either closes.
//
// Positioned before the first row: the statement runs at the first step,
// taken only by next(). Its columns are named by the prepared statement, so
// asking for them runs nothing. A statement prepared under an older schema
// is brought up to date by that step (its columns then named anew) or
// prepared again by reset(). A statement whose first step fails yields no
// row.

#include "framework/db/IKRSqliteCursor.h"

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct sqlite3_stmt;
namespace pf {
struct Property;
}

class KRSqliteCursor : public IKRSqliteCursor {
public:
    struct NameHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>()(s); }
    };
    using NameIndex = std::unordered_map<std::string, int, NameHash, std::equal_to<>>;

    // `sql` is the text the statement was prepared from and `schemaVersion`
    // the schema's version read before (negative: unknown, and the
    // statement is neither prepared again on reset nor kept on close).
    KRSqliteCursor(sqlite3_stmt* stmt, const KRSqliteRef& sqlite, std::string sql = {}, long long schemaVersion = -1);
    ~KRSqliteCursor() override;

    void close() override;
    bool reset() override;
    bool next() override;
    int count() const override;
    bool isClosed() const override { return m_closed; }

    int columnIndexForName(std::string_view name) const override;
    std::optional<std::string> columnNameAtIndex(int index) const override;
    const NameIndex& indexOfNames() const;

    int intValueAtIndex(int index) const override;
    long longValueAtIndex(int index) const override;
    long long longLongValueAtIndex(int index) const override;
    bool boolValueAtIndex(int index) const override;
    double doubleValueAtIndex(int index) const override;
    std::optional<std::string> stringValueAtIndex(int index) const override;
    std::optional<pf::Date> dateValueAtIndex(int index) const override;
    std::shared_ptr<const pf::Bytes> dataValueAtIndex(int index) const override;
    const char* cStringValueAtIndex(int index) const override;
    pf::Value objectAtIndex(int index) const override;

    // The column named like the property, read by the property's type.
    pf::Value valueForProperty(const pf::Property& property) const;
    pf::Value valueForProperty(const pf::Property& property, int index) const;

    void toDataObject(const pf::Value& object) override;
    void toDataObject(const pf::Value& object, const pf::Class* cls) override;
    pf::ArrayRef dataObjects(const pf::Class* cls) override;

    KRSqliteRef sqlite() const { return m_sqlite.lock(); }
    // Called by the database when it lets the cursor go.
    void clearSqlite() { m_sqlite.reset(); }

    KRSqliteCursor(const KRSqliteCursor&) = delete;
    KRSqliteCursor& operator=(const KRSqliteCursor&) = delete;

private:
    // The statement when a row is current and `index` is one of its columns.
    sqlite3_stmt* rowColumn(int index) const;
    // Drops what was worked out from the statement's columns.
    void forgetColumns();
    // The settable properties of a class walk with their column indexes,
    // worked out once per class instead of once per row.
    // How a row's column reaches its property, chosen once per plan.
    enum class Fill : unsigned char { Int, Long, LongLong, Bool, Real, Text, Value };
    struct PlanEntry {
        const pf::Property* property;
        int index;
        Fill fill;
    };
    const std::vector<PlanEntry>& planFor(const pf::Class* cls);
    void fill(pf::Object& object, const std::vector<PlanEntry>& plan);
    // The current row's text at `index`, valid until the next step; none for NULL.
    std::optional<std::string_view> textAtIndex(int index) const;
    static Fill fillOf(const pf::Property& property);

    sqlite3_stmt* m_stmt = nullptr;
    std::string m_sql;
    long long m_schemaVersion = -1;
    mutable NameIndex m_indexOfNames;
    const pf::Class* m_planClass = nullptr;
    std::vector<PlanEntry> m_plan;
    mutable bool m_namesBuilt = false;
    bool m_closed = false;
    bool m_hasRow = false;
    int m_rowColumns = 0; // columns of the current row, asked once per row
    bool m_atEnd = false;
    // A step was taken since the statement was prepared or last reset.
    bool m_stepped = false;
    std::weak_ptr<KRSqlite> m_sqlite;
};
