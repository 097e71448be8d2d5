#pragma once

// The month ledger's table: the rows of a ZMRBooksDataSource in cells from
// three interface files (day titles "ZMRBooksDayItemViewController", 26
// points; entries `itemViewNib`, the table's row height; days without
// entries "ZMRBooksNullItemViewController", 35 points), the month's title
// ("2014年05月") and total ("¥ 1,234.5") in two labels, and month steps. The
// next button is off on the current month. A step shows the 1st of the
// previous or next month, refreshes the source (its rows at once, the
// server's answer later), and scrolls the table to the top.
//
// The source is read by key ("date", "expendMoney"); a source without a date
// stands for the current month. A cell file that makes no KRTableViewCell
// gives plain cells. A search that fails shows kNotUpToDateNotice over the
// month's stored rows; with none stored the total reads kUnknownTotal, not
// "¥ 0", until the month's rows change or load again. Everything else
// (pulling, header and footer cells, cell actions) is the base's. Main queue
// only.

#include "framework/data/KRTableDataController.h"

namespace pf {
class Button;
class Label;
}

class ZMRBooksController : public KRTableDataController {
public:
    static constexpr const char* kDayItemNib = "ZMRBooksDayItemViewController";
    static constexpr const char* kNullItemNib = "ZMRBooksNullItemViewController";
    static constexpr double kDayRowHeight = 26;
    static constexpr double kNullRowHeight = 35;

    const std::shared_ptr<pf::Label>& dateLabel() const { return m_dateLabel; }
    void setDateLabel(std::shared_ptr<pf::Label> label) { m_dateLabel = std::move(label); }
    const std::shared_ptr<pf::Button>& prevButton() const { return m_prevButton; }
    void setPrevButton(std::shared_ptr<pf::Button> button) { m_prevButton = std::move(button); }
    const std::shared_ptr<pf::Button>& nextButton() const { return m_nextButton; }
    void setNextButton(std::shared_ptr<pf::Button> button) { m_nextButton = std::move(button); }
    const std::shared_ptr<pf::Label>& expendMoneyLabel() const { return m_expendMoneyLabel; }
    void setExpendMoneyLabel(std::shared_ptr<pf::Label> label) { m_expendMoneyLabel = std::move(label); }

    void awakeFromNib() override;
    // The next button, the month title and the total, from the source.
    void refreshState();
    void doNextMonthAction(const pf::ObjectRef& sender);
    void doPrevMonthAction(const pf::ObjectRef& sender);

    std::optional<double> tableViewHeightForRowAtIndexPath(pf::TableView& table, const pf::IndexPath& path) override;
    // A day's entries are one run of the entry height, so the table lays a
    // month out in a few steps a day rather than one per entry.
    int tableViewRowRunLengthAtIndexPath(pf::TableView& table, const pf::IndexPath& path) override;
    std::shared_ptr<pf::TableViewCell> tableViewCellForRowAtIndexPath(pf::TableView& table, const pf::IndexPath& path) override;
    // A row opens nothing: it shows as pressed only while the finger is down.
    void tableViewDidSelectRowAtIndexPath(pf::TableView& table, const pf::IndexPath& path) override;
    void krDataSourceDidLoaded(KRDataSource& dataSource) override;
    void krDataSourceDidContentChanged(KRDataSource& dataSource) override;
    // The month could not be brought up to date: the stored rows stay, and a
    // toast says they may not be all (the reason goes to the log).
    void krDataSourceDidFitalError(KRDataSource& dataSource, const pf::Error& error) override;

    static constexpr const char* kNotUpToDateNotice = "账本未能与服务器同步，显示的是本机保存的记录";
    static constexpr const char* kUnknownTotal = "—";

private:
    enum class RowKind { Header, Footer, DayTitle, Entry, Placeholder };
    // `run`, when given, receives how many rows from `path` on are entries
    // of its day (1 for any other row).
    RowKind rowKind(const pf::IndexPath& path, int* run = nullptr);
    pf::Date shownDate() const;
    void stepMonth(int step);

    std::shared_ptr<pf::Label> m_dateLabel;
    std::shared_ptr<pf::Button> m_prevButton;
    std::shared_ptr<pf::Button> m_nextButton;
    std::shared_ptr<pf::Label> m_expendMoneyLabel;
    // The search failed with nothing of the month stored: no total is known.
    bool m_totalUnknown = false;
};
