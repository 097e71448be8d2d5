#include "ControlsTestSupport.h"

#include "platform/controls/Button.h"
#include "platform/controls/Label.h"
#include "platform/controls/TableIndexView.h"
#include "platform/controls/TableView.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace pf::test {
namespace {

// Sections of rows with mixed heights; rows can be deleted.
class Rows final : public TableViewDataSource, public TableViewDelegate {
public:
    explicit Rows(std::vector<int> counts)
    {
        for (int s = 0; s < static_cast<int>(counts.size()); ++s) {
            sections.emplace_back();
            for (int r = 0; r < counts[s]; ++r)
                sections.back().push_back("s" + std::to_string(s) + "r" + std::to_string(r));
        }
    }
    int numberOfSectionsInTableView(TableView&) override { return static_cast<int>(sections.size()); }
    int tableViewNumberOfRowsInSection(TableView&, int s) override { return static_cast<int>(sections[s].size()); }
    std::shared_ptr<TableViewCell> tableViewCellForRowAtIndexPath(TableView& table, const IndexPath& path) override
    {
        if (fixed) { // one cell of its own per row, handed out again and again
            auto& cell = fixedCells[path];
            if (!cell)
                cell = std::make_shared<TableViewCell>(TableViewCellStyle::Default, "row");
            return cell;
        }
        auto cell = table.dequeueReusableCellWithIdentifier("row");
        if (!cell) {
            cell = std::make_shared<TableViewCell>(TableViewCellStyle::Default, "row");
            ++made;
        }
        cell->textLabel()->setText(sections[path.section][path.row]);
        return cell;
    }
    std::optional<double> tableViewHeightForRowAtIndexPath(TableView&, const IndexPath& path) override
    {
        asked.insert(path);
        if (onAsk)
            onAsk(path);
        return path.row < tallRows ? 400 : 40 + (path.row % 3) * 20; // 40, 60, 80
    }
    std::optional<std::string> tableViewTitleForHeaderInSection(TableView&, int s) override
    {
        return titled ? std::optional<std::string>("第" + std::to_string(s) + "组") : std::nullopt;
    }
    std::vector<std::string> sectionIndexTitlesForTableView(TableView&) override
    {
        std::vector<std::string> titles;
        for (std::size_t s = 0; titled && s < sections.size(); ++s)
            titles.push_back(std::to_string(s));
        return titles;
    }
    double tableViewEstimatedRowHeight(TableView&) override { return estimate; }
    bool tableViewCanEditRowAtIndexPath(TableView&, const IndexPath& path) override { return path.row != 0; }
    void tableViewCommitEditingStyle(TableView& table, TableViewCellEditingStyle, const IndexPath& path) override
    {
        sections[path.section].erase(sections[path.section].begin() + path.row);
        table.deleteRowsAtIndexPaths({path});
    }
    void tableViewDidSelectRowAtIndexPath(TableView&, const IndexPath& path) override { selected.push_back(path); }

