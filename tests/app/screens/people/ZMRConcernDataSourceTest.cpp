#include "tests/app/screens/AppScreenTest.h"

#include "app/screens/people/ZMRConcernDataSource.h"
#include "app/services/ZMRConcernObject.h"
#include "app/services/ZMRConcernService.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/data/KRDataSourceDelegate.h"
#include "framework/db/KRDBContext.h"
#include "framework/db/KRSqlite.h"
#include "framework/db/KRSqliteCursor.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"

#include <functional>
#include <sstream>
#include <utility>

namespace {

class Listener : public pf::Object, public KRDataSourceDelegate {
public:
    void krDataSourceWillLoading(KRDataSource&) override { events += "will "; }
    void krDataSourceDidLoaded(KRDataSource&) override { events += "loaded "; }
    void krDataSourceDidContentChanged(KRDataSource&) override
    {
        events += "changed ";
        if (onChanged)
            onChanged();
    }
    std::string events;
    std::function<void()> onChanged;
};

// "A:nick,nick B:nick ..." in display order.
std::string dump(const ZMRConcernDataSource& source)
{
    std::string out;
    for (const auto& section : source.sections()) {
        out += (out.empty() ? "" : " ") + section->py() + ":";
        for (std::size_t i = 0; i < section->dataObjects()->count(); ++i) {
            auto object = section->dataObjects()->at(i).dictionary()->get("dataObject").objectAs<ZMRConcernObject>();
            out += (i ? "," : "") + object->nick().value_or("?");
        }
    }
    return out;
}

class FollowList : public AppScreenTest {
protected:
    // Replaces the stored follow list with people given as "py/nick" words,
    // a trailing "*" marking one who follows back.
    void keep(const std::string& people)
    {
        auto db = shell->userDBContext();
        ASSERT_TRUE(db && db->db()->execture("DELETE FROM [ZMRConcernObject]"));
        std::istringstream words(people);
        long long uid = 20000;
        for (std::string word; words >> word;) {
            auto object = std::make_shared<ZMRConcernObject>();
            bool mutual = word.ends_with("*");
            if (mutual)
                word.pop_back();
            std::size_t slash = word.find('/');
            object->setUid(++uid);
            object->setPy(word.substr(0, slash) == "_" ? "" : word.substr(0, slash));
            object->setNick(word.substr(slash + 1));
            object->setMutual(mutual ? 1 : 0);
            ASSERT_TRUE(db->insertObject(object));
        }
    }
    std::shared_ptr<ZMRConcernDataSource> makeSource(bool mutual = false)
    {
        auto source = std::make_shared<ZMRConcernDataSource>();
        source->setMutual(mutual);
        source->setContext(shell);
        source->setDelegate(listener);
        return source;
    }

    std::shared_ptr<Listener> listener = std::make_shared<Listener>();
};

}

// Sections follow the initials compared without case, digits first, each
// titled by its upper-case initial; anything else, or nothing, goes to "#",
// always last.
TEST_F(FollowList, SectionsFollowTheInitialsWithoutCaseAndOthersGoLast)
{
    struct Row {
        const char* people;
        bool mutual;
        const char* sections;
    } rows[] = {
        {"", false, ""},
        {"b/bo 3/san a/an ~x/tilde", false, "3:san A:an B:bo #:tilde"},
        {"Z/zed b/bo A/Ann a/an bb/Bob", false, "A:Ann,an B:bo,Bob Z:zed"},
        {"_/none -x/dash 9y/nine ay/ay", false, "9:nine A:ay #:none,dash"},
        {"a/a1* b/b1 a/a2 c/c1*", true, "A:a1 C:c1"},
        {"j/j i/i h/h g/g f/f e/e d/d c/c b/b", false, "B:b C:c D:d E:e F:f G:g H:h I:i J:j"},
        {"k/k j/j i/i h/h g/g f/f e/e d/d c/c b/b", false, "B:b C:c D:d E:e F:f G:g H:h I:i J:j K:k"},
        {"好/hao 1/one", false, "1:one #:hao"},
    };
    // The per-user database is indexed in the list's order from its
    // opening, before any list is read: a long list needs no sort of its own.
    auto plan = shell->userDBContext()->db()->query(
        "EXPLAIN QUERY PLAN SELECT * FROM [ZMRConcernObject] ORDER BY py COLLATE NOCASE ASC,nick ASC");
    ASSERT_NE(plan, nullptr);
    std::string steps;
    while (plan->next())
        steps += plan->stringValueAtIndex(3).value_or("") + ";";
    plan->close();
    EXPECT_NE(steps.find("COVERING INDEX ZMRConcernObject_sections"), std::string::npos) << steps;
    EXPECT_EQ(steps.find("TEMP B-TREE"), std::string::npos) << steps;

    for (const Row& row : rows) {
        keep(row.people);
        auto source = makeSource(row.mutual);
        source->reloadData();
        EXPECT_EQ(dump(*source), row.sections) << row.people;
        EXPECT_EQ(source->isEmpty(), std::string(row.sections).empty()) << row.people;
        EXPECT_EQ(listener->events, "loaded ") << row.people;
        EXPECT_TRUE(source->isLoaded() && !source->isLoading() && !source->hasMoreData());
        listener->events.clear();
    }
    keep("a/an b/bo");
    auto source = makeSource();
    source->reloadData();
    source->loadMoreData();
    EXPECT_FALSE(source->isLoading());
    for (pf::IndexPath past : {pf::IndexPath{0, 1}, pf::IndexPath{2, 0}, pf::IndexPath{-1, 0}, pf::IndexPath{0, -1}})
        EXPECT_TRUE(source->dataObjectAtIndexPath(past).isNil()) << past.section << "," << past.row;
    EXPECT_FALSE(source->dataObjectAtIndexPath({1, 0}).isNil());
}

