// The month ledger: its month windows and rows over the signed-in user's
// database, and the table's cells and month steps. The calendar runs in the
// fixed zone "CST-8".

#include "tests/app/screens/AppScreenTest.h"

#include "app/screens/ledger/ZMRBooksController.h"
#include "app/screens/ledger/ZMRBooksDataSource.h"
#include "app/services/ZMRBooksObject.h"
#include "app/services/ZMRBooksService.h"
#include "app/services/ZMRClassifyObject.h"
#include "framework/data/KRTableView.h"
#include "framework/data/KRTableViewCell.h"
#include "framework/db/KRDBContext.h"
#include "framework/db/KRSqlite.h"
#include "platform/controls/Button.h"
#include "platform/controls/Label.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/NotificationCenter.h"
#include "tests/platform/foundation/PinnedZone.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <limits>

namespace {

// Local times in "CST-8", seconds since 1970.
constexpr double k20140401 = 1396281600;    // 2014-04-01 00:00:00
constexpr double k20140430End = 1398873599; // 2014-04-30 23:59:59
constexpr double k20140501 = 1398873600;    // 2014-05-01 00:00:00
constexpr double k20140501Ten = 1398909600; // 2014-05-01 10:00:00
constexpr double k20140515End = 1400169599; // 2014-05-15 23:59:59
constexpr double k20140520Noon = 1400558400;
constexpr double kDay = 86400;

// Pins the zone for the whole test, the fixture's start included.
struct ZoneCST8 : pf::test::PinnedZone {
    ZoneCST8() : PinnedZone("CST-8") {}
};

class ZMRBooksLedger : public AppScreenTest {
protected:
    void SetUp() override
    {
        AppScreenTest::SetUp();
        source = std::make_shared<ZMRBooksDataSource>();
        source->setContext(shell);
        addCategory(9001, "餐饮");
        addCategory(9002, "交通");
    }

    void addCategory(long long cid, const char* title)
    {
        auto category = std::make_shared<ZMRClassifyObject>();
        category->setCid(cid);
        category->setTitle(title);
        ASSERT_TRUE(shell->appDBContext()->insertObject(category));
    }
    void addEntry(long long bid, double timestamp, double expendMoney, pf::Value cids, std::optional<std::string> remark)
    {
        auto entry = std::make_shared<ZMRBooksObject>();
        entry->setBid(bid);
        entry->setTimestamp(timestamp);
        entry->setExpendMoney(expendMoney);
        entry->setCids(std::move(cids));
        entry->setRemark(std::move(remark));
        ASSERT_TRUE(shell->userDBContext()->insertObject(entry));
    }
    void fixNow(double seconds)
    {
        source->setClock([seconds] { return pf::Date{seconds}; });
    }
    // One line per row: "<d>日" for titles, "  <title> <money> #<bid>" for entries, "  -" for placeholders.
    std::string dump() { return lines(*source->dataObjects()); }
    // The same lines read row by row, as a table reads them, before any
    // list of every row is made.
    std::string dumpByIndex()
    {
        auto rows = pf::Array::create();
        for (int i = 0; i < static_cast<int>(source->count()); ++i)
            rows->add(source->dataObjectAtIndex(i));
        return lines(*rows);
    }
    static std::string lines(const pf::Array& rows)
    {
        std::string out;
        for (const pf::Value& row : rows) {
            pf::DictionaryRef d = row.dictionary();
            if (!d || !d->contains("day"))
                out += "  -\n";
            else if (!d->contains("data"))
                out += d->get("title").stringOr("?") + "\n";
            else
                out += "  " + d->get("title").stringOr("?") + " " + d->get("expendMoney").stringOr("?") + " #" +
                       std::to_string(d->get("data").objectAs<ZMRBooksObject>()->bid()) + "\n";
        }
        return out;
    }
    // The dump of a month whose days hold nothing but `filled` (day to its lines).
    static std::string emptyMonthBut(int lastDay, const std::map<int, std::string>& filled)
    {
        std::string out;
        for (int day = lastDay; day >= 1; --day) {
            out += std::to_string(day) + "日\n";
            auto found = filled.find(day);
            out += found == filled.end() ? "  -\n" : found->second;
        }
        return out;
    }

    ZoneCST8 zone;
    std::shared_ptr<ZMRBooksDataSource> source;
};

}