    std::vector<std::vector<std::string>> sections;
    std::set<IndexPath> asked;
    std::vector<IndexPath> selected;
    bool titled = false;
    bool fixed = false;
    double estimate = 0;
    int tallRows = 0; // at the top of each section, far higher than the rest
    std::function<void(const IndexPath&)> onAsk;
    std::map<IndexPath, std::shared_ptr<TableViewCell>> fixedCells;
    int made = 0;
};

class TableRows : public HostTest {
protected:
    void load(std::vector<int> counts, bool titled = false, bool fixed = false)
    {
        rows = std::make_shared<Rows>(std::move(counts));
        rows->titled = titled;
        rows->fixed = fixed;
        table = std::make_shared<TableView>(Rect(0, 0, 320, 480));
        table->setDataSource(rows);
        table->setDelegate(rows);
        window->addSubview(table);
        table->reloadData();
    }
    // Beside `table`, one over rows like its rows that asks their heights as
    // it needs them.
    void loadLazy()
    {
        std::vector<int> counts;
        for (auto& section : rows->sections)
            counts.push_back(static_cast<int>(section.size()));
        lazyRows = std::make_shared<Rows>(counts);
        lazyRows->titled = rows->titled;
        lazyRows->tallRows = rows->tallRows;
        lazyRows->estimate = 50;
        lazy = std::make_shared<TableView>(table->frame());
        lazy->setDataSource(lazyRows);
        lazy->setDelegate(lazyRows);
        window->addSubview(lazy);
        lazy->reloadData();
    }
    int cellsInTree() const
    {
        int n = 0;
        for (auto& v : table->subviews())
            n += std::dynamic_pointer_cast<TableViewCell>(v) != nullptr;
        return n;
    }
    std::shared_ptr<Rows> rows;
    std::shared_ptr<TableView> table;
    std::shared_ptr<Rows> lazyRows;
    std::shared_ptr<TableView> lazy;
};

TEST_F(TableRows, FiveHundredRowsKeepOnlyVisibleCellsInTheTree)
{
    load({500});
    EXPECT_EQ(rows->asked.size(), 500u); // every height, up front
    EXPECT_DOUBLE_EQ(table->contentSize().height, 167 * 40 + 167 * 60 + 166 * 80);
    int most = 0;
    for (double y = 0; y <= table->maxContentOffset().y; y += 37) {
        table->setContentOffset(Point{0, y});
        int visible = 0;
        for (int r = 0; r < 500; ++r)
            visible += table->rectForRowAtIndexPath({0, r}).intersects(table->bounds());
        EXPECT_EQ(cellsInTree(), visible) << y;
        EXPECT_LE(cellsInTree(), 480 / 40 + 2);
        most = std::max(most, cellsInTree());
        for (auto& path : table->indexPathsForVisibleRows())
            EXPECT_EQ(table->cellForRowAtIndexPath(path)->textContent(), rows->sections[0][path.row]);
    }
    EXPECT_LE(rows->made, most + 1); // scrolling reuses cells instead of making new ones
    // A reload hands each row shown again the cell it had, which then has
    // nothing new to draw.
    table->setContentOffset(Point{0, 1000});
    std::map<IndexPath, TableViewCell*> before;
    for (auto& path : table->indexPathsForVisibleRows())
        before[path] = table->cellForRowAtIndexPath(path).get();
    table->reloadData();
    EXPECT_EQ(table->indexPathsForVisibleRows().size(), before.size());
    for (auto& [path, cell] : before)
        EXPECT_EQ(table->cellForRowAtIndexPath(path).get(), cell) << path.row;
}

// Rows that come in runs of one height, told as runs or asked row by row.
class RunRows final : public TableViewDataSource, public TableViewDelegate {
public:
    struct Run {
        int rows;
        double height;
        int told; // the length the delegate answers for the run's first row
    };
    RunRows(std::vector<Run> runs, bool tellsRuns) : runs(std::move(runs)), tellsRuns(tellsRuns) {}
    int tableViewNumberOfRowsInSection(TableView&, int) override
    {
        int n = 0;
        for (const Run& run : runs)
            n += run.rows;
        return n;
    }
    std::shared_ptr<TableViewCell> tableViewCellForRowAtIndexPath(TableView& table, const IndexPath& path) override
    {
        auto cell = table.dequeueReusableCellWithIdentifier("row");
        if (!cell)
            cell = std::make_shared<TableViewCell>(TableViewCellStyle::Default, "row");
        cell->textLabel()->setText(std::to_string(path.row));
        return cell;
    }
    std::optional<double> tableViewHeightForRowAtIndexPath(TableView&, const IndexPath& path) override
    {
        ++asked;
        return find(path.row).first->height;
    }
    int tableViewRowRunLengthAtIndexPath(TableView&, const IndexPath& path) override
    {
        auto [run, offset] = find(path.row);
        return !tellsRuns ? 1 : offset == 0 ? run->told : run->rows - offset;
    }
    std::pair<const Run*, int> find(int row) const
    {
        for (const Run& run : runs) {
            if (row < run.rows)
                return {&run, row};
            row -= run.rows;
        }
        return {&runs.back(), 0};
    }
    std::vector<Run> runs;
    bool tellsRuns;
    int asked = 0;
};

// A delegate that tells its runs is asked once per run and places, finds and
// shows every row as when it is asked row by row: runs of no height, a
// run told longer than the section, nonsense lengths, and neighbouring runs
// of one height among them.
TEST_F(TableRows, RunsOfOneHeightAreAskedOnceAndPlaceRowsAsRowByRow)
{
    struct Case {
        const char* name;
        std::vector<RunRows::Run> runs;
        int asks; // of the delegate that tells its runs
    } cases[] = {
        {"day bands", {{1, 26, 1}, {300, 44, 300}, {1, 26, 1}, {1, 35, 1}, {1, 26, 1}, {40, 44, 40}}, 6},
        {"rows of no height", {{2, 0, 2}, {5, 44, 5}, {3, 0, 3}, {4, 26, 4}}, 4},
        {"told past the end", {{3, 30, 3}, {10, 50, 1000}}, 2},
        {"nonsense lengths", {{4, 30, 0}, {3, 45, -7}}, 4}, // 0 and -7 count as 1, the rest follows
        {"like runs meet", {{2, 44, 2}, {3, 44, 3}, {1, 0.5, 1}}, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto told = std::make_shared<RunRows>(c.runs, true);
        auto asked = std::make_shared<RunRows>(c.runs, false);
        auto byRuns = std::make_shared<TableView>(Rect(0, 0, 320, 200));
        auto byRows = std::make_shared<TableView>(Rect(0, 0, 320, 200));
        for (auto [table, rows] : {std::pair{byRuns, told}, std::pair{byRows, asked}}) {
            table->setDataSource(rows);
            table->setDelegate(rows);
            window->addSubview(table);
            table->reloadData();
        }
        EXPECT_EQ(told->asked, c.asks);
        const int n = byRows->numberOfRowsInSection(0);
        EXPECT_EQ(asked->asked, n);
        ASSERT_EQ(byRuns->numberOfRowsInSection(0), n);
        EXPECT_EQ(byRuns->contentSize(), byRows->contentSize());
        for (int r = 0; r < n; ++r) {
            Rect rect = byRows->rectForRowAtIndexPath({0, r});
            EXPECT_EQ(byRuns->rectForRowAtIndexPath({0, r}), rect) << r;
            for (double y : {rect.minY(), rect.midY(), rect.maxY() - 0.25})
                EXPECT_EQ(byRuns->indexPathForRowAtPoint({10, y}), byRows->indexPathForRowAtPoint({10, y})) << y;
        }
        for (double y = 0; y <= byRows->maxContentOffset().y + 30; y += 23) {
            byRuns->setContentOffset(Point{0, y});
            byRows->setContentOffset(Point{0, y});
            EXPECT_EQ(byRuns->indexPathsForVisibleRows(), byRows->indexPathsForVisibleRows()) << y;
        }
        byRuns->removeFromSuperview();
        byRows->removeFromSuperview();
    }
}

// A delegate with an estimated row height is asked in order from the top,
// only as far as the table shows or a question about a row needs, and for
// the rest while the loop is idle. Every row shown or asked about sits where
// a table asking every row up front puts it: after questions, scrolling, an
// index jump and a deletion; once idle the content's size is the same too.
TEST_F(TableRows, RowsAskedAsTheyAreNeededSitWhereRowsAskedUpFrontDo)
{
    load({3, 400, 0, 200}, true);
    auto upFront = table;
    loadLazy();
    EXPECT_EQ(*lazyRows->asked.rbegin(), (IndexPath{1, 4})); // the rows starting on the first screen
    EXPECT_FALSE(lazy->allRowHeightsAsked());
    auto same = [&](const char* when) {
        SCOPED_TRACE(when);
        EXPECT_EQ(lazy->indexPathsForVisibleRows(), upFront->indexPathsForVisibleRows());
        for (auto& path : lazy->indexPathsForVisibleRows())
            EXPECT_EQ(lazy->cellForRowAtIndexPath(path)->frame(), upFront->cellForRowAtIndexPath(path)->frame());
    };
    for (IndexPath path : {IndexPath{1, 150}, IndexPath{3, 0}}) {
        EXPECT_EQ(lazy->rectForRowAtIndexPath(path), upFront->rectForRowAtIndexPath(path)) << path.section;
        EXPECT_EQ(*lazyRows->asked.rbegin(), path);
    }
    Rect row = upFront->rectForRowAtIndexPath({3, 40});
    EXPECT_EQ(lazy->indexPathForRowAtPoint({10, row.midY()}), (IndexPath{3, 40}));
    for (double y : {900.0, 16000.0, 27000.0}) {
        lazy->setContentOffset(Point{0, y});
        upFront->setContentOffset(Point{0, y});
        same("scrolled");
    }
    lazy->setContentOffset(Point{0, 0});
    upFront->setContentOffset(Point{0, 0});
    host->render();
    Rect strip = lazy->indexView()->frame();
    for (auto& t : {upFront, lazy}) { // the one on top takes the tap
        lazy->setHidden(t != lazy);
        host->tap(t->indexView()->convertPointToView({10, strip.height() - 2}, nullptr));
    }
    EXPECT_EQ(lazy->contentOffset(), upFront->contentOffset());
    same("jumped to the last section");
    for (auto [t, r] : {std::pair{lazy, lazyRows}, std::pair{upFront, rows}})
        r->tableViewCommitEditingStyle(*t, TableViewCellEditingStyle::Delete, {3, 199});
    same("a row deleted");
    // A task posted meanwhile (a page of a sync, a touch) cuts the idle
    // slice short: it runs before another row is asked.
    int asks = 0, asksWhenRun = 0;
    lazyRows->onAsk = [&](const IndexPath&) {
        if (++asks == 1)
            RunLoop::main().post([&] { asksWhenRun = asks; });
    };
    RunLoop::main().runUntilIdle();
    EXPECT_EQ(asksWhenRun, 1);
    EXPECT_GT(asks, 1) << "rows were left for the idle turns";
    EXPECT_TRUE(lazy->allRowHeightsAsked());
    EXPECT_EQ(lazyRows->asked, rows->asked);
    EXPECT_EQ(lazy->contentSize(), upFront->contentSize());
    EXPECT_EQ(lazy->rectForSection(3), upFront->rectForSection(3));
}

// Rows asked lower than the estimate shrink the content under an offset at
// its estimated end: a scroll there in code, at once or animated (the rest
// asked on idle turns meanwhile), stops at the real end and shows the last
// rows.
TEST_F(TableRows, ALazyTableScrolledToItsEstimatedEndStopsAtItsRealEnd)
{
    for (bool animated : {false, true}) {
        SCOPED_TRACE(animated ? "animated" : "at once");
        load({2000});
        rows->tallRows = 10;
        table->reloadData();
        loadLazy();
        ASSERT_GT(lazy->contentSize().height, 2 * table->contentSize().height) << "the first rows set the estimate";
        lazy->setContentOffset(lazy->maxContentOffset(), animated);
        for (int frame = 0; frame < 30; ++frame)
            host->advance(1.0 / 60);
        table->setContentOffset(table->maxContentOffset());
        EXPECT_EQ(lazy->contentOffset(), table->contentOffset());
        EXPECT_EQ(lazy->indexPathsForVisibleRows(), table->indexPathsForVisibleRows());
        EXPECT_EQ(table->indexPathsForVisibleRows().back(), (IndexPath{0, 1999}));
        table->removeFromSuperview();
        lazy->removeFromSuperview();
    }
}

TEST_F(TableRows, FixedCellsWaitInThePoolOnceAndNeverWhileShown)
{
    load({40}, false, true);
    for (int pass = 0; pass < 3; ++pass)
        for (double y : {0.0, table->maxContentOffset().y, 0.0})
            table->setContentOffset(Point{0, y});
    std::set<TableViewCell*> pooled;
    while (auto cell = table->dequeueReusableCellWithIdentifier("row")) {
        EXPECT_TRUE(pooled.insert(cell.get()).second) << "pooled twice";
        EXPECT_FALSE(table->indexPathForCell(*cell)) << "pooled while shown";
    }
    EXPECT_EQ(pooled.size() + table->visibleCells().size(), rows->fixedCells.size());
}

TEST_F(TableRows, ANewSourceIsAskedAtTheNextLayout)
{
    load({3});
    auto other = std::make_shared<Rows>(std::vector<int>{7});
    table->setDataSource(other);
    table->setDelegate(other);
    host->render();
    EXPECT_EQ(table->numberOfRowsInSection(0), 7);
    EXPECT_EQ(other->asked.size(), 7u);
    EXPECT_EQ(cellsInTree(), 7);
}

TEST_F(TableRows, BoundsThatGrowShowTheirRowsAtOnceAndInPlace)
{
    struct Row {
        double from; // the height the table was laid out at
        double to;
        bool animated;
        int cells; // rows 40, 60, 80, 40, ... touching the new height
    } rows[] = {
        {0, 200, false, 4}, {0, 200, true, 4}, {0.5, 100, true, 2}, {30, 480, true, 9}, {0, 0.25, false, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.from << " to " << r.to << (r.animated ? " animated" : ""));
        load({20});
        table->setFrame(Rect(0, 0, 320, r.from));
        host->render();
        auto grow = [&] { table->setFrame(Rect(0, 0, 320, r.to)); };
        r.animated ? View::animate(0.3, grow) : grow();
        // No layout pass has run: the rows are there for a tap or a probe now.
        EXPECT_EQ(cellsInTree(), r.cells);
        EXPECT_EQ(table->indexPathsForVisibleRows().size(), std::size_t(r.cells));
        for (auto& cell : table->visibleCells())
            EXPECT_EQ(cell->presentationBounds(), cell->bounds()) << "a new row flies in with the growing table";
        host->advance(0.5);
        host->render();
        EXPECT_EQ(cellsInTree(), r.cells);
        table->removeFromSuperview();
    }
}

TEST_F(TableRows, HeadersPinAndTheIndexJumps)
{
    load({20, 20, 20}, true);
    auto header = [&](int s) {
        for (auto& v : table->subviews())
            if (v->textContent() == "  第" + std::to_string(s) + "组")
                return v;
        return ViewRef();
    };
    struct Row {
        double offset;
        int section;
        double headerY;
    };
    Rect s1 = table->rectForSection(1);
    const Row rows_[] = {
        {0, 0, 0},
        {300, 0, 300},                       // pinned at the top edge
        {s1.minY() - 10, 0, s1.minY() - 22}, // pushed up by the next section
        {s1.minY() + 50, 1, s1.minY() + 50},
    };
    for (const Row& row : rows_) {
        table->setContentOffset(Point{0, row.offset});
        auto view = header(row.section);
        ASSERT_TRUE(view) << row.offset;
        EXPECT_DOUBLE_EQ(view->frame().y(), row.headerY) << row.offset;
    }
    ASSERT_TRUE(table->indexView());
    EXPECT_EQ(table->indexView()->titles().size(), 3u);
    table->setContentOffset(Point{0, 0});
    host->render();
    Rect strip = table->indexView()->frame();
    int index = table->indexView()->indexAtY(strip.height() / 2 + 17);
    EXPECT_EQ(index, 2);
    host->tap(table->indexView()->convertPointToView({10, strip.height() / 2 + 17}, nullptr));
    EXPECT_DOUBLE_EQ(table->contentOffset().y, table->rectForSection(2).minY());
    EXPECT_TRUE(header(2));
}

TEST_F(TableRows, TapSelectsAndSwipeLeftDeletes)
{
    load({30});
    host->tap({100, 50}); // second row: 40..100
    ASSERT_EQ(rows->selected.size(), 1u);
    EXPECT_EQ(rows->selected[0], (IndexPath{0, 1}));

    // Mid-swipe the row follows the finger over a strip in the delete colour,
    // then comes fully back when the finger returns before letting go.
    host->touchDown({280, 70});
    for (double x = 270; x >= 200; x -= 10)
        host->touchMove({x, 70});
    auto swiped = table->cellForRowAtIndexPath({0, 1});
    ASSERT_TRUE(swiped);
    EXPECT_DOUBLE_EQ(swiped->contentView()->frame().x(), -80);
    auto mid = host->render();
    ASSERT_TRUE(mid);
    Rgba8 strip = mid.value()->pixelAtPoint(swiped->convertPointToView({315, 30}, nullptr));
    EXPECT_TRUE(strip.near({0xe0, 0x32, 0x2c, 255}, 8)) << int(strip.r) << "," << int(strip.g) << "," << int(strip.b);
    host->touchMove({275, 70});
    host->touchUp({275, 70});
    EXPECT_DOUBLE_EQ(swiped->contentView()->frame().x(), 0);
    EXPECT_FALSE(table->indexPathForDeleteConfirmation());

    for (auto [y, shows] : {std::pair{20.0, false} /* row 0 may not be edited */, {70.0, true}}) {
        host->drag({280, y}, {120, y}, 0.2, 8);
        EXPECT_EQ(table->indexPathForDeleteConfirmation().has_value(), shows) << y;
        EXPECT_EQ(table->contentOffset(), (Point{0, 0})); // a sideways swipe does not scroll
        EXPECT_EQ(rows->selected.size(), 1u) << "a swipe selected the row at " << y;
    }
    auto cell = table->cellForRowAtIndexPath({0, 1});
    ASSERT_TRUE(cell && cell->deleteConfirmationButton());
    EXPECT_EQ(cell->deleteConfirmationButton()->currentTitle(), "删除");
    host->render();
    EXPECT_TRUE(host->tapViewWithText("删除"));
    EXPECT_EQ(rows->sections[0].size(), 29u);
    EXPECT_EQ(table->numberOfRowsInSection(0), 29);
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 1})->textContent(), "s0r2");
    EXPECT_DOUBLE_EQ(table->rectForRowAtIndexPath({0, 1}).y(), 40); // the gap closed
    EXPECT_FALSE(table->indexPathForDeleteConfirmation());

    // A data source that drops more than it says is reloaded, not trusted.
    rows->sections[0].resize(5);
    table->deleteRowsAtIndexPaths({{0, 0}});
    EXPECT_EQ(table->numberOfRowsInSection(0), 5);
    EXPECT_EQ(cellsInTree(), 5);
}

