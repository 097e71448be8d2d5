#include "app/screens/ledger/ZMRBooksController.h"

#include "app/screens/ledger/ZMRBooksDataSource.h"

#include "framework/data/KRDataSource.h"
#include "framework/data/KRTableViewCell.h"
#include "framework/ui/KRAlertView.h"
#include "platform/controls/Button.h"
#include "platform/controls/Label.h"
#include "platform/controls/TableView.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NumberFormatter.h"

#include <cmath>
#include <cstdio>

void ZMRBooksController::awakeFromNib()
{
    KRTableDataController::awakeFromNib();
    refreshState();
}

pf::Date ZMRBooksController::shownDate() const
{
    if (dataSource()) {
        if (auto date = dataSource()->valueForKey("date").date())
            return *date;
    }
    return pf::Date::now();
}

void ZMRBooksController::refreshState()
{
    auto shown = pf::Calendar::components(shownDate());
    auto today = pf::Calendar::components(pf::Date::now());
    if (m_nextButton)
        m_nextButton->setEnabled(!(shown && today && shown->year == today->year && shown->month == today->month));
    if (m_dateLabel && shown) {
        char title[32];
        std::snprintf(title, sizeof title, "%d年%02d月", shown->year, shown->month);
        m_dateLabel->setText(title);
    }
    if (m_expendMoneyLabel && m_totalUnknown) {
        m_expendMoneyLabel->setText(std::string(kUnknownTotal));
    } else if (m_expendMoneyLabel) {
        double total = dataSource() ? dataSource()->valueForKey("expendMoney").doubleValue() : 0;
        pf::NumberFormatter formatter;
        formatter.setUsesGroupingSeparator(true);
        formatter.setMaximumFractionDigits(2);
        formatter.setPrefix("¥ ");
        m_expendMoneyLabel->setText(formatter.stringFromNumber(std::isfinite(total) ? total : 0));
    }
}

void ZMRBooksController::stepMonth(int step)
{
    auto shown = pf::Calendar::components(shownDate());
    if (!shown)
        return;
    int year = shown->year, month = shown->month + step;
    if (month > 12) {
        month = 1;
        ++year;
    } else if (month < 1) {
        month = 12;
        --year;
    }
    auto first = pf::Calendar::date(year, month, 1);
    if (!first)
        return;
    auto self = shared_from_this();
    if (auto source = dataSource()) {
        source->setValueForKey("date", pf::Value(*first));
        source->refreshData();
    }
    if (tableView())
        tableView()->setContentOffset(pf::Point{0, 0}, false);
    refreshState();
}

void ZMRBooksController::doNextMonthAction(const pf::ObjectRef&)
{
    stepMonth(1);
}

void ZMRBooksController::doPrevMonthAction(const pf::ObjectRef&)
{
    stepMonth(-1);
}

ZMRBooksController::RowKind ZMRBooksController::rowKind(const pf::IndexPath& path, int* run)
{
    if (run)
        *run = 1;
    int n = dataSource() ? static_cast<int>(dataSource()->count()) : 0;
    if (path.row < headerCount())
        return RowKind::Header;
    if (path.row >= headerCount() + n)
        return RowKind::Footer;
    // The ledger's own source tells kinds without making rows.
    if (auto books = std::dynamic_pointer_cast<ZMRBooksDataSource>(dataSource())) {
        auto shape = books->rowShapeAtIndex(path.row - headerCount());
        if (!shape)
            return RowKind::Placeholder;
        if (run)
            *run = shape->run;
        switch (shape->kind) {
        case ZMRBooksMonth::RowKind::DayTitle: return RowKind::DayTitle;
        case ZMRBooksMonth::RowKind::Entry: return RowKind::Entry;
        case ZMRBooksMonth::RowKind::Placeholder: return RowKind::Placeholder;
        }
    }
    pf::DictionaryRef row = dataSource()->dataObjectAtIndex(path.row - headerCount()).dictionary();
    if (!row || !row->contains("day"))
        return RowKind::Placeholder;
    return row->contains("data") ? RowKind::Entry : RowKind::DayTitle;
}

std::optional<double> ZMRBooksController::tableViewHeightForRowAtIndexPath(pf::TableView& table, const pf::IndexPath& path)
{
    switch (rowKind(path)) {
    case RowKind::DayTitle: return kDayRowHeight;
    case RowKind::Placeholder: return kNullRowHeight;
    case RowKind::Entry: return table.rowHeight();
    default: return KRTableDataController::tableViewHeightForRowAtIndexPath(table, path);
    }
}

int ZMRBooksController::tableViewRowRunLengthAtIndexPath(pf::TableView&, const pf::IndexPath& path)
{
    int run = 1;
    return rowKind(path, &run) == RowKind::Entry ? run : 1;
}

std::shared_ptr<pf::TableViewCell> ZMRBooksController::tableViewCellForRowAtIndexPath(pf::TableView& table,
                                                                                     const pf::IndexPath& path)
{
    std::string nib;
    switch (rowKind(path)) {
    case RowKind::DayTitle: nib = kDayItemNib; break;
    case RowKind::Placeholder: nib = kNullItemNib; break;
    case RowKind::Entry: nib = itemViewNib(); break;
    default: return KRTableDataController::tableViewCellForRowAtIndexPath(table, path);
    }
    std::string identifier = nib.empty() ? "Cell" : nib;
    auto cell = table.dequeueReusableCellWithIdentifier(identifier);
    if (!cell)
        cell = makeDataCell(nib, identifier);
    if (auto own = std::dynamic_pointer_cast<KRTableViewCell>(cell)) {
        own->setContext(context());
        own->setDataItem(dataSource()->dataObjectAtIndex(path.row - headerCount()));
    }
    return cell;
}

void ZMRBooksController::tableViewDidSelectRowAtIndexPath(pf::TableView& table, const pf::IndexPath& path)
{
    table.deselectRowAtIndexPath(path, false);
}

void ZMRBooksController::krDataSourceDidLoaded(KRDataSource& source)
{
    KRTableDataController::krDataSourceDidLoaded(source);
    m_totalUnknown = false;
    refreshState();
}

void ZMRBooksController::krDataSourceDidContentChanged(KRDataSource& source)
{
    KRTableDataController::krDataSourceDidContentChanged(source);
    m_totalUnknown = false;
    refreshState();
}

void ZMRBooksController::krDataSourceDidFitalError(KRDataSource& source, const pf::Error& error)
{
    auto keep = shared_from_this();
    KRTableDataController::krDataSourceDidFitalError(source, error);
    if (&source != dataSource().get())
        return;
    pf::log("the month ledger was not brought up to date: %s %lld %s", error.domain.c_str(), error.code,
            error.description.c_str());
    KRAlertView::create(kNotUpToDateNotice)->showDuration(2);
    // "¥ 0" would claim a month without spending; stored entries keep their total.
    auto books = std::dynamic_pointer_cast<ZMRBooksDataSource>(dataSource());
    m_totalUnknown = books && books->entryCount() == 0;
    refreshState();
}
