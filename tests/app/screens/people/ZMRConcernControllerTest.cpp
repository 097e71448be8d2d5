// The follow list controller over the signed-in user's stored follows, in a
// headless table: sections, headers and the index strip, row heights, and
// swiping a row away (the server unfollows; a refusal brings the row back).

#include "tests/app/screens/AppScreenTest.h"

#include "app/screens/people/ZMRConcernController.h"
#include "app/screens/people/ZMRConcernDataSource.h"
#include "app/screens/shared/ZMRImageView.h"
#include "app/services/ZMRConcernObject.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/data/KRTableView.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMStyleSheet.h"
#include "tools/appserver/AppStoreData.h"
#include "framework/db/KRDBContext.h"
#include "framework/db/KRSqlite.h"
#include "framework/db/KRSqliteCursor.h"
#include "platform/controls/AlertView.h"
#include "platform/controls/Label.h"
#include "platform/foundation/RunLoop.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <algorithm>
#include <sstream>

namespace {

class FollowListController : public AppScreenTest {
protected:
    void SetUp() override
    {
        AppScreenTest::SetUp();
        table = std::make_shared<KRTableView>(pf::Rect(0, 0, 320, 504));
        controller = std::make_shared<ZMRConcernController>();
        controller->setHtml("templates/concern_row.html");
        controller->setDataSource(source);
        controller->setContext(shell);
        controller->setTableView(table);
    }
    void TearDown() override
    {
        // Alerts are the screen's, not the fixture's: none may reach the next test.
        for (const auto& alert : pf::AlertView::visibleAlerts())
            alert->dismissWithClickedButtonIndex(0, false);
        controller.reset();
        table.reset();
        AppScreenTest::TearDown();
    }
    // Adds people given as "py/nick" words to the stored follow list, from uid 20001.
    void keep(const std::string& people, bool replace = true)
    {
        auto db = shell->userDBContext();
        ASSERT_TRUE(db);
        if (replace)
            ASSERT_TRUE(db->db()->execture("DELETE FROM [ZMRConcernObject]"));
        std::istringstream words(people);
        long long uid = 20000;
        for (std::string word; words >> word;) {
            auto object = std::make_shared<ZMRConcernObject>();
            std::size_t slash = word.find('/');
            object->setUid(++uid);
            object->setPy(word.substr(0, slash));
            object->setNick(word.substr(slash + 1));
            ASSERT_TRUE(db->insertObject(object));
        }
    }
    void load()
    {
        source->reloadData();
        table->reloadData();
        table->layoutIfNeeded();
    }
    // "A:2 B:1 ..." as the table has it.
    std::string shown()
    {
        std::string out;
        for (int s = 0; s < controller->numberOfSectionsInTableView(*table); ++s) {
            auto header = controller->tableViewViewForHeaderInSection(*table, s);
            auto label = header && !header->subviews().empty()
                             ? std::dynamic_pointer_cast<pf::Label>(header->subviews()[0])
                             : nullptr;
            out += (out.empty() ? "" : " ") + (label ? label->text() : std::string("?")) + ":" +
                   std::to_string(controller->tableViewNumberOfRowsInSection(*table, s));
        }
        return out;
    }
    // "A:nick@height,nick@height B:..." as a table and its controller show it.
    static std::string rowsShown(pf::TableView& shownIn, ZMRConcernController& by)
    {
        std::string out;
        for (int s = 0; s < shownIn.numberOfSections(); ++s) {
            auto label = std::dynamic_pointer_cast<pf::Label>(by.tableViewViewForHeaderInSection(shownIn, s)->subviews()[0]);
            out += (s ? " " : "") + label->text() + ":";
            for (int r = 0; r < shownIn.numberOfRowsInSection(s); ++r)
                out += (r ? "," : "") + dataForKeyPath(by.dataObjectByIndexPath({s, r}), "dataObject.nick").stringOr() + "@" +
                       std::to_string(int(shownIn.rectForRowAtIndexPath({s, r}).height()));
        }
        return out;
    }
    bool follows(long long tuid)
    {
        auto list = store->follows(10001, 0, 1000);
        return std::any_of(list.begin(), list.end(), [&](const auto& f) { return f.uid == tuid; });
    }
    // The people the demo user follows, as the server and as the stored list have them, in order.
    std::vector<long long> serverFollows()
    {
        std::vector<long long> uids;
        for (const auto& follow : store->follows(10001, 0, 1000))
            uids.push_back(follow.uid);
        std::sort(uids.begin(), uids.end());
        return uids;
    }
    std::vector<long long> storedFollows()
    {
        std::vector<long long> uids;
        auto db = shell->userDBContext();
        auto cursor = db ? db->db()->query("SELECT uid FROM [ZMRConcernObject] ORDER BY uid") : nullptr;
        while (cursor && cursor->next())
            uids.push_back(cursor->longLongValueAtIndex(0));
        return uids;
    }