// A follow made elsewhere reaches the list through the sync: the source
// rebuilds on the change and its owner hears content changed, not loaded.
TEST_F(FollowList, TheSyncedFollowListRebuildsTheSectionsAsAChange)
{
    auto source = makeSource();
    source->reloadData();
    EXPECT_EQ(dump(*source), "A:安琪 B:白雪 C:陈晨 D:丁一 F:方圆 G:高山");
    listener->events.clear();
    ASSERT_TRUE(store->setFollowing(10001, 10008, true));
    shell->handle(proto::IZMRConcernTask(), std::make_shared<ZMRConcernTask>(), 0);
    // The sync may announce each page it stores, so one or more changes.
    ASSERT_TRUE(waitFor([&] { return dump(*source) == "A:安琪 B:白雪 C:陈晨 D:丁一 F:方圆 G:高山 H:何欢"; }));
    std::string heard = listener->events;
    EXPECT_FALSE(heard.empty());
    for (std::size_t at = 0; at < heard.size(); at += 8)
        EXPECT_EQ(heard.substr(at, 8), "changed ") << heard;
    // Nobody hears a source that is gone.
    source.reset();
    pf::NotificationCenter::defaultCenter().post(ZMRConcernChangedNotification);
    EXPECT_EQ(listener->events, heard);
}

// Changes are rebuilt once the loop is idle: a rebuild already pending
// takes in every change posted before it runs, one posted while its
// delegate hears it brings another, and reloadData takes it in. A person
// stored the same way keeps the row (and what the controller keeps in it).
TEST_F(FollowList, APendingRebuildTakesInTheChangesPostedMeanwhile)
{
    keep("a/an b/bo");
    auto source = makeSource();
    source->reloadData();
    listener->events.clear();
    auto row = [&](pf::IndexPath at) { return source->dataObjectAtIndexPath(at).dictionary(); };
    auto an = row({0, 0}), bo = row({1, 0});
    auto& center = pf::NotificationCenter::defaultCenter();
    auto db = shell->userDBContext();

    center.post(ZMRConcernChangedNotification);
    ASSERT_TRUE(db->db()->execture("INSERT INTO [ZMRConcernObject] (uid, nick, py) VALUES (20003, 'cy', 'c')"));
    ASSERT_TRUE(db->db()->execture("UPDATE [ZMRConcernObject] SET nick='Bo', version=9 WHERE uid=20002"));
    ASSERT_TRUE(db->db()->execture("UPDATE [ZMRConcernObject] SET version=9 WHERE uid=20001"));
    center.post(ZMRConcernChangedNotification);
    EXPECT_EQ(dump(*source), "A:an B:bo");
    EXPECT_EQ(listener->events, "");
    pf::RunLoop::main().runUntilIdle();
    EXPECT_EQ(dump(*source), "A:an B:Bo C:cy");
    EXPECT_EQ(listener->events, "changed ");
    // Only the version changed: the same row, holding the fresh object.
    EXPECT_EQ(row({0, 0}), an);
    EXPECT_EQ(an->get("dataObject").objectAs<ZMRConcernObject>()->version(), 9);
    EXPECT_NE(row({1, 0}), bo);

    // A change stored while the delegate hears the last one is not lost.
    bool stored = false;
    listener->onChanged = [&] {
        if (std::exchange(stored, true))
            return;
        ASSERT_TRUE(db->db()->execture("INSERT INTO [ZMRConcernObject] (uid, nick, py) VALUES (20004, 'dee', 'd')"));
        center.post(ZMRConcernChangedNotification);
    };
    center.post(ZMRConcernChangedNotification);
    pf::RunLoop::main().runUntilIdle();
    EXPECT_EQ(dump(*source), "A:an B:Bo C:cy D:dee");
    EXPECT_EQ(listener->events, "changed changed changed ");
    listener->onChanged = nullptr;

    // A reload reads everything anew, the pending rebuild included.
    listener->events.clear();
    center.post(ZMRConcernChangedNotification);
    source->reloadData();
    pf::RunLoop::main().runUntilIdle();
    EXPECT_EQ(listener->events, "loaded ");
    EXPECT_NE(row({0, 0}), an);
}