TEST(ZMRBooksMonth, WindowRunsFromTheFirstToTheLastDayOrToToday)
{
    ZoneCST8 zone;
    struct Row {
        double date;
        double now;
        double start;
        double end;
        int lastDay;
    } rows[] = {
        {k20140401 + 5 * kDay, k20140520Noon, k20140401, k20140430End, 30},         // a past month
        {k20140501 + 3 * kDay, k20140501 + 14 * kDay + 60, k20140501, k20140515End, 15}, // the current month ends today
        {k20140501Ten, k20140501Ten, k20140501, k20140501 + kDay - 1, 1},            // today is the 1st
        {1454256000 + 10 * kDay, k20140520Noon, 1454256000, 1456761599, 29},          // February of a leap year
        {1385827200, k20140520Noon, 1385827200, 1388505599, 31},                      // December
        {k20140520Noon, k20140401, k20140501, 1401551999, 31},                        // a month after "now": whole
    };
    for (const Row& row : rows) {
        auto window = ZMRBooksDataSource::monthWindow(pf::Date{row.date}, pf::Date{row.now});
        ASSERT_TRUE(window) << row.date;
        EXPECT_EQ(window->start, row.start) << row.date;
        EXPECT_EQ(window->end, row.end) << row.date;
        EXPECT_EQ(window->lastDay, row.lastDay) << row.date;
    }
    EXPECT_FALSE(ZMRBooksDataSource::monthWindow(pf::Date{std::numeric_limits<double>::quiet_NaN()}, pf::Date{k20140401}));
}

TEST_F(ZMRBooksLedger, PastMonthListsEveryDayLatestFirstWithTitlesAndTotal)
{
    fixNow(k20140520Noon);
    source->setDate(pf::Date{k20140401 + 10 * kDay});
    addEntry(7, k20140401 + 2 * kDay + 10 * 3600, 12.5, pf::Value(pf::Array::create({9001, "9002"})), "午饭");
    addEntry(5, k20140401 + 2 * kDay + 9 * 3600, 0.5, pf::Value(pf::Array::create({"x", 9999, 9001.5, "9001x", ""})), "");
    addEntry(9, k20140430End, std::numeric_limits<double>::quiet_NaN(), pf::Value(pf::Array::create({9002})), "打车");
    addEntry(12, k20140401 + 14 * kDay, 1234567.891, pf::Value(pf::Array::create({9001.0})), std::nullopt);
    addEntry(13, k20140401 + 15 * kDay, 3, pf::Value(pf::Array::create({9999})), "备注");
    addEntry(14, k20140401 + 16 * kDay, std::numeric_limits<double>::infinity(), pf::Value("9001"), std::nullopt);
    addEntry(11, k20140501, 100, pf::Value(), "next month");     // outside, after
    addEntry(3, k20140401 - 1, 100, pf::Value(), "last month"); // outside, before

    source->loadDataObjects();
    // Row by row (pages of rows, their edges crossed) and all at once alike.
    EXPECT_EQ(dumpByIndex(), dump());
    EXPECT_EQ(dump(), emptyMonthBut(30, {
                                           {30, "  打车 交通 ￥0 #9\n"},
                                           {17, "  无分类 ￥0 #14\n"},
                                           {16, "  备注 ￥3 #13\n"},
                                           {15, "  餐饮 ￥1,234,567.89 #12\n"},
                                           {3, "  无分类 ￥0.5 #5\n  午饭 餐饮\\交通 ￥12.5 #7\n"},
                                       }));
    EXPECT_DOUBLE_EQ(source->expendMoney(), 12.5 + 0.5 + 1234567.891 + 3);
    EXPECT_EQ(source->count(), 30u + 25u + 6u); // titles, placeholders, entries
}

TEST_F(ZMRBooksLedger, CurrentMonthStopsAtTodayAndAnEmptyPastMonthHasSixtyRows)
{
    fixNow(k20140501Ten);
    addEntry(1, k20140501 + 8 * 3600, 8, pf::Value(), std::nullopt);
    addEntry(2, k20140501 + kDay - 60, 9, pf::Value(), std::nullopt); // later today
    addEntry(4, k20140501 + kDay, 10, pf::Value(), std::nullopt);     // tomorrow
    source->loadDataObjects();
    EXPECT_EQ(dump(), "1日\n  无分类 ￥8 #1\n  无分类 ￥9 #2\n");
    EXPECT_EQ(source->expendMoney(), 17);

    source->setDate(pf::Date{k20140401});
    source->loadDataObjects();
    EXPECT_EQ(dump(), emptyMonthBut(30, {}));
    EXPECT_EQ(source->expendMoney(), 0);

    // Totals that overflow read 0, however large the parts.
    source->setDate(pf::Date{k20140501});
    addEntry(5, k20140501 + 60, 1e308, pf::Value(), std::nullopt);
    addEntry(6, k20140501 + 120, 1e308, pf::Value(), std::nullopt);
    source->loadDataObjects();
    EXPECT_EQ(source->expendMoney(), 0);
}

