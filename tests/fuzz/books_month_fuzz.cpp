// Links: zmr_screens
// Input: JSON, the "books-search-results" of a ledger search for May 2014
// (seen on the 20th, zone "CST-8"), merged by the ledger service into an
// in-memory per-user database holding three entries of that month; then the
// month is rebuilt. Checked: rows read one by one are those of the whole
// list, their shapes matching their keys; one title row per day from the
// 20th down to the 1st, each followed by that day's entries or by one
// placeholder, nothing else; as many entry rows as the month has stored
// entries; and whenever the sum of the entries' finite amounts is finite,
// the total is that sum.
#include "app/screens/ledger/ZMRBooksDataSource.h"
#include "app/screens/ZMRScreensRegistration.h"
#include "app/services/ZMRBooksObject.h"
#include "app/services/ZMRShell.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/KRAPITask.h"
#include "framework/core/KRJSON.h"
#include "framework/core/KRTaskTypes.h"
#include "framework/db/IKRSqliteCursor.h"
#include "framework/db/KRDBContext.h"
#include "framework/db/KRSqlite.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/UserDefaults.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr double kMay10 = 1399651200;     // 2014-05-10 00:00:00 in CST-8
constexpr double kMay20Noon = 1400558400; // 2014-05-20 12:00:00
constexpr double kDay = 86400;

void check(bool condition)
{
    if (!condition)
        std::abort();
}

const pf::Class* booksClass() { return pf::Class::named("ZMRBooksObject"); }

// An in-memory database in place of the context's file.
void inMemory(const KRDBContextRef& db, const pf::Class* cls)
{
    auto memory = KRSqlite::initWithPath(":memory:");
    check(db && memory && cls);
    db->setDb(*memory);
    check(db->regDBObjectClass(cls));
}

std::string* homeFolder = nullptr;

void removeHome()
{
    std::error_code ignored;
    if (homeFolder)
        std::filesystem::remove_all(*homeFolder, ignored);
}

std::shared_ptr<ZMRShell> makeShell()
{
    setenv("TZ", "CST-8", 1);
    tzset();
    registerScreensClasses();
    pf::setLogLevel(pf::LogLevel::Error);
    // The shell keeps its defaults and databases under a home of its own.
    std::string pattern = (std::filesystem::temp_directory_path() / "zmr-books-fuzz-XXXXXX").string();
    check(mkdtemp(pattern.data()) != nullptr);
    homeFolder = new std::string(pattern);
    std::atexit(removeHome);
    pf::setHomeDirectory(pattern);
    pf::UserDefaults::resetStandard();
    auto types = pf::Array::create({"IZMRBooksSearchTask", "IKRAPIResponseTask"});
    auto services = pf::Array::create({pf::Dictionary::create({{"class", "ZMRBooksService"}, {"taskTypes", pf::Value(types)}})});
    auto shell = ZMRShell::create(pf::Dictionary::create({{"services", pf::Value(services)},
                                                          {"user-db", pf::Value(pf::Array::create({"ZMRBooksObject"}))},
                                                          {"app-db", pf::Value(pf::Array::create({"ZMRClassifyObject"}))}}),
                                  nullptr);
    check(bool(shell));
    shell->setAuth(pf::Value(10001LL), std::string("fuzz"));
    inMemory(shell->userDBContext(), booksClass());
    inMemory(shell->appDBContext(), pf::Class::named("ZMRClassifyObject"));
    return shell;
}

