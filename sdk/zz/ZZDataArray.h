#pragma once

// A list archived element by element: each element is the archive of one
// stored object, so one element that another application wrote badly
// reads as null without costing the others. One thread at a time.

#include "sdk/zz/ZZArchive.h"

#include <vector>

class ZZDataArray final : public ZZArchivedRecord {
public:
    ZZDataArray() { m_dataArray.reserve(4); }
    // The archive of each object in order; an object that has no archive
    // is kept as a null element.
    explicit ZZDataArray(const std::vector<pf::Value>& objects);
    static std::shared_ptr<ZZDataArray> arrayWithObjectArray(const std::vector<pf::Value>& objects);

    // The elements unarchived in order; a null element or one that does not
    // unarchive is Value::null(). Each element is read with `maxSize`.
    std::vector<pf::Value> objectArray(std::size_t maxSize = ZZArchive::kMaxMessageSize) const;
    std::size_t count() const { return m_dataArray.size(); }
    // Nil is ignored.
    void addObject(const pf::Value& object);
    // False for a nil object or an index out of range.
    bool replaceObjectAtIndex(long long index, const pf::Value& object);
    bool removeObjectAtIndex(long long index);
    void removeAllObjects() { m_dataArray.clear(); }

    // "array": the element archives (data, or null).
    pf::DictionaryRef archiveDictionary() const override;
    // A missing "array" gives an empty list; elements that are not data
    // become null elements.
    static std::shared_ptr<ZZDataArray> decode(const pf::Dictionary& fields);

private:
    static pf::Value element(const pf::Value& object);
    std::vector<pf::Value> m_dataArray;
};
