#include "app/screens/ledger/ZMRBooksDataSource.h"

#include "app/screens/shared/ZMRNumberText.h"

#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRBooksObject.h"
#include "app/services/ZMRBooksService.h"
#include "app/services/ZMRClassifyObject.h"
#include "app/services/ZMRContext.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/IKRUIContext.h"
#include "framework/data/KRDataSourceDelegate.h"
#include "framework/db/IKRSqliteCursor.h"
#include "framework/db/KRDBContext.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/NumberFormatter.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

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

std::optional<ZMRBooksDataSource::MonthWindow> ZMRBooksDataSource::monthWindow(pf::Date date, pf::Date now)
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
    return MonthWindow{start->seconds, end->seconds, lastDay};
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

void ZMRBooksDataSource::loadDataObjects()
{
    m_expendMoney = 0;
    pf::ArrayRef rows = dataObjects();
    rows->clear();
    auto window = monthWindow(date(), m_clock());
    if (!window)
        return;

    std::vector<std::vector<std::shared_ptr<ZMRBooksObject>>> days(static_cast<std::size_t>(window->lastDay) + 1);
    auto context = this->context();
    auto app = std::dynamic_pointer_cast<ZMRContext>(context);
    KRDBContextRef db = app ? app->userDBContext() : nullptr;
    const pf::Class* cls = pf::Class::named("ZMRBooksObject");
    if (db && cls) {
        char tail[128];
        std::snprintf(tail, sizeof tail, "WHERE [timestamp] >= %lld AND [timestamp] <= %lld ORDER BY bid ASC",
                      ZMRClampInt64(window->start), ZMRClampInt64(window->end));
        if (auto cursor = db->query(cls, std::string(tail))) {
            pf::ArrayRef objects = cursor->dataObjects(cls);
            cursor->close();
            for (const pf::Value& value : *objects) {
                auto entry = value.objectAs<ZMRBooksObject>();
                auto fields = entry ? pf::Calendar::components(pf::Date{entry->timestamp()}) : std::nullopt;
                if (!fields || fields->day < 1 || fields->day > window->lastDay)
                    continue;
                days[static_cast<std::size_t>(fields->day)].push_back(entry);
                m_expendMoney += finiteOrZero(entry->expendMoney());
            }
        }
    }
    if (!std::isfinite(m_expendMoney))
        m_expendMoney = 0;

    std::map<long long, std::string> categories = categoryTitles(context);
    pf::NumberFormatter formatter;
    formatter.setUsesGroupingSeparator(true);
    formatter.setMaximumFractionDigits(2);
    formatter.setPrefix("￥");
    for (int day = window->lastDay; day >= 1; --day) {
        char title[16];
        std::snprintf(title, sizeof title, "%d日", day);
        rows->add(pf::Value(pf::Dictionary::create({{"day", day}, {"title", title}})));
        const auto& entries = days[static_cast<std::size_t>(day)];
        if (entries.empty()) {
            rows->add(pf::Value(pf::Dictionary::create()));
            continue;
        }
        for (const auto& entry : entries) {
            rows->add(pf::Value(pf::Dictionary::create({{"day", day},
                                                           {"data", pf::Value(entry)},
                                                           {"title", entryTitle(*entry, categories)},
                                                           {"expendMoney", formatter.stringFromNumber(finiteOrZero(entry->expendMoney()))}})));
        }
    }
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