TEST_F(ZMRBooksLedger, ChangeNotificationRebuildsTheMonthNowShown)
{
    struct Recorder : pf::Object, KRDataSourceDelegate {
        std::vector<std::string> calls;
        void krDataSourceDidLoaded(KRDataSource&) override { calls.push_back("loaded"); }
        void krDataSourceDidContentChanged(KRDataSource&) override { calls.push_back("changed"); }
    };
    auto recorder = std::make_shared<Recorder>();
    source->setDelegate(recorder);
    fixNow(k20140520Noon);
    source->setDate(pf::Date{k20140501});
    addEntry(1, k20140401 + 60, 5, pf::Value(), std::nullopt);
    source->loadDataObjects();
    EXPECT_EQ(source->expendMoney(), 0);

    source->setDate(pf::Date{k20140401});
    pf::NotificationCenter::defaultCenter().post(ZMRBooksChangedNotification);
    EXPECT_EQ(source->expendMoney(), 5);
    EXPECT_EQ(recorder->calls, std::vector<std::string>{"changed"});
    // A released source hears nothing more.
    std::weak_ptr<ZMRBooksDataSource> gone = source;
    source.reset();
    EXPECT_TRUE(gone.expired());
    pf::NotificationCenter::defaultCenter().post(ZMRBooksChangedNotification);
    EXPECT_EQ(recorder->calls.size(), 1u);
}

// A month of many entries on one day: the table learns the rows' kinds and
// runs without their being made, and every rebuild shows the database as it
// is then, whoever changed it and whatever happened to a row not yet made.
TEST_F(ZMRBooksLedger, RowsAreMadeWhenAskedAndEveryRebuildSeesTheDatabaseAsItIs)
{
    fixNow(k20140520Noon);
    source->setDate(pf::Date{k20140401});
    for (long long bid = 100; bid < 140; ++bid) // 40 entries on the 30th, more than a page of rows
        addEntry(bid, k20140430End - 3600 - static_cast<double>(bid), 1.5, pf::Value(), "早饭");
    addEntry(7, k20140401 + 2 * kDay, 2, pf::Value(), "午饭");
    source->loadDataObjects();
    using Kind = ZMRBooksMonth::RowKind;
    struct Shape {
        int index;
        std::optional<Kind> kind;
        int run;
    } shapes[] = {
        {0, Kind::DayTitle, 1}, {1, Kind::Entry, 40}, {33, Kind::Entry, 8},   {40, Kind::Entry, 1},
        {41, Kind::DayTitle, 1}, {42, Kind::Placeholder, 1}, {94, Kind::Entry, 1}, {98, Kind::Placeholder, 1},
        {99, std::nullopt, 0}, {-1, std::nullopt, 0},
    };
    ASSERT_EQ(source->count(), 99u);
    for (const Shape& shape : shapes) {
        auto got = source->rowShapeAtIndex(shape.index);
        ASSERT_EQ(got.has_value(), shape.kind.has_value()) << shape.index;
        if (got) {
            EXPECT_EQ(got->kind, *shape.kind) << shape.index;
            EXPECT_EQ(got->run, shape.run) << shape.index;
        }
    }
    EXPECT_EQ(source->dataObjectAtIndex(33).dictionary()->get("title").stringOr(""), "早饭");
    EXPECT_EQ(source->dataObjectAtIndex(33).dictionary(), source->dataObjectAtIndex(33).dictionary()) << "made once";

    KRSqliteRef db = shell->userDBContext()->db();
    auto other = KRSqlite::initWithPath(db->path());
    ASSERT_TRUE(other.ok());
    auto memory = KRSqlite::initWithPath(":memory:");
    ASSERT_TRUE(memory.ok());
    struct Step {
        const char* name;
        std::function<void()> change;
        std::size_t rows;
        double total;
    } steps[] = {
        {"nothing changed", [] {}, 99, 62},
        {"an entry added", [&] { addEntry(8, k20140401 + 2 * kDay + 60, 3, pf::Value(), std::nullopt); }, 100, 65},
        {"an amount changed here", [&] { ASSERT_TRUE(db->execture("UPDATE [ZMRBooksObject] SET [expendMoney] = 4 WHERE [bid] = 8")); },
         100, 66},
        {"an entry moved by another connection",
         [&] { ASSERT_TRUE(other.value()->execture("UPDATE [ZMRBooksObject] SET [timestamp] = 0 WHERE [bid] = 7")); }, 99, 64},
        {"the database replaced",
         [&] {
             shell->userDBContext()->setDb(memory.value());
             ASSERT_TRUE(shell->userDBContext()->regDBObjectClass(pf::Class::named("ZMRBooksObject")));
         },
         60, 0},
        {"back again", [&] { shell->userDBContext()->setDb(db); }, 99, 64},
    };
    for (const Step& step : steps) {
        step.change();
        source->loadDataObjects();
        EXPECT_EQ(source->count(), step.rows) << step.name;
        EXPECT_EQ(source->expendMoney(), step.total) << step.name;
        EXPECT_EQ(dumpByIndex(), dump()) << step.name;
    }

    // A row gone before it was made shows what the month knew of it until
    // the month is rebuilt.
    source->loadDataObjects();
    ASSERT_TRUE(db->execture("DELETE FROM [ZMRBooksObject] WHERE [bid] = 100"));
    EXPECT_EQ(lines(*pf::Array::create({source->dataObjectAtIndex(1)})), "  无分类 ￥1.5 #100\n");
    source->loadDataObjects();
    EXPECT_EQ(source->count(), 98u);

    // The whole list, once asked for, is the rows: what is done to it shows.
    source->dataObjects()->removeAt(0);
    EXPECT_EQ(source->count(), 97u);
    EXPECT_EQ(source->rowShapeAtIndex(0)->kind, Kind::Entry);
    EXPECT_EQ(source->rowShapeAtIndex(0)->run, 1);
}

