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
// of the application database.
//
// Main queue only.

#include "framework/core/IKRTask.h"
#include "framework/data/KRDataSource.h"

#include <functional>
#include <optional>

class ZMRBooksDataSource : public KRDataSource, public IKRUplinkTaskDelegate {
public:
    ZMRBooksDataSource();
    ~ZMRBooksDataSource() override;

    // Any moment inside the month shown; the current moment, kept from the
    // first read on, when none was set.
    pf::Date date() const;
    void setDate(std::optional<pf::Date> date) { m_date = date; }
    double expendMoney() const { return m_expendMoney; }
    void setExpendMoney(double expendMoney) { m_expendMoney = expendMoney; }

    void reloadData() override;
    void refreshData() override;

    void loadDataObjects();
    void sendSearchTask();

    // IKRUplinkTaskDelegate: a failed search of this source.
    void krUploadTaskDidFailWithError(const pf::ObjectRef& task, const pf::Error& error,
                                      const pf::Protocol* taskType) override;

    // The system clock unless a test sets another.
    void setClock(std::function<pf::Date()> clock) { m_clock = std::move(clock); }

    struct MonthWindow {
        double start = 0; // seconds since 1970
        double end = 0;
        int lastDay = 0;
    };
    // The window of the month of `date` as seen at `now`; nothing for a date
    // the calendar cannot place.
    static std::optional<MonthWindow> monthWindow(pf::Date date, pf::Date now);

private:
    void booksChanged();

    mutable std::optional<pf::Date> m_date;
    double m_expendMoney = 0;
    std::function<pf::Date()> m_clock = &pf::Date::now;
    std::shared_ptr<int> m_observerLife = std::make_shared<int>(0);
    std::uint64_t m_observer = 0;
};