TEST_F(TableRows, DeletingRowsLeavesOneHeaderPerSection)
{
    load({6, 6}, true);
    rows->sections[0].erase(rows->sections[0].begin() + 2);
    table->deleteRowsAtIndexPaths({{0, 2}});
    host->render();
    int headers = 0;
    for (auto& v : table->subviews())
        headers += v->textContent() == "  第0组";
    EXPECT_EQ(headers, 1) << "the old header must not stay behind the new one";
}

TEST_F(TableRows, DeletedSectionsSlideOutAndLaterSectionsMoveUp)
{
    load({2, 3, 2}, true);
    auto leaving = table->cellForRowAtIndexPath({1, 0});
    auto moving = table->cellForRowAtIndexPath({2, 1});
    ASSERT_TRUE(leaving && moving);
    double leavingX = leaving->center().x;
    double movingY = moving->center().y;
    rows->sections.erase(rows->sections.begin() + 1);
    table->deleteSections({1}, TableViewRowAnimation::Right);

    EXPECT_EQ(table->numberOfSections(), 2);
    EXPECT_EQ(table->cellForRowAtIndexPath({1, 1}), moving) << "re-filed under its new section";
    EXPECT_DOUBLE_EQ(moving->frame().y(), table->rectForRowAtIndexPath({1, 1}).y());
    EXPECT_DOUBLE_EQ(moving->presentationCenter().y, movingY) << "it moves up from where it was";
    EXPECT_FALSE(table->indexPathForCell(*leaving));
    EXPECT_EQ(leaving->superview(), table) << "still sliding out";

    host->advance(0.15);
    EXPECT_GT(leaving->presentationCenter().x, leavingX);
    EXPECT_LT(moving->presentationCenter().y, movingY);
    host->advance(0.3);
    EXPECT_FALSE(leaving->superview());
    EXPECT_EQ(cellsInTree(), 4);
    bool pooled = false;
    while (auto cell = table->dequeueReusableCellWithIdentifier("row"))
        pooled = pooled || cell == leaving;
    EXPECT_TRUE(pooled) << "the cell waits for reuse once it left";
    int headers = 0;
    for (auto& v : table->subviews())
        headers += v->textContent().rfind("  第", 0) == 0;
    EXPECT_EQ(headers, 2);
}