// Times past 2^31 - 1 seconds keep their 64 bits along the whole road: the
// server's entry of 2038-02-17 reaches the stored rows and February 2038.
TEST_F(ZMRBooksLedger, AnEntryOf2038ComesThroughTheServiceIntoItsMonth)
{
    const double k20380201 = 2148566400, k20380217Noon = 2149992000;
    fixNow(2151331200); // 2038-03-05
    zmr::AppBook book;
    book.uid = 10001;
    book.expendMoney = book.payMoney = 38;
    book.remark = "二〇三八";
    book.createTime = static_cast<long long>(k20380217Noon);
    auto added = store->addBook(book);
    ASSERT_TRUE(added);
    source->setDate(pf::Date{k20380201 + 3 * kDay});
    source->reloadData();
    const std::string row = "  二〇三八 ￥38 #" + std::to_string(added->bid) + "\n";
    ASSERT_TRUE(waitFor([&] { return dump().find(row) != std::string::npos; })) << dump();
    EXPECT_EQ(dump(), emptyMonthBut(28, {{17, row}}));
}

namespace {

class ZMRBooksTable : public ZMRBooksLedger {
protected:
    void SetUp() override
    {
        ZMRBooksLedger::SetUp();
        table = std::make_shared<KRTableView>(pf::Rect(0, 0, 320, 400));
        table->setRowHeight(44);
        controller = std::make_shared<ZMRBooksController>();
        controller->setItemViewNib("ZMRBooksItemViewController");
        controller->setDateLabel(std::make_shared<pf::Label>());
        controller->setExpendMoneyLabel(std::make_shared<pf::Label>());
        controller->setPrevButton(std::make_shared<pf::Button>());
        controller->setNextButton(std::make_shared<pf::Button>());
        controller->setDataSource(source);
        controller->setContext(shell);
        controller->setTableView(table);
    }
    std::string title() const { return controller->dateLabel()->text(); }
    std::string total() const { return controller->expendMoneyLabel()->text(); }

    std::shared_ptr<KRTableView> table;
    std::shared_ptr<ZMRBooksController> controller;
};

}

