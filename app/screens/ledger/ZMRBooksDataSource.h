#pragma once

// The month ledger's rows: the signed-in user's ledger entries of one
// calendar month, read from the per-user database and grouped by day, the
// latest day first. Each day of the month window gives a title row
// {"day", "title" = "<d>日"}, then its entries in ascending bid order
// {"day", "data" = the ZMRBooksObject, "title", "expendMoney" = "￥…"}, or
// one empty placeholder dictionary when it has none. `expendMoney` is the
// sum of the entries read; amounts that are not finite count as 0, and a
// sum that overflows reads 0.
//
// A rebuild reads the month's shape (ZMRBooksMonth: which entries fall on
// which day, and the total) and makes no row: count() and
// rowShapeAtIndex() answer from the shape, and dataObjectAtIndex() makes the
// rows it is asked for, a page of neighbours at a time with one read of
// their records, kept until the next rebuild. So opening a month of
// thousands of entries costs its shape and one screenful of rows.
// dataObjects() makes every row at once; from then until the next rebuild
// that list is the rows, changes made to it included. A rebuild keeps the
// shape it read last while the database holds the same content (its data
// version), the same month window and the same day starts; anything else
// reads again. An entry deleted between the rebuild and the making of its
// row shows what the shape knows of it (bid, time, amount) until the change
// notification rebuilds the month.
//
// The window runs from the 1st of the month of `date` to its last day, or
// to today within the current month (local calendar, 00:00:00 to
// 23:59:59). reloadData and refreshData send the month's search to the
// server, rebuild at once and tell the delegate (loaded, or content
// changed) inside the call; when the books service has written the answer
// it posts ZMRBooksChangedNotification, which rebuilds the month then in
// `date` and tells the delegate of changed content. A failed search (no
// answer, or a refusal such as a sign-in the server no longer accepts)
// leaves the stored rows as they are and tells the delegate
// krDataSourceDidFitalError with the error, so that the month is not passed
// off as up to date. The base's loading and loaded flags are left alone: the
// source is never sent as a downlink task.
//
// Entry titles: the remark and the known category titles joined by "\",
// as "<remark> <titles>", either one alone, or "无分类". Category ids may be
// numbers or decimal texts (64-bit); others, and ids with no stored
// category, are skipped. Categories come from the ZMRClassifyObject table
// of the application database, read once per rebuild when the first entry
// row is made.
//
// Main queue only.

#include "app/screens/ledger/ZMRBooksMonth.h"
#include "framework/core/IKRTask.h"
#include "framework/data/KRDataSource.h"
#include "framework/db/KRSqlite.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class ZMRBooksObject;

class ZMRBooksDataSource : public KRDataSource, public IKRUplinkTaskDelegate {
public:
    ZMRBooksDataSource();
    ~ZMRBooksDataSource() override;

    // Any moment inside the month shown; the current moment, kept from the
    // first read on, when none was set.
    pf::Date date() const;
    void setDate(std::optional<pf::Date> date) { m_date = date; }
    double expendMoney() const { return m_expendMoney; }
    // The entries of the month stored here, as last read.
    std::size_t entryCount() const { return m_month ? m_month->entries().size() : 0; }
    void setExpendMoney(double expendMoney) { m_expendMoney = expendMoney; }

    void reloadData() override;
    void refreshData() override;

    std::size_t count() override;
    pf::Value dataObjectAtIndex(int index) override;
    pf::ArrayRef dataObjects() override;
    bool isEmpty() override { return count() == 0; }

    // What the row at `index` is, and for an entry row how many rows from it
    // on are entries of its day (1 for the others), without making the row;
    // nothing past the rows. While dataObjects() is the list, the kind is
    // read from the row's keys and every run is 1.
    struct RowShape {
        ZMRBooksMonth::RowKind kind = ZMRBooksMonth::RowKind::Placeholder;
        int run = 1;
    };
    std::optional<RowShape> rowShapeAtIndex(int index);

    void loadDataObjects();
    void sendSearchTask();

    // IKRUplinkTaskDelegate: a failed search of this source.
    void krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error,
                                      const pf::Protocol* taskType) override;

    // The system clock unless a test sets another.
    void setClock(std::function<pf::Date()> clock) { m_clock = std::move(clock); }

    using MonthWindow = ZMRBooksMonthWindow;
    // The window of the month of `date` as seen at `now`; nothing for a date
    // the calendar cannot place.
    static std::optional<MonthWindow> monthWindow(pf::Date date, pf::Date now) { return ZMRBooksMonth::window(date, now); }

    // Rows are made in pages of this many neighbours.
    static constexpr std::size_t kPageRows = 32;

private:
    void booksChanged();
    // The month as the database holds it now: the last shape when nothing
    // it depends on moved, else a new read.
    void readMonth(const MonthWindow& window);
    const std::vector<pf::Value>& page(std::size_t index);
    // The records of the given rowids, by rowid; none when the database is
    // not the one the shape was read from.
    std::map<long long, std::shared_ptr<ZMRBooksObject>> records(const std::vector<long long>& rowids);
    pf::Value makeRow(const ZMRBooksMonth::Row& row, const std::map<long long, std::shared_ptr<ZMRBooksObject>>& records);
    KRSqliteRef userDb() const;

    mutable std::optional<pf::Date> m_date;
    double m_expendMoney = 0;
    std::optional<ZMRBooksMonth> m_month;
    std::weak_ptr<KRSqlite> m_monthDb;
    std::optional<KRSqlite::DataVersion> m_monthVersion; // none: read again next time
    std::vector<std::vector<pf::Value>> m_pages;           // rows made since the rebuild
    std::optional<std::map<long long, std::string>> m_categories;
    bool m_listed = false; // dataObjects() holds every row and answers
    std::function<pf::Date()> m_clock = &pf::Date::now;
    std::shared_ptr<int> m_observerLife = std::make_shared<int>(0);
    std::uint64_t m_observer = 0;
};