TEST_F(TableRows, DeletionsTheDataSourceDisagreesWithReload)
{
    struct Row {
        const char* name;
        std::vector<int> deleted; // told to the table
        int dropped;              // sections the data source really dropped
    };
    const Row cases[] = {
        {"one told, two dropped", {0}, 2},
        {"section out of range", {0, 7}, 1},
        {"negative section", {-1}, 1},
    };
    for (const Row& row : cases) {
        SCOPED_TRACE(row.name);
        load({2, 3, 4});
        rows->sections.erase(rows->sections.begin(), rows->sections.begin() + row.dropped);
        table->deleteSections(row.deleted, TableViewRowAnimation::Fade);
        EXPECT_EQ(table->numberOfSections(), 3 - row.dropped);
        for (auto& path : table->indexPathsForVisibleRows())
            EXPECT_EQ(table->cellForRowAtIndexPath(path)->textContent(),
                      rows->sections[path.section][path.row]);
        table->removeFromSuperview();
    }
}

TEST_F(TableRows, ACellHandedOutAgainWhileLeavingStaysShown)
{
    load({5}, false, true);
    auto cell = table->cellForRowAtIndexPath({0, 1});
    rows->sections[0].pop_back();
    table->deleteRowsAtIndexPaths({{0, 1}}, TableViewRowAnimation::Fade);
    EXPECT_FALSE(table->indexPathForCell(*cell));
    // This data source keeps one cell per row: row 1 is that cell again.
    table->reloadData();
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 1}), cell);
    host->advance(0.5);
    EXPECT_EQ(cell->superview(), table);
    EXPECT_EQ(cell->alpha(), 1);
    EXPECT_EQ(table->cellForRowAtIndexPath({0, 1}), cell);
}

}
}
