#include "framework/db/KRSqliteUnionCursor.h"

#include "platform/foundation/Collections.h"

KRSqliteUnionCursor::KRSqliteUnionCursor(std::vector<KRSqliteCursorRef> cursors) : m_cursors(std::move(cursors)) {}

IKRSqliteCursor* KRSqliteUnionCursor::currentCursor() const
{
    if (m_index < 0 || static_cast<std::size_t>(m_index) >= m_cursors.size())
        return nullptr;
    return m_cursors[static_cast<std::size_t>(m_index)].get();
}

void KRSqliteUnionCursor::close()
{
    if (m_closed)
        return;
    for (auto& cursor : m_cursors)
        if (cursor)
            cursor->close();
    m_closed = true;
}

bool KRSqliteUnionCursor::reset()
{
    bool all = true;
    for (auto& cursor : m_cursors)
        all = (cursor && cursor->reset()) && all;
    return all;
}

bool KRSqliteUnionCursor::next()
{
    const int n = static_cast<int>(m_cursors.size());
    for (int tries = 0; tries < n; ++tries) {
        m_index = m_index + 1 >= n ? 0 : m_index + 1;
        auto& cursor = m_cursors[static_cast<std::size_t>(m_index)];
        if (cursor && cursor->next())
            return true;
    }
    return false;
}

int KRSqliteUnionCursor::count() const
{
    auto* c = currentCursor();
    return c ? c->count() : 0;
}

int KRSqliteUnionCursor::columnIndexForName(std::string_view name) const
{
    auto* c = currentCursor();
    return c ? c->columnIndexForName(name) : NotFound;
}

std::optional<std::string> KRSqliteUnionCursor::columnNameAtIndex(int index) const
{
    auto* c = currentCursor();
    return c ? c->columnNameAtIndex(index) : std::nullopt;
}

int KRSqliteUnionCursor::intValueAtIndex(int index) const
{
    auto* c = currentCursor();
    return c ? c->intValueAtIndex(index) : 0;
}

long KRSqliteUnionCursor::longValueAtIndex(int index) const
{
    auto* c = currentCursor();
    return c ? c->longValueAtIndex(index) : 0;
}

long long KRSqliteUnionCursor::longLongValueAtIndex(int index) const
{
    auto* c = currentCursor();
    return c ? c->longLongValueAtIndex(index) : 0;
}

bool KRSqliteUnionCursor::boolValueAtIndex(int index) const
{
    auto* c = currentCursor();
    return c && c->boolValueAtIndex(index);
}

double KRSqliteUnionCursor::doubleValueAtIndex(int index) const
{
    auto* c = currentCursor();
    return c ? c->doubleValueAtIndex(index) : 0;
}

std::optional<std::string> KRSqliteUnionCursor::stringValueAtIndex(int index) const
{
    auto* c = currentCursor();
    return c ? c->stringValueAtIndex(index) : std::nullopt;
}

std::optional<pf::Date> KRSqliteUnionCursor::dateValueAtIndex(int index) const
{
    auto* c = currentCursor();
    return c ? c->dateValueAtIndex(index) : std::nullopt;
}

std::shared_ptr<const pf::Bytes> KRSqliteUnionCursor::dataValueAtIndex(int index) const
{
    auto* c = currentCursor();
    return c ? c->dataValueAtIndex(index) : nullptr;
}

const char* KRSqliteUnionCursor::cStringValueAtIndex(int index) const
{
    auto* c = currentCursor();
    return c ? c->cStringValueAtIndex(index) : nullptr;
}

pf::Value KRSqliteUnionCursor::objectAtIndex(int index) const
{
    auto* c = currentCursor();
    return c ? c->objectAtIndex(index) : pf::Value();
}

void KRSqliteUnionCursor::toDataObject(const pf::Value& object)
{
    if (auto* c = currentCursor())
        c->toDataObject(object);
}

void KRSqliteUnionCursor::toDataObject(const pf::Value& object, const pf::Class* cls)
{
    if (auto* c = currentCursor())
        c->toDataObject(object, cls);
}

pf::ArrayRef KRSqliteUnionCursor::dataObjects(const pf::Class* cls)
{
    auto* c = currentCursor();
    return c ? c->dataObjects(cls) : nullptr;
}
