#pragma once

// A row cursor: steps through the rows of one statement and reads the
// current row's columns by index (from 0) or by name. An unknown name, an
// index out of range, no current row or a closed cursor read as 0, false,
// nil or null. count() and columnCount() are the number of result columns.

#include "framework/db/Forward.h"
#include "platform/foundation/Value.h"

#include <climits>
#include <optional>
#include <string>
#include <string_view>

namespace pf {
class Class;
}

class IKRSqliteCursor {
public:
    // What columnIndexForName() answers for a name that is not a column.
    static constexpr int NotFound = INT_MAX;

    virtual ~IKRSqliteCursor() = default;

    virtual void close() = 0;
    virtual bool reset() = 0;
    virtual bool next() = 0;
    virtual int count() const = 0;
    int columnCount() const { return count(); }
    virtual bool isClosed() const = 0;

    virtual int columnIndexForName(std::string_view name) const = 0;
    virtual std::optional<std::string> columnNameAtIndex(int index) const = 0;

    virtual int intValueAtIndex(int index) const = 0;
    virtual long longValueAtIndex(int index) const = 0;
    virtual long long longLongValueAtIndex(int index) const = 0;
    virtual bool boolValueAtIndex(int index) const = 0;
    virtual double doubleValueAtIndex(int index) const = 0;
    virtual std::optional<std::string> stringValueAtIndex(int index) const = 0;
    // Whole seconds since 1970; nil for NULL.
    virtual std::optional<pf::Date> dateValueAtIndex(int index) const = 0;
    // Null for NULL and for an empty blob.
    virtual std::shared_ptr<const pf::Bytes> dataValueAtIndex(int index) const = 0;
    // The statement's own text, valid until the next step, reset or close.
    virtual const char* cStringValueAtIndex(int index) const = 0;
    // By storage class: INTEGER a 64-bit number, FLOAT a double, BLOB data,
    // TEXT a string, NULL nil.
    virtual pf::Value objectAtIndex(int index) const = 0;

    int intValueForName(std::string_view name) const { return intValueAtIndex(columnIndexForName(name)); }
    long longValueForName(std::string_view name) const { return longValueAtIndex(columnIndexForName(name)); }
    long long longLongValueForName(std::string_view name) const { return longLongValueAtIndex(columnIndexForName(name)); }
    bool boolValueForName(std::string_view name) const { return boolValueAtIndex(columnIndexForName(name)); }
    double doubleValueForName(std::string_view name) const { return doubleValueAtIndex(columnIndexForName(name)); }
    std::optional<std::string> stringValueForName(std::string_view name) const
    {
        return stringValueAtIndex(columnIndexForName(name));
    }
    std::optional<pf::Date> dateValueForName(std::string_view name) const
    {
        return dateValueAtIndex(columnIndexForName(name));
    }
    std::shared_ptr<const pf::Bytes> dataValueForName(std::string_view name) const
    {
        return dataValueAtIndex(columnIndexForName(name));
    }
    const char* cStringValueForName(std::string_view name) const { return cStringValueAtIndex(columnIndexForName(name)); }
    pf::Value valueForKey(std::string_view name) const { return objectAtIndex(columnIndexForName(name)); }

    // A dictionary receives every non-NULL column under its name; an object
    // receives each declared property of its class and superclasses from the
    // column of the same name. Nil does nothing.
    virtual void toDataObject(const pf::Value& object) = 0;
    // The property walk, starting at `cls`, for any object; a dictionary
    // takes the properties under their names (a nil value removes the key).
    virtual void toDataObject(const pf::Value& object, const pf::Class* cls) = 0;
    // One new instance of `cls` per remaining row; the cursor stays open.
    virtual pf::ArrayRef dataObjects(const pf::Class* cls) = 0;
};