    std::shared_ptr<KRTableView> table;
    std::shared_ptr<ZMRConcernDataSource> source = std::make_shared<ZMRConcernDataSource>();
    std::shared_ptr<ZMRConcernController> controller;
};

TEST_F(FollowListController, SectionsHaveTintedHeadersAndTenOrMoreAnIndex)
{
    struct Row {
        const char* people;
        const char* shown;
        std::vector<std::string> index;
    } rows[] = {
        {"a/a b/b c/c d/d e/e f/f g/g h/h i/i", "A:1 B:1 C:1 D:1 E:1 F:1 G:1 H:1 I:1", {}},
        {"a/a b/b c/c d/d e/e f/f g/g h/h i/i j/j", "A:1 B:1 C:1 D:1 E:1 F:1 G:1 H:1 I:1 J:1",
         {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J"}},
    };
    for (const Row& row : rows) {
        keep(row.people);
        load();
        EXPECT_EQ(shown(), row.shown) << row.people;
        EXPECT_EQ(controller->sectionIndexTitlesForTableView(*table), row.index) << row.people;
    }
    auto header = controller->tableViewViewForHeaderInSection(*table, 0);
    EXPECT_EQ(header->frame(), pf::Rect(0, 0, 320, 22));
    EXPECT_EQ(header->backgroundColor(), pf::Color::rgb(247 / 255.0, 227 / 255.0, 219 / 255.0));

    // A row is as high as its laid-out document, and shows the nickname.
    auto document = controller->documentByIndexPath({0, 0});
    ASSERT_TRUE(document && document->rootElement());
    EXPECT_GT(document->rootElement()->frame().height(), 40);
    EXPECT_EQ(controller->tableViewHeightForRowAtIndexPath(*table, {0, 0}), document->rootElement()->frame().height());
    EXPECT_TRUE(controller->tableViewCanEditRowAtIndexPath(*table, {0, 0}));
}

// One of two rows leaves alone, at once; the server refuses an unknown
// person, and the row comes back from the database.
TEST_F(FollowListController, ARefusedUnfollowBringsTheRowBack)
{
    keep("b/bei", false); // a second B row, uid 20001: no such user on the server
    load();
    ASSERT_EQ(shown(), "A:1 B:2 C:1 D:1 F:1 G:1");
    const pf::Value first = source->dataObjectAtIndexPath({1, 0});
    int row = dataForKeyPath(first, "dataObject.uid").longLongValue() == 20001 ? 0 : 1;
    controller->tableViewCommitEditingStyle(*table, pf::TableViewCellEditingStyle::Delete, {1, row});
    EXPECT_EQ(shown(), "A:1 B:1 C:1 D:1 F:1 G:1");
    ASSERT_TRUE(waitFor([&] { return !pf::AlertView::visibleAlerts().empty(); }));
    EXPECT_EQ(shown(), "A:1 B:2 C:1 D:1 F:1 G:1");
}

TEST_F(FollowListController, ARowWithoutAUserIdStays)
{
    keep("a/an");
    auto db = shell->userDBContext();
    ASSERT_TRUE(db->db()->execture("UPDATE [ZMRConcernObject] SET uid = 0"));
    load();
    ASSERT_EQ(shown(), "A:1");
    controller->tableViewCommitEditingStyle(*table, pf::TableViewCellEditingStyle::Delete, {0, 0});
    EXPECT_TRUE(settle());
    EXPECT_EQ(shown(), "A:1");
}

// A person's swipe: dragging the synced list's first row to the left shows
// "删除"; tapping it takes the row and its section away, and the server
// unfollows.
TEST_F(FollowListController, ASwipeAndItsDeleteButtonUnfollow)
{
    auto window = pf::Window::create(pf::Screen::main().bounds());
    window->addSubview(table);
    window->makeKeyAndVisible();
    table->setFrame({0, 64, 320, 504});
    load();
    ASSERT_EQ(shown(), "A:1 B:1 C:1 D:1 F:1 G:1"); // 安琪 (10002) alone under A
    ASSERT_TRUE(follows(10002));
    pf::Rect row = table->rectForRowAtIndexPath({0, 0});
    const double y = 64 + row.midY();
    drag({280, y}, {120, y});
    ASSERT_TRUE(tapText("删除"));
    EXPECT_EQ(shown(), "B:1 C:1 D:1 F:1 G:1") << "the section left with its last row, at once";
    EXPECT_EQ(table->numberOfSections(), 5);
    EXPECT_TRUE(waitFor([&] { return !follows(10002); })) << "the server unfollowed";
    EXPECT_TRUE(pf::AlertView::visibleAlerts().empty());
    window->setHidden(true);
}

// Records whose row a tap opens: the "uid" of each "user" action.
class OpenedPeople : public pf::Object, public KRDocumentDataControllerDelegate {
public:
    void krDocumentDataControllerElementDoAction(KRDocumentDataController&, KRDOMElement& element,
                                                 const pf::ObjectRef&) override
    {
        opened.push_back(std::string(element.attributeValueForKey("uid").value_or("")));
    }
    std::vector<std::string> opened;
};

// 取消关注 on a person's page while the list is open: once the server
// confirms, the list shown drops them.
// A follow or unfollow sent from another screen (a user's page) while the
// list is open moves the person's row: an unfollow takes it away at once, a
// follow brings it back in its letter's section once the server took it.
// The rows kept across those rebuilds change cells (高山's last row comes
// back to the cell that drew it first): every row drawn still shows its
// picture and a tap on it opens that person.
TEST_F(FollowListController, AnUnfollowOrFollowSentElsewhereMovesTheRow)
{
    auto window = pf::Window::create(pf::Screen::main().bounds());
    window->addSubview(table);
    window->makeKeyAndVisible();
    table->setFrame({0, 64, 320, 504});
    auto opened = std::make_shared<OpenedPeople>();
    controller->setDelegate(opened);
    load();
    ASSERT_EQ(shown(), "A:1 B:1 C:1 D:1 F:1 G:1"); // 安琪 (10002) alone under A
    auto unfollow = std::make_shared<ZMRUnFollowTask>();
    unfollow->setTuid(10002);
    ASSERT_TRUE(shell->handle(proto::IZMRUnFollowTask(), unfollow, 0));
    ASSERT_TRUE(waitFor([&] { return !follows(10002); }));
    EXPECT_TRUE(waitFor([&] { return shown() == "B:1 C:1 D:1 F:1 G:1"; })) << shown();
    EXPECT_EQ(table->numberOfSections(), 5);

    auto follow = std::make_shared<ZMRFollowTask>();
    follow->setTuid(10002);
    ASSERT_TRUE(shell->handle(proto::IZMRFollowTask(), follow, 0));
    ASSERT_TRUE(waitFor([&] { return follows(10002); }));
    EXPECT_TRUE(waitFor([&] { return shown() == "A:1 B:1 C:1 D:1 F:1 G:1"; })) << shown();
    EXPECT_TRUE(settle());
    EXPECT_FALSE(shell->hasConcernChanged()) << "the sync stored the list's new version";

    std::vector<std::string> rows, pictured;
    table->layoutIfNeeded();
    for (const pf::IndexPath& path : table->indexPathsForVisibleRows()) {
        const pf::Value row = source->dataObjectAtIndexPath(path);
        std::string uid = std::to_string(dataForKeyPath(row, "dataObject.uid").longLongValue());
        rows.push_back(uid);
        auto cell = table->cellForRowAtIndexPath(path);
        auto document = cell ? cell->contentView()->viewWithTag(KRDocumentDataController::kDocumentViewTag) : nullptr;
        if (document && std::any_of(document->subviews().begin(), document->subviews().end(), [](const auto& view) {
                return std::dynamic_pointer_cast<ZMRImageView>(view) != nullptr;
            }))
            pictured.push_back(uid);
        pf::Rect rect = table->rectForRowAtIndexPath(path);
        tap({60, 64 + rect.midY() - table->contentOffset().y});
    }
    EXPECT_EQ(rows.size(), 6u);
    EXPECT_EQ(pictured, rows);
    EXPECT_EQ(opened->opened, rows);
    window->setHidden(true);
}

// Rows are as high as their laid-out documents, a wrapping nickname's
// taller, though only the rows shown keep a document (and only those are
// restyled when the style sheet changes).
TEST_F(FollowListController, OnlyShownRowsKeepADocumentAndEveryRowIsAsHighAsItsDocument)
{
    std::string longNick;
    for (int n = 0; n < 30; ++n)
        longNick += "长";
    std::string people = "a/" + longNick;
    for (int i = 10; i < 50; ++i)
        people += " a" + std::to_string(i) + "/an" + std::to_string(i);
    keep(people);
    auto sheet = shell->domStyleSheet();
    ASSERT_TRUE(sheet);
    const std::size_t observers = sheet->observerCount();
    load();
    ASSERT_EQ(shown(), "A:41");
    auto kept = [&](int r) {
        return !source->dataObjectAtIndexPath({0, r}).dictionary()->get(KRDocumentDataController::kDocumentKey).isNil();
    };
    int keeping = 0;
    for (int r = 0; r < 41; ++r)
        keeping += kept(r);
    EXPECT_TRUE(kept(0));
    EXPECT_FALSE(kept(40));
    EXPECT_GT(keeping, 5);
    EXPECT_LT(keeping, 15);
    EXPECT_EQ(sheet->observerCount(), observers + std::size_t(keeping));
    const double plain = table->rectForRowAtIndexPath({0, 1}).height();
    for (int r = 0; r < 41; ++r) {
        double height = table->rectForRowAtIndexPath({0, r}).height();
        auto document = controller->documentByIndexPath({0, r});
        ASSERT_TRUE(document && document->rootElement());
        EXPECT_EQ(height, document->rootElement()->frame().height()) << r;
        std::string nick = dataForKeyPath(source->dataObjectAtIndexPath({0, r}), "dataObject.nick").stringOr();
        if (nick == longNick)
            EXPECT_GT(height, plain);
        else
            EXPECT_EQ(height, plain) << nick;
    }
}

// The sync of a list of several pages while the list is shown: it ends as a
// fresh load of the stored list would show it, every row as high as its
// document.
TEST_F(FollowListController, ASyncOfManyPagesWhileShownEndsAsAFreshLoad)
{
    for (long long uid = 30001; uid <= 30035; ++uid) {
        std::string nick = "同学" + (uid == 30017 ? std::string(120, 'w') : std::to_string(uid));
        ASSERT_TRUE(store->addUserWithId(uid, "friend" + std::to_string(uid), "friend-password", nick));
        ASSERT_TRUE(store->setFollowing(10001, uid, true));
    }
    load();
    ASSERT_EQ(shown(), "A:1 B:1 C:1 D:1 F:1 G:1");
    const long long version = store->followVersion(10001);
    shell->handle(proto::IZMRConcernTask(), std::make_shared<ZMRConcernTask>(), 0);
    ASSERT_TRUE(waitFor([&] { return shell->concernVersion() == version; }));
    pf::RunLoop::main().runUntilIdle();
    EXPECT_EQ(shown(), "A:1 B:1 C:1 D:1 F:1 G:1 T:35");

    auto freshTable = std::make_shared<KRTableView>(table->frame());
    auto freshSource = std::make_shared<ZMRConcernDataSource>();
    auto fresh = std::make_shared<ZMRConcernController>();
    fresh->setHtml("templates/concern_row.html");
    fresh->setDataSource(freshSource);
    fresh->setContext(shell);
    fresh->setTableView(freshTable);
    freshSource->reloadData();
    EXPECT_EQ(rowsShown(*table, *controller), rowsShown(*freshTable, *fresh));
    EXPECT_NE(rowsShown(*table, *controller).find("wwww"), std::string::npos);
}


class FollowListThroughGateway : public FollowListController {
protected:
    FollowListThroughGateway() { setRoute(Route::Gateway); }
};

// A confirmed follow carrying the person's profile lists them in their
// letter's section without reading any page of the follow list again, however
// long the list; one without a profile still syncs.
TEST_F(FollowListThroughGateway, AConfirmedFollowListsThePersonWithoutReadingTheList)
{
    ASSERT_TRUE(settle()); // the launch's own sync
    auto db = shell->userDBContext();
    ASSERT_TRUE(db && db->db()->beginTransaction());
    std::string people;
    for (int i = 0; i < 600; ++i)
        people += std::string(i % 2 ? "z/张" : "a/安") + std::to_string(i) + " ";
    keep(people);
    ASSERT_TRUE(db->db()->commit());
    load();
    ASSERT_EQ(shown(), "A:300 Z:300");
    const std::size_t syncs = gateway->count("/api", "taskType=ZMRUserConcernTask");

    auto follow = std::make_shared<ZMRFollowTask>();
    follow->setTuid(10008); // 何欢, followed by nobody here
    auto user = pf::Dictionary::create();
    user->set("uid", 10008);
    user->set("nick", std::string("何欢"));
    user->set("logo", origin() + "/pictures/hehuan.png");
    follow->setUser(pf::Value(user));
    ASSERT_TRUE(shell->handle(proto::IZMRFollowTask(), follow, 0));
    EXPECT_TRUE(waitFor([&] { return shown() == "A:300 H:1 Z:300"; })) << shown();
    ASSERT_TRUE(settle());
    EXPECT_TRUE(follows(10008));
    EXPECT_EQ(gateway->count("/api", "taskType=ZMRUserConcernTask"), syncs);
    EXPECT_TRUE(shell->hasConcernChanged()) << "the next sync still settles the list";
    EXPECT_EQ(dataForKeyPath(controller->dataObjectByIndexPath({1, 0}), "dataObject.logo").stringOr(),
              origin() + "/pictures/hehuan.png");

    // Followed again (the server keeps one follow): still one row.
    ASSERT_TRUE(shell->handle(proto::IZMRFollowTask(), follow, 0));
    ASSERT_TRUE(settle());
    EXPECT_EQ(shown(), "A:300 H:1 Z:300");

    auto bare = std::make_shared<ZMRFollowTask>();
    bare->setTuid(10009); // 金鑫
    ASSERT_TRUE(shell->handle(proto::IZMRFollowTask(), bare, 0));
    EXPECT_TRUE(waitFor([&] { return gateway->count("/api", "taskType=ZMRUserConcernTask") > syncs; }));
    EXPECT_TRUE(waitFor([&] { return shown().find("J:1") != std::string::npos; })) << shown();

    // A profile without a nickname would leave a nameless row under "#": the list is read instead.
    ASSERT_TRUE(settle());
    auto nameless = std::make_shared<ZMRFollowTask>();
    nameless->setTuid(10010); // 李娜
    nameless->setUser(pf::Value(pf::Dictionary::create({{"uid", 10010}})));
    ASSERT_TRUE(shell->handle(proto::IZMRFollowTask(), nameless, 0));
    EXPECT_TRUE(waitFor([&] { return shown().find("L:1") != std::string::npos; })) << shown();
    ASSERT_TRUE(settle());
    EXPECT_EQ(shown().find('#'), std::string::npos) << shown();
    EXPECT_EQ(storedFollows(), serverFollows());
}

// A follow lists the person by itself only over a whole stored list. A sync
// that failed or was cut short leaves the table empty or partial (and a
// resync cut short keeps the old version over it), so a follow or an
// unfollow then reads the whole list again: what is stored and shown is the
// server's list, not the person alone or a page and the person. A page
// answered without a list counts as failed: the next visit of the list
// syncs.
TEST_F(FollowListThroughGateway, AFollowAfterASyncThatDidNotEndReadsTheWholeList)
{
    ASSERT_TRUE(settle()); // the launch's own sync
    // Eighteen follows: two pages and the empty one that ends the list.
    for (long long uid = 30001; uid <= 30012; ++uid) {
        ASSERT_TRUE(store->addUserWithId(uid, "friend" + std::to_string(uid), "friend-password", "同学" + std::to_string(uid)));
        ASSERT_TRUE(store->setFollowing(10001, uid, true));
    }
    struct Row {
        const char* name;
        bool afterFinishedSync; // else as at a sign-in on a fresh data folder: nothing stored, no version
        int brokenPage;
        const char* answer = "<html>down</html>"; // with status 500, else 200
        bool unfollow = false; // of 安琪, in place of the follow of 何欢
    } rows[] = {
        {"the first page fails", false, 1},
        {"the second page fails", false, 2},
        {"a finished sync, then a resync whose second page fails", true, 2},
        {"the first page answers without a list", false, 1, "{}"},
        {"the first page fails, then an unfollow", false, 1, "<html>down</html>", true},
    };
    load();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(store->setFollowing(10001, 10008, false));
        if (row.afterFinishedSync) {
            shell->handle(proto::IZMRConcernTask(), std::make_shared<ZMRConcernTask>(), 0);
            ASSERT_TRUE(settle());
            ASSERT_EQ(storedFollows(), serverFollows());
            ASSERT_TRUE(store->setFollowing(10001, 10013, true)); // a new version on the server
        } else {
            ASSERT_TRUE(shell->userDBContext()->db()->execture("DELETE FROM [ZMRConcernObject]"));
        }
        const long long version = row.afterFinishedSync ? shell->concernVersion() : 0; // a sign-in forgets it
        std::string broken = "taskType=ZMRUserConcernTask";
        if (version != 0)
            broken += "&zmr-version=" + std::to_string(version);
        if (row.brokenPage > 1)
            broken += "&zmr-pageIndex=" + std::to_string(row.brokenPage);
        gateway->setTarget(broken);
        gateway->setReply(row.answer[0] == '{' ? 200 : 500, row.answer);
        if (row.afterFinishedSync)
            shell->handle(proto::IZMRConcernTask(), std::make_shared<ZMRConcernTask>(), 0);
        else
            shell->setAuth(shell->uid(), shell->token()); // a sign-in: its sync starts at once
        ASSERT_TRUE(settle());
        ASSERT_NE(storedFollows(), serverFollows()) << "the broken sync left the list partial";
        EXPECT_TRUE(shell->hasConcernChanged()) << "the next visit of the list syncs";
        gateway->setTarget("(no request)");

        if (row.unfollow) {
            auto unfollow = std::make_shared<ZMRUnFollowTask>();
            unfollow->setTuid(10002);
            ASSERT_TRUE(shell->handle(proto::IZMRUnFollowTask(), unfollow, 0));
        } else {
            auto follow = std::make_shared<ZMRFollowTask>();
            follow->setTuid(10008);
            follow->setUser(pf::Value(pf::Dictionary::create({{"uid", 10008}, {"nick", std::string("何欢")}})));
            ASSERT_TRUE(shell->handle(proto::IZMRFollowTask(), follow, 0));
        }
        ASSERT_TRUE(settle());
        EXPECT_EQ(storedFollows(), serverFollows());
        int rowsShown = 0;
        for (int s = 0; s < table->numberOfSections(); ++s)
            rowsShown += table->numberOfRowsInSection(s);
        EXPECT_EQ(std::size_t(rowsShown), serverFollows().size());
    }
}

// Following back a person who follows the user (unfollowed on their page,
// then followed again) stores them as mutual, as the page shows them.
TEST_F(FollowListThroughGateway, FollowingBackOnTheUsersPageStoresAMutualRow)
{
    ASSERT_TRUE(settle());
    auto mutual = [&] {
        auto db = shell->userDBContext();
        auto cursor = db ? db->db()->query("SELECT mutual FROM [ZMRConcernObject] WHERE uid=10002") : nullptr;
        return cursor && cursor->next() ? int(cursor->longLongValueAtIndex(0)) : -1; // -1: no row
    };
    ASSERT_EQ(mutual(), 1);
    ASSERT_TRUE(open("root:///root/fold/center/relation/user-details?uid=10002"));
    ASSERT_TRUE(waitFor([&] { return tapButtonTitled("已关注"); }));
    ASSERT_TRUE(waitFor([&] { return !follows(10002) && mutual() == -1; }));
    ASSERT_TRUE(settle());
    ASSERT_TRUE(tapButtonTitled("关注"));
    ASSERT_TRUE(waitFor([&] { return follows(10002); }));
    ASSERT_TRUE(settle());
    EXPECT_TRUE(textFrame("互相关注"));
    EXPECT_EQ(mutual(), 1);
}

}
