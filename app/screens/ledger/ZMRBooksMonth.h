#pragma once

// The shape of one month of the ledger without its rows: which stored
// entries fall on which day of the month window, in the order the month
// lists them, and their total. It is read in one pass over four columns of
// the entries, with no record objects, because the rows of a month of
// thousands of entries are made only when they are shown: a table lays the
// month out from its shape and asks for the rows of one screenful.
//
// Rows, in the month's order: for each day from the window's last down to
// the 1st, its title row, then its entries by ascending bid (equal bids in
// the order they were stored), or one placeholder row when it has none. An
// entry lies on the day of its timestamp in the local calendar. The total
// adds the entries' amounts in bid order, amounts that are not finite as
// 0; a total that overflows is 0.
//
// A value; any thread, but its database on the database's own.

#include "framework/db/Forward.h"
#include "platform/foundation/Value.h"

#include <cstddef>
#include <optional>
#include <vector>

struct ZMRBooksMonthWindow {
    double start = 0; // seconds since 1970
    double end = 0;
    int lastDay = 0;
    bool operator==(const ZMRBooksMonthWindow&) const = default;
};

class ZMRBooksMonth {
public:
    struct Entry {
        long long rowid = 0;
        long long bid = 0;
        double timestamp = 0;
        double expendMoney = 0; // as stored
    };
    enum class RowKind { DayTitle, Entry, Placeholder };
    struct Row {
        RowKind kind = RowKind::Placeholder;
        int day = 0;
        const Entry* entry = nullptr; // entry rows only
        // Rows from this one on that are entries of its day, or 1.
        int run = 1;
    };

    // The window of the month of `date` as seen at `now`: from the 1st,
    // 00:00:00, to the month's last day, or to today within the current
    // month, 23:59:59 (local calendar). Nothing for a date the calendar
    // cannot place.
    static std::optional<ZMRBooksMonthWindow> window(pf::Date date, pf::Date now);
    // The moments the window's days start, day 1 first, and the start of
    // the day after the last; nothing when the calendar cannot place them.
    static std::optional<std::vector<double>> dayStarts(const ZMRBooksMonthWindow& window);

    // A month without entries: a title and a placeholder row a day.
    explicit ZMRBooksMonth(const ZMRBooksMonthWindow& window);
    // Reads the window's entries from the ledger table of `db`; nothing when
    // the table cannot be read.
    static std::optional<ZMRBooksMonth> read(KRSqlite& db, const ZMRBooksMonthWindow& window);

    const ZMRBooksMonthWindow& monthWindow() const { return m_window; }
    // What read() placed the days by: equal starts place every entry alike.
    const std::vector<double>& starts() const { return m_starts; }
    double total() const { return m_total; }
    std::size_t rowCount() const { return m_rowStarts.empty() ? 0 : m_rowStarts.back(); }
    // The row at `index`, which must be below rowCount().
    Row row(std::size_t index) const;
    // The entries in the month's order.
    const std::vector<Entry>& entries() const { return m_entries; }

private:
    void place(std::vector<Entry> entries, const std::vector<int>& days);

    ZMRBooksMonthWindow m_window;
    std::vector<double> m_starts;
    std::vector<Entry> m_entries;
    // By position from the last day (0) to the 1st: where the day's entries
    // begin in m_entries and where its rows begin, each with its end last.
    std::vector<std::size_t> m_entryStarts;
    std::vector<std::size_t> m_rowStarts;
    double m_total = 0;
};
