#include "app/screens/ledger/ZMRBooksDataSource.h"

#include "app/services/ZMRBooksObject.h"
#include "app/services/ZMRBooksService.h"
#include "app/services/ZMRClassifyObject.h"
#include "app/services/ZMRContext.h"
#include "app/services/ZMRNumberText.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/IKRUIContext.h"
#include "framework/data/KRDataSourceDelegate.h"
#include "framework/db/IKRSqliteCursor.h"
#include "framework/db/KRDBContext.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/NumberFormatter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

std::map<long long, std::string> categoryTitles(const std::shared_ptr<IKRUIContext>& context)
{
    std::map<long long, std::string> titles;
    auto app = std::dynamic_pointer_cast<ZMRContext>(context);
    KRDBContextRef db = app ? app->appDBContext() : nullptr;
    const pf::Class* cls = pf::Class::named("ZMRClassifyObject");
    if (!db || !cls)
        return titles;
    // The table, not the in-memory sets: nothing fills those for categories.
    auto cursor = db->query(cls, std::nullopt);
    if (!cursor)
        return titles;
    pf::ArrayRef rows = cursor->dataObjects(cls);
    cursor->close();
    for (const pf::Value& row : *rows) {
        auto category = row.objectAs<ZMRClassifyObject>();
        if (category && category->title())
            titles.emplace(category->cid(), *category->title());
    }
    return titles;
}

std::string entryTitle(const ZMRBooksObject& entry, const std::map<long long, std::string>& categories)
{
    std::string titles;
    if (pf::ArrayRef cids = entry.cids().array()) {
        for (const pf::Value& value : *cids) {
            auto id = ZMRWholeNumber(value);
            auto found = id ? categories.find(*id) : categories.end();
            if (found == categories.end())
                continue;
            if (!titles.empty())
                titles += '\\';
            titles += found->second;
        }
    }
    std::string remark = entry.remark().value_or("");
    if (!titles.empty() && !remark.empty())
        return remark + " " + titles;
    if (!titles.empty())
        return titles;
    if (!remark.empty())
        return remark;
    return "无分类";
}

double finiteOrZero(double value)
{
    return std::isfinite(value) ? value : 0;
}

}

ZMRBooksDataSource::ZMRBooksDataSource()
{
    m_observer = pf::NotificationCenter::defaultCenter().addObserver(ZMRBooksChangedNotification, m_observerLife,
                                                                     [this](const pf::Notification&) { booksChanged(); });
}

ZMRBooksDataSource::~ZMRBooksDataSource()
{
    pf::NotificationCenter::defaultCenter().removeObserver(m_observer);
}

pf::Date ZMRBooksDataSource::date() const
{
    if (!m_date)
        m_date = m_clock();
    return *m_date;
}

void ZMRBooksDataSource::reloadData()
{
    auto self = shared_from_this();
    sendSearchTask();
    loadDataObjects();
    if (auto delegate = dataSourceDelegate())
        delegate->krDataSourceDidLoaded(*this);
}

void ZMRBooksDataSource::refreshData()
{
    auto self = shared_from_this();
    sendSearchTask();
    loadDataObjects();
    if (auto delegate = dataSourceDelegate())
        delegate->krDataSourceDidContentChanged(*this);
}

void ZMRBooksDataSource::booksChanged()
{
    // The delegate may let the last owner go while it redraws.
    auto self = weak_from_this().lock();
    if (!self)
        return;
    loadDataObjects();
    if (auto delegate = dataSourceDelegate())
        delegate->krDataSourceDidContentChanged(*this);
}

void ZMRBooksDataSource::krUploadTaskDidFailWithError(const pf::ObjectRef&, const pf::Error& error,
                                                      const pf::Protocol* taskType)
{
    if (taskType != proto::IZMRBooksSearchTask())
        return;
    // The delegate may let the last owner go while it tells the user.
    auto self = weak_from_this().lock();
    if (!self)
        return;
    if (auto delegate = dataSourceDelegate())
        delegate->krDataSourceDidFitalError(*this, error);
}