TEST_F(ZMRBooksTable, RowsGetTheirOwnCellFilesAndHeights)
{
    fixNow(k20140520Noon);
    source->setDate(pf::Date{k20140401});
    addEntry(7, k20140430End - 60, 0.5, pf::Value(pf::Array::create({9001})), "午饭");
    addEntry(8, k20140430End - 30, 3, pf::Value(), "晚饭");
    source->loadDataObjects();
    table->reloadData();
    struct Row {
        int row;
        double height;
        int run; // rows from this one on of its height, as the table is told
        double y; // in the laid-out table
        const char* identifier;
        const char* shows; // the texts of the cell's labels
    } rows[] = {
        {0, 26, 1, 0, "ZMRBooksDayItemViewController", "30日"},
        {1, 44, 2, 26, "ZMRBooksItemViewController", "午饭 餐饮|￥0.5"},
        {2, 44, 1, 70, "ZMRBooksItemViewController", "晚饭|￥3"},
        {3, 26, 1, 114, "ZMRBooksDayItemViewController", "29日"},
        {4, 35, 1, 140, "ZMRBooksNullItemViewController", "当天没有记账"},
    };
    for (const Row& row : rows) {
        pf::IndexPath path{0, row.row};
        EXPECT_EQ(controller->tableViewHeightForRowAtIndexPath(*table, path), row.height) << row.row;
        EXPECT_EQ(controller->tableViewRowRunLengthAtIndexPath(*table, path), row.run) << row.row;
        EXPECT_EQ(table->rectForRowAtIndexPath(path), pf::Rect(0, row.y, 320, row.height)) << row.row;
        auto cell = std::dynamic_pointer_cast<KRTableViewCell>(controller->tableViewCellForRowAtIndexPath(*table, path));
        ASSERT_TRUE(cell) << row.row;
        EXPECT_EQ(cell->reuseIdentifier(), row.identifier);
        std::string shows;
        for (const auto& view : cell->subviews())
            if (auto label = std::dynamic_pointer_cast<pf::Label>(view))
                shows += (shows.empty() ? "" : "|") + label->text();
        EXPECT_EQ(shows, row.shows) << row.row;
        EXPECT_EQ(cell->controller(), controller);
    }
    // A missing entry file gives plain cells under "Cell", not a broken table.
    controller->setItemViewNib("");
    auto plain = controller->tableViewCellForRowAtIndexPath(*table, {0, 1});
    ASSERT_TRUE(plain);
    EXPECT_FALSE(std::dynamic_pointer_cast<KRTableViewCell>(plain));
    EXPECT_EQ(plain->reuseIdentifier(), "Cell");
}

TEST_F(ZMRBooksTable, MonthStepsCrossYearsAndTheNextButtonStopsAtThisMonth)
{
    controller->awakeFromNib();
    EXPECT_FALSE(controller->nextButton()->isEnabled()) << "the ledger opens on the current month";
    EXPECT_EQ(total(), "¥ 0");
    table->setContentSize({320, 3000});
    table->setContentOffset(pf::Point{0, 500});
    controller->doPrevMonthAction(nullptr);
    EXPECT_TRUE(controller->nextButton()->isEnabled());
    EXPECT_TRUE(controller->prevButton()->isEnabled());
    EXPECT_EQ(table->contentOffset().y, 0) << "a step shows the new month from its top";
    controller->doNextMonthAction(nullptr);
    EXPECT_FALSE(controller->nextButton()->isEnabled());

    struct Row {
        double from;
        int step;
        const char* title;
    } rows[] = {
        {1385827200 + 5 * kDay, 1, "2014年01月"}, // December, forward
        {1388505600 + 20 * kDay, -1, "2013年12月"}, // January, back
        {k20140401, 1, "2014年05月"},
    };
    for (const Row& row : rows) {
        source->setDate(pf::Date{row.from});
        row.step > 0 ? controller->doNextMonthAction(nullptr) : controller->doPrevMonthAction(nullptr);
        EXPECT_EQ(title(), row.title);
        auto first = pf::Calendar::components(source->date());
        EXPECT_EQ(first->day, 1);
        EXPECT_EQ(first->hour, 0);
    }
    // The step shows the local rows at once, with their total.
    fixNow(k20140520Noon);
    source->setDate(pf::Date{k20140501});
    addEntry(3, k20140401 + 3600, 1234.5, pf::Value(), std::nullopt);
    controller->doPrevMonthAction(nullptr);
    EXPECT_EQ(total(), "¥ 1,234.5");
    EXPECT_EQ(controller->tableViewNumberOfRowsInSection(*table, 0), 30 + 29 + 1);
}