void addEntry(KRDBContext& db, long long bid, double timestamp, double amount)
{
    auto entry = std::make_shared<ZMRBooksObject>();
    entry->setBid(bid);
    entry->setTimestamp(timestamp);
    entry->setExpendMoney(amount);
    check(db.insertObject(entry));
}

}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static std::shared_ptr<ZMRShell> shell = makeShell();
    KRDBContextRef db = shell->userDBContext();
    check(db && db->db()->execture("DELETE FROM [ZMRBooksObject]"));
    addEntry(*db, 1, kMay10 + 3600, 12.5);
    addEntry(*db, 2, kMay10 + 2 * kDay, 3);
    addEntry(*db, 3, kMay10 - 5 * kDay, 0.25);

    auto window = ZMRBooksDataSource::monthWindow(pf::Date{kMay10}, pf::Date{kMay20Noon});
    check(window && window->lastDay == 20);
    auto search = std::make_shared<ZMRBooksSearchTask>();
    search->setStartTime(window->start);
    search->setEndTime(window->end);
    auto response = std::make_shared<KRAPIResponseTask>();
    response->setTask(search);
    response->setTaskType(proto::IZMRBooksSearchTask());
    pf::Value answer = KRJSON::decodeText(std::string(reinterpret_cast<const char*>(data), size));
    response->setResultsData(pf::Value(pf::Dictionary::create({{"books-search-results", answer}})));
    check(shell->handle(proto::IKRAPIResponseTask(), response, 0));

    auto source = std::make_shared<ZMRBooksDataSource>();
    source->setContext(shell);
    source->setClock([] { return pf::Date{kMay20Noon}; });
    source->setDate(pf::Date{kMay10});
    source->loadDataObjects();

    // What the month holds, in the order the source reads it.
    auto cursor = db->query(booksClass(), "WHERE [timestamp] >= " + std::to_string(static_cast<long long>(window->start)) +
                                              " AND [timestamp] <= " + std::to_string(static_cast<long long>(window->end)) +
                                              " ORDER BY bid ASC");
    check(bool(cursor));
    pf::ArrayRef stored = cursor->dataObjects(booksClass());
    cursor->close();
    double sum = 0;
    for (const pf::Value& row : *stored)
        if (auto entry = row.objectAs<ZMRBooksObject>(); entry && std::isfinite(entry->expendMoney()))
            sum += entry->expendMoney();

    // Rows read one by one, as a table reads them, are the rows of the whole
    // list made afterwards, and their shapes tell their keys.
    std::vector<pf::Value> asked;
    for (int i = 0; i < static_cast<int>(source->count()); ++i) {
        asked.push_back(source->dataObjectAtIndex(i));
        auto shape = source->rowShapeAtIndex(i);
        pf::DictionaryRef row = asked.back().dictionary();
        check(shape && row && shape->run >= 1);
        check((shape->kind == ZMRBooksMonth::RowKind::Placeholder) == !row->contains("day"));
        check((shape->kind == ZMRBooksMonth::RowKind::Entry) == row->contains("data"));
    }

    std::size_t entries = 0;
    const pf::ArrayRef rows = source->dataObjects();
    check(rows->count() == asked.size());
    for (std::size_t i = 0; i < asked.size(); ++i)
        check(rows->at(i).dictionary() == asked[i].dictionary());
    std::size_t at = 0;
    for (int day = window->lastDay; day >= 1; --day) {
        check(at < rows->count());
        pf::DictionaryRef title = rows->at(at++).dictionary();
        check(title && title->get("day").longLongValue() == day && !title->contains("data"));
        std::size_t ofDay = 0;
        while (at < rows->count()) {
            pf::DictionaryRef row = rows->at(at).dictionary();
            check(bool(row));
            if (!row->contains("data"))
                break;
            check(row->get("day").longLongValue() == day && row->get("data").objectAs<ZMRBooksObject>());
            ++ofDay;
            ++at;
        }
        if (ofDay == 0) {
            check(at < rows->count());
            pf::DictionaryRef placeholder = rows->at(at++).dictionary();
            check(placeholder && !placeholder->contains("day"));
        }
        entries += ofDay;
    }
    check(at == rows->count());
    check(entries == stored->count());
    if (std::isfinite(sum))
        check(source->expendMoney() == sum);
    else
        check(source->expendMoney() == 0);
    return 0;
}
