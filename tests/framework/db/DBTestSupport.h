#pragma once

// Records and helpers shared by the database tests.

#include "framework/db/KRDBContext.h"
#include "framework/db/KRDBObject.h"
#include "framework/db/KRSqlite.h"
#include "framework/db/KRSqliteCursor.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/DispatchQueue.h"
#include "platform/foundation/RunLoop.h"
#include "tests/c/db/FdbFixture.h"

#include <gtest/gtest.h>

using fdbtest::TempDir;

namespace dbtest {

class TagObject : public KRDBObject {
public:
    long long tid() const { return m_tid; }
    void setTid(long long v) { m_tid = v; }
    std::optional<std::string> tag() const { return m_tag; }
    void setTag(std::optional<std::string> v) { m_tag = std::move(v); }
    int weight() const { return m_weight; }
    void setWeight(int v) { m_weight = v; }
    double timestamp() const { return m_timestamp; }
    void setTimestamp(double v) { m_timestamp = v; }

    const _KRDBObjectIndex* tableIndexs(int& count) const override
    {
        static const _KRDBObjectIndex indexes[] = {{"weight", 1}, {"tag", 0}};
        count = 2;
        return indexes;
    }

private:
    long long m_tid = 0;
    std::optional<std::string> m_tag;
    int m_weight = -1;
    double m_timestamp = -1;
};

// A record of every property kind, derived from another record class.
class KindsObject : public TagObject {
public:
    long l() const { return m_l; }
    void setL(long v) { m_l = v; }
    float f() const { return m_f; }
    void setF(float v) { m_f = v; }
    bool b() const { return m_b; }
    void setB(bool v) { m_b = v; }
    std::shared_ptr<const pf::Bytes> blob() const { return m_blob; }
    void setBlob(std::shared_ptr<const pf::Bytes> v) { m_blob = std::move(v); }
    std::optional<pf::Date> when() const { return m_when; }
    void setWhen(std::optional<pf::Date> v) { m_when = v; }
    pf::ArrayRef ids() const { return m_ids; }
    void setIds(pf::ArrayRef v) { m_ids = std::move(v); }
    pf::Value any() const { return m_any; }
    void setAny(pf::Value v) { m_any = std::move(v); }

    const _KRDBObjectIndex* tableIndexs(int&) const override { return nullptr; }

private:
    long m_l = -1;
    float m_f = 0;
    bool m_b = false;
    std::shared_ptr<const pf::Bytes> m_blob;
    std::optional<pf::Date> m_when;
    pf::ArrayRef m_ids;
    pf::Value m_any;
};

// Rows of this class live in TagObject's table.
class SharedTagObject : public TagObject {
public:
    const pf::Class* tableClass() const override { return pf::Class::named("TagObject"); }
};

inline void registerTestRecords()
{
    static bool done = false;
    if (done) return;
    done = true;
    pf::ClassBuilder<TagObject>("TagObject")
        .superclass<KRDBObject>()
        .property("tid", &TagObject::tid, &TagObject::setTid)
        .property("tag", &TagObject::tag, &TagObject::setTag)
        .property("weight", &TagObject::weight, &TagObject::setWeight)
        .property("timestamp", &TagObject::timestamp, &TagObject::setTimestamp)
        .commit();
    pf::ClassBuilder<KindsObject>("KindsObject")
        .superclass<TagObject>()
        .property("l", &KindsObject::l, &KindsObject::setL)
        .property("f", &KindsObject::f, &KindsObject::setF)
        .property("b", &KindsObject::b, &KindsObject::setB)
        .property("blob", &KindsObject::blob, &KindsObject::setBlob)
        .property("when", &KindsObject::when, &KindsObject::setWhen)
        .property("ids", &KindsObject::ids, &KindsObject::setIds)
        .property("any", &KindsObject::any, &KindsObject::setAny)
        .commit();
    pf::ClassBuilder<SharedTagObject>("SharedTagObject").superclass<TagObject>().commit();
}

inline KRSqliteRef openDB(const TempDir& dir, const std::string& name = "test.db")
{
    registerTestRecords();
    auto db = KRSqlite::initWithPath(dir.file(name));
    EXPECT_TRUE(db.ok()) << (db.ok() ? "" : db.error().description);
    return db.ok() ? db.value() : nullptr;
}

// One column of every remaining row, NULL read as "(nil)".
inline std::vector<std::string> column(IKRSqliteCursor& cursor, int index = 0)
{
    std::vector<std::string> out;
    while (cursor.next()) out.push_back(cursor.stringValueAtIndex(index).value_or("(nil)"));
    return out;
}
// The same from a cursor that may be missing, which it closes.
inline std::vector<std::string> column(const KRSqliteCursorRef& cursor, int index = 0)
{
    if (!cursor) return {};
    auto out = column(*cursor, index);
    cursor->close();
    return out;
}

// Runs the main loop's pending turns, lets `queue` drain, then runs the main
// loop again for what the queue handed back.
inline void settle(const std::shared_ptr<pf::DispatchQueue>& queue)
{
    pf::RunLoop::main().runUntilIdle();
    if (queue) queue->sync([] {});
    pf::RunLoop::main().runUntilIdle();
}

// Each row of `sql`, columns joined by spaces, read on the database's own queue.
inline std::vector<std::string> rowsOn(const std::shared_ptr<pf::DispatchQueue>& queue,
                                       const std::function<KRDBContextRef()>& context, const std::string& sql)
{
    std::vector<std::string> out;
    queue->sync([&] {
        auto ctx = context();
        auto c = ctx ? ctx->db()->query(sql) : nullptr;
        while (c && c->next()) {
            std::string row;
            for (int i = 0; i < c->count(); ++i) row += (i ? " " : "") + c->stringValueAtIndex(i).value_or("(nil)");
            out.push_back(row);
        }
        if (c) c->close();
    });
    return out;
}
template <class Service>
std::vector<std::string> rowsOf(const std::shared_ptr<Service>& service, const std::string& sql)
{
    return rowsOn(service->dispatchQueue(), [&] { return service->dbContext(); }, sql);
}

} // namespace dbtest
