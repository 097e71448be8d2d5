#include "app/screens/ledger/ZMRBooksMonth.h"

#include "app/services/ZMRAnswer.h"
#include "framework/db/KRSqlite.h"
#include "framework/db/KRSqliteCursor.h"
#include "platform/foundation/Calendar.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

double finiteOrZero(double value)
{
    return std::isfinite(value) ? value : 0;
}

// Whether the starts place every moment on the day the calendar gives it:
// each start is on its day and the second before it on the day before. A
// zone whose clock steps back over midnight fails, and its entries are
// placed one by one.
bool startsMatchCalendar(const std::vector<double>& starts, int lastDay)
{
    for (int day = 1; day <= lastDay; ++day) {
        double start = starts[static_cast<std::size_t>(day - 1)];
        auto at = pf::Calendar::components(pf::Date{start});
        auto before = pf::Calendar::components(pf::Date{start - 1});
        if (!at || at->day != day || !before || (day > 1 && before->day != day - 1))
            return false;
    }
    return true;
}

}

std::optional<ZMRBooksMonthWindow> ZMRBooksMonth::window(pf::Date date, pf::Date now)
{
    auto shown = pf::Calendar::components(date);
    auto today = pf::Calendar::components(now);
    if (!shown || !today)
        return std::nullopt;
    auto days = pf::Calendar::numberOfDaysInMonth(shown->year, shown->month);
    if (!days)
        return std::nullopt;
    int lastDay = *days;
    // The current month ends today: nothing after it can be in the ledger yet.
    if (shown->year == today->year && shown->month == today->month)
        lastDay = today->day;
    auto start = pf::Calendar::date(shown->year, shown->month, 1);
    auto end = pf::Calendar::date(shown->year, shown->month, lastDay, 23, 59, 59);
    if (!start || !end)
        return std::nullopt;
    return ZMRBooksMonthWindow{start->seconds, end->seconds, lastDay};
}

std::optional<std::vector<double>> ZMRBooksMonth::dayStarts(const ZMRBooksMonthWindow& window)
{
    auto first = pf::Calendar::components(pf::Date{window.start});
    if (!first || window.lastDay < 1 || window.lastDay > 31)
        return std::nullopt;
    std::vector<double> starts;
    starts.reserve(static_cast<std::size_t>(window.lastDay) + 1);
    // Day lastDay + 1 carries into the next month where the month ends.
    for (int day = 1; day <= window.lastDay + 1; ++day) {
        auto start = pf::Calendar::date(first->year, first->month, day);
        if (!start || (!starts.empty() && start->seconds <= starts.back()))
            return std::nullopt;
        starts.push_back(start->seconds);
    }
    return starts;
}

ZMRBooksMonth::ZMRBooksMonth(const ZMRBooksMonthWindow& window)
    : m_window(window)
{
    place({}, {});
}

std::optional<ZMRBooksMonth> ZMRBooksMonth::read(KRSqlite& db, const ZMRBooksMonthWindow& window)
{
    char sql[200];
    std::snprintf(sql, sizeof sql,
                  "SELECT [rowid], [bid], [timestamp], [expendMoney] FROM [ZMRBooksObject] "
                  "WHERE [timestamp] >= %lld AND [timestamp] <= %lld",
                  ZMRClampInt64(window.start), ZMRClampInt64(window.end));
    auto cursor = db.query(sql);
    if (!cursor)
        return std::nullopt;
    std::vector<Entry> entries;
    while (cursor->next()) {
        entries.push_back(Entry{cursor->longLongValueAtIndex(0), cursor->longLongValueAtIndex(1),
                                cursor->doubleValueAtIndex(2), cursor->doubleValueAtIndex(3)});
    }
    cursor->close();

    // The month's order, and the order the total adds in.
    auto byBid = [](const Entry& a, const Entry& b) { return a.bid != b.bid ? a.bid < b.bid : a.rowid < b.rowid; };
    if (!std::is_sorted(entries.begin(), entries.end(), byBid))
        std::sort(entries.begin(), entries.end(), byBid);

    ZMRBooksMonth month(window);
    auto starts = dayStarts(window);
    const bool byStarts = starts && startsMatchCalendar(*starts, window.lastDay);
    if (starts)
        month.m_starts = std::move(*starts);
    std::vector<int> days(entries.size(), 0);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        int day = 0;
        if (byStarts) {
            auto after = std::upper_bound(month.m_starts.begin(), month.m_starts.end(), entries[i].timestamp);
            day = static_cast<int>(after - month.m_starts.begin());
        } else if (auto fields = pf::Calendar::components(pf::Date{entries[i].timestamp})) {
            day = fields->day;
        }
        days[i] = day >= 1 && day <= window.lastDay ? day : 0;
    }
    month.place(std::move(entries), days);
    return month;
}

void ZMRBooksMonth::place(std::vector<Entry> entries, const std::vector<int>& days)
{
    const std::size_t dayCount = static_cast<std::size_t>(std::max(0, m_window.lastDay));
    // Position k holds day lastDay - k.
    std::vector<std::size_t> counts(dayCount, 0);
    m_total = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (days[i] == 0)
            continue;
        ++counts[static_cast<std::size_t>(m_window.lastDay - days[i])];
        m_total += finiteOrZero(entries[i].expendMoney);
    }
    if (!std::isfinite(m_total))
        m_total = 0;
    m_entryStarts.assign(dayCount + 1, 0);
    m_rowStarts.assign(dayCount + 1, 0);
    for (std::size_t k = 0; k < dayCount; ++k) {
        m_entryStarts[k + 1] = m_entryStarts[k] + counts[k];
        m_rowStarts[k + 1] = m_rowStarts[k] + 1 + std::max<std::size_t>(counts[k], 1);
    }
    // A stable spread keeps each day's entries in bid order.
    m_entries.resize(m_entryStarts[dayCount]);
    std::vector<std::size_t> next(m_entryStarts.begin(), m_entryStarts.end() - 1);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (days[i] != 0)
            m_entries[next[static_cast<std::size_t>(m_window.lastDay - days[i])]++] = entries[i];
    }
}

ZMRBooksMonth::Row ZMRBooksMonth::row(std::size_t index) const
{
    auto after = std::upper_bound(m_rowStarts.begin(), m_rowStarts.end(), index);
    std::size_t k = static_cast<std::size_t>(after - m_rowStarts.begin()) - 1;
    std::size_t offset = index - m_rowStarts[k];
    std::size_t count = m_entryStarts[k + 1] - m_entryStarts[k];
    Row row;
    row.day = m_window.lastDay - static_cast<int>(k);
    if (offset == 0) {
        row.kind = RowKind::DayTitle;
    } else if (count == 0) {
        row.kind = RowKind::Placeholder;
    } else {
        row.kind = RowKind::Entry;
        row.entry = &m_entries[m_entryStarts[k] + offset - 1];
        row.run = static_cast<int>(count - (offset - 1));
    }
    return row;
}