KRSqliteRef ZMRBooksDataSource::userDb() const
{
    auto app = std::dynamic_pointer_cast<ZMRContext>(context());
    KRDBContextRef db = app ? app->userDBContext() : nullptr;
    return db ? db->db() : nullptr;
}

void ZMRBooksDataSource::loadDataObjects()
{
    m_expendMoney = 0;
    clearDataObjects();
    m_listed = false;
    m_pages.clear();
    m_categories.reset();
    auto window = monthWindow(date(), m_clock());
    if (!window) {
        m_month.reset();
        return;
    }
    readMonth(*window);
    m_pages.resize((m_month->rowCount() + kPageRows - 1) / kPageRows);
    m_expendMoney = m_month->total();
}

void ZMRBooksDataSource::readMonth(const MonthWindow& window)
{
    KRSqliteRef db = userDb();
    auto version = db ? db->dataVersion() : std::nullopt;
    if (m_month && version && m_monthVersion == version && m_monthDb.lock() == db && m_month->monthWindow() == window) {
        // The same content read against other day starts (the zone moved)
        // would place entries on other days.
        auto starts = ZMRBooksMonth::dayStarts(window);
        if (starts && *starts == m_month->starts())
            return;
    }
    m_monthDb = db;
    m_monthVersion.reset();
    const pf::Class* cls = pf::Class::named("ZMRBooksObject");
    if (auto month = db && cls ? ZMRBooksMonth::read(*db, window) : std::nullopt) {
        m_month = std::move(month);
        m_monthVersion = version;
    } else {
        m_month.emplace(window);
    }
}

std::size_t ZMRBooksDataSource::count()
{
    if (m_listed)
        return KRDataSource::count();
    return m_month ? m_month->rowCount() : 0;
}

std::optional<ZMRBooksDataSource::RowShape> ZMRBooksDataSource::rowShapeAtIndex(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= count())
        return std::nullopt;
    if (m_listed) {
        pf::DictionaryRef row = KRDataSource::dataObjectAtIndex(index).dictionary();
        if (!row || !row->contains("day"))
            return RowShape{ZMRBooksMonth::RowKind::Placeholder, 1};
        return RowShape{row->contains("data") ? ZMRBooksMonth::RowKind::Entry : ZMRBooksMonth::RowKind::DayTitle, 1};
    }
    ZMRBooksMonth::Row row = m_month->row(static_cast<std::size_t>(index));
    return RowShape{row.kind, row.run};
}

pf::Value ZMRBooksDataSource::dataObjectAtIndex(int index)
{
    if (m_listed)
        return KRDataSource::dataObjectAtIndex(index);
    if (index < 0 || static_cast<std::size_t>(index) >= count())
        return {};
    std::size_t at = static_cast<std::size_t>(index);
    return page(at / kPageRows)[at % kPageRows];
}

const std::vector<pf::Value>& ZMRBooksDataSource::page(std::size_t index)
{
    std::vector<pf::Value>& rows = m_pages[index];
    if (!rows.empty())
        return rows;
    const std::size_t first = index * kPageRows;
    const std::size_t end = std::min(m_month->rowCount(), first + kPageRows);
    std::vector<long long> rowids;
    for (std::size_t i = first; i < end; ++i) {
        if (const ZMRBooksMonth::Entry* entry = m_month->row(i).entry)
            rowids.push_back(entry->rowid);
    }
    auto found = records(rowids);
    rows.reserve(end - first);
    for (std::size_t i = first; i < end; ++i)
        rows.push_back(makeRow(m_month->row(i), found));
    return rows;
}

