#pragma once

// Several cursors read as one: next() takes one row from each member in
// turn, skipping exhausted ones. Reads go to the member of the current row.

#include "framework/db/IKRSqliteCursor.h"

#include <vector>

class KRSqliteUnionCursor : public IKRSqliteCursor {
public:
    explicit KRSqliteUnionCursor(std::vector<KRSqliteCursorRef> cursors);
    ~KRSqliteUnionCursor() override = default;

    const std::vector<KRSqliteCursorRef>& cursors() const { return m_cursors; }
    // Null before the first next().
    IKRSqliteCursor* currentCursor() const;

    void close() override;
    bool reset() override;
    bool next() override;
    int count() const override;
    bool isClosed() const override { return m_closed; }

    int columnIndexForName(std::string_view name) const override;
    std::optional<std::string> columnNameAtIndex(int index) const override;
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
    void toDataObject(const pf::Value& object) override;
    void toDataObject(const pf::Value& object, const pf::Class* cls) override;
    pf::ArrayRef dataObjects(const pf::Class* cls) override;

private:
    int m_index = -1;
    bool m_closed = false;
    std::vector<KRSqliteCursorRef> m_cursors;
};