std::map<long long, std::shared_ptr<ZMRBooksObject>> ZMRBooksDataSource::records(const std::vector<long long>& rowids)
{
    std::map<long long, std::shared_ptr<ZMRBooksObject>> found;
    auto app = std::dynamic_pointer_cast<ZMRContext>(context());
    KRDBContextRef db = app ? app->userDBContext() : nullptr;
    const pf::Class* cls = pf::Class::named("ZMRBooksObject");
    if (rowids.empty() || !db || !cls || !db->db() || db->db() != m_monthDb.lock())
        return found;
    // The ids are our own numbers, never text from outside.
    std::string tail = "WHERE [rowid] IN (";
    for (std::size_t i = 0; i < rowids.size(); ++i)
        tail += (i ? "," : "") + std::to_string(rowids[i]);
    tail += ")";
    if (auto cursor = db->query(cls, tail)) {
        pf::ArrayRef objects = cursor->dataObjects(cls);
        cursor->close();
        for (const pf::Value& value : *objects) {
            if (auto entry = value.objectAs<ZMRBooksObject>())
                found.emplace(entry->rowid(), std::move(entry));
        }
    }
    return found;
}

pf::Value ZMRBooksDataSource::makeRow(const ZMRBooksMonth::Row& row,
                                      const std::map<long long, std::shared_ptr<ZMRBooksObject>>& records)
{
    if (row.kind == ZMRBooksMonth::RowKind::Placeholder)
        return pf::Value(pf::Dictionary::create());
    if (row.kind == ZMRBooksMonth::RowKind::DayTitle) {
        char title[16];
        std::snprintf(title, sizeof title, "%d日", row.day);
        return pf::Value(pf::Dictionary::create({{"day", row.day}, {"title", title}}));
    }
    std::shared_ptr<ZMRBooksObject> entry;
    if (auto found = records.find(row.entry->rowid); found != records.end()) {
        entry = found->second;
    } else {
        // Gone since the shape was read: what the shape knows, until the
        // change notification rebuilds the month.
        entry = std::make_shared<ZMRBooksObject>();
        entry->setRowid(row.entry->rowid);
        entry->setBid(row.entry->bid);
        entry->setTimestamp(row.entry->timestamp);
        entry->setExpendMoney(row.entry->expendMoney);
    }
    if (!m_categories)
        m_categories = categoryTitles(context());
    pf::NumberFormatter formatter;
    formatter.setUsesGroupingSeparator(true);
    formatter.setMaximumFractionDigits(2);
    formatter.setPrefix("￥");
    return pf::Value(pf::Dictionary::create({{"day", row.day},
                                             {"data", pf::Value(entry)},
                                             {"title", entryTitle(*entry, *m_categories)},
                                             {"expendMoney", formatter.stringFromNumber(finiteOrZero(entry->expendMoney()))}}));
}

pf::ArrayRef ZMRBooksDataSource::dataObjects()
{
    pf::ArrayRef rows = KRDataSource::dataObjects();
    if (m_listed || !m_month)
        return rows;
    // Every row: the records of the whole window in one read.
    std::vector<long long> rowids;
    rowids.reserve(m_month->entries().size());
    for (const ZMRBooksMonth::Entry& entry : m_month->entries())
        rowids.push_back(entry.rowid);
    std::map<long long, std::shared_ptr<ZMRBooksObject>> found;
    for (std::size_t i = 0; i < rowids.size(); i += 512) {
        std::vector<long long> part(rowids.begin() + static_cast<std::ptrdiff_t>(i),
                                    rowids.begin() + static_cast<std::ptrdiff_t>(std::min(rowids.size(), i + 512)));
        found.merge(records(part));
    }
    rows->clear();
    rows->reserve(m_month->rowCount());
    for (std::size_t i = 0; i < m_month->rowCount(); ++i) {
        // Rows already made stay the same objects.
        const std::vector<pf::Value>& made = m_pages[i / kPageRows];
        rows->add(made.empty() ? makeRow(m_month->row(i), found) : made[i % kPageRows]);
    }
    m_pages.clear();
    m_listed = true;
    return rows;
}

void ZMRBooksDataSource::sendSearchTask()
{
    auto context = this->context();
    auto window = monthWindow(date(), m_clock());
    if (!context || !window)
        return;
    auto task = std::make_shared<ZMRBooksSearchTask>();
    auto self = shared_from_this();
    task->setSource(self);
    task->setDelegate(std::dynamic_pointer_cast<IKRUplinkTaskDelegate>(self));
    task->setStartTime(window->start);
    task->setEndTime(window->end);
    context->handle(proto::IZMRBooksSearchTask(), task, 0);
}
