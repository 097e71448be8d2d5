// The user details screen on the fixture against the seeded world: the
// profile above the posts, following and unfollowing through the server, a
// refused toggle put back, a toggle the server never confirmed, the own
// profile, an address without a user, a profile that fails, and the posts'
// alternating row colours.

#include "tests/app/screens/AppScreenTest.h"

#include "app/screens/feed/ZMRFeedDetailsViewController.h"
#include "app/screens/feed/ZMRFeedDocumentController.h"
#include "framework/data/KRDocumentDataController.h"
#include "app/screens/people/ZMRUserDetailsController.h"
#include "app/screens/people/ZMRUserDetailsDataSource.h"
#include "app/screens/people/ZMRUserDetailsViewController.h"
#include "app/screens/people/ZMRUserFeedController.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/data/KRDataSource.h"
#include "framework/data/KRTableViewCell.h"
#include "framework/db/KRDBContext.h"
#include "framework/db/KRSqlite.h"
#include "framework/db/KRSqliteBinding.h"
#include "framework/db/KRSqliteCursor.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/ui/KRDataOutlet.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/AlertView.h"
#include "platform/controls/Button.h"
#include "platform/controls/Label.h"
#include "platform/controls/TableView.h"
#include "platform/foundation/Collections.h"

#include <algorithm>
#include <climits>

namespace {

class UserDetailsScreen : public AppScreenTest {
protected:
    void TearDown() override
    {
        // Alerts are the screen's, not the fixture's: none may reach the next test.
        for (const auto& alert : pf::AlertView::visibleAlerts())
            alert->dismissWithClickedButtonIndex(0, false);
        AppScreenTest::TearDown();
    }
    std::shared_ptr<ZMRUserDetailsViewController> openUser(const std::string& query)
    {
        EXPECT_TRUE(open("root:///root/fold/center/user-details?" + query));
        return topController<ZMRUserDetailsViewController>();
    }
    // Opens the profile of `uid` and waits for both the profile and the posts.
    std::shared_ptr<ZMRUserDetailsViewController> openLoaded(long long uid)
    {
        auto screen = openUser("uid=" + std::to_string(uid) + "&nick=x");
        if (!screen)
            return nullptr;
        EXPECT_TRUE(waitFor([&] {
            return dataForKeyPath(screen->detailsController()->dataItem(), "uid").longLongValue() == uid &&
                   screen->feedController()->dataSource()->isLoaded() && !screen->statusView()->status();
        }));
        EXPECT_TRUE(settle());
        return screen;
    }
    static std::string fansLabel(ZMRUserDetailsViewController& screen)
    {
        auto document = screen.detailsController()->document();
        auto label = document ? document->elementById("fansLabel") : nullptr;
        return label ? label->text() : "(none)";
    }
    long long fans(long long uid)
    {
        auto json = store->userJson(uid, 10001, origin());
        return json ? dataForKeyPath(decodeJSONValue(*json), "fansCount").longLongValue() : -1;
    }
    bool follows(long long tuid)
    {
        auto list = store->follows(10001, 0, 1000);
        return std::any_of(list.begin(), list.end(), [&](const auto& f) { return f.uid == tuid; });
    }
    // The nickname of `uid` in the stored follow list, or "(none)".
    std::string storedNick(long long uid)
    {
        auto db = shell->userDBContext();
        auto cursor = db ? db->db()->query("SELECT nick FROM [ZMRConcernObject] WHERE uid = " + std::to_string(uid)) : nullptr;
        return cursor && cursor->next() ? cursor->stringValueAtIndex(0).value_or("") : "(none)";
    }
    static std::string alertMessage()
    {
        auto alerts = pf::AlertView::visibleAlerts();
        return alerts.empty() ? "(none)" : alerts.back()->message();
    }
};

TEST_F(UserDetailsScreen, TheProfileStandsAboveThePostsInTheHeaderCell)
{
    // The stored follow-list row takes the profile's fresh nickname.
    ASSERT_TRUE(waitFor([&] { return storedNick(10002) == "安琪"; })) << "the sign-in's follow-list sync";
    ASSERT_TRUE(shell->userDBContext()->db()->execture("UPDATE [ZMRConcernObject] SET nick = '旧名' WHERE uid = 10002"));
    auto screen = openLoaded(10002);
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->title().value_or(""), "x");
    EXPECT_TRUE(textFrame("安琪"));
    auto profile = textFrame("粉丝");
    auto post = textFrame("评论");
    ASSERT_TRUE(profile && post);
    EXPECT_LT(profile->maxY(), post->y());
    // The header is the document less its last 20 points.
    auto cell = screen->detailsTableViewCell();
    EXPECT_EQ(cell->frame().height(), screen->detailsController()->contentSize().height - 20);
    EXPECT_GT(cell->frame().height(), 100);
    EXPECT_EQ(fansLabel(*screen), std::to_string(fans(10002)));
    EXPECT_TRUE(waitFor([&] { return storedNick(10002) == "安琪"; }));
}


// Following and unfollowing by taps: the server follows, the fans label
// moves by one and the button says so; back where it started after two taps.
// The user follows the demo user already: following makes it mutual, which
// the badge shows once the server has taken the follow, and again after an
// unfollow and a second follow.
TEST_F(UserDetailsScreen, FollowAndUnfollowMoveTheServerAndTheFansLabel)
{
    ASSERT_FALSE(follows(10008));
    auto screen = openLoaded(10008);
    ASSERT_TRUE(screen);
    const long long before = fans(10008);
    auto button = screen->followButton();
    ASSERT_FALSE(button->isHidden());
    EXPECT_EQ(button->title().value_or(""), "关注");
    EXPECT_TRUE(button->imageForState(pf::ControlStates::Normal));
    EXPECT_EQ(fansLabel(*screen), std::to_string(before));

    ASSERT_TRUE(tapText("关注"));
    EXPECT_EQ(fansLabel(*screen), std::to_string(before + 1)) << "at once";
    EXPECT_EQ(button->title().value_or(""), "已关注");
    EXPECT_FALSE(button->imageForState(pf::ControlStates::Normal));
    ASSERT_TRUE(waitFor([&] { return follows(10008); }));
    EXPECT_EQ(fans(10008), before + 1);
    EXPECT_TRUE(waitFor([&] { return textFrame("互相关注").has_value(); })) << "a fan followed back";
    EXPECT_TRUE(settle());
    EXPECT_EQ(fansLabel(*screen), std::to_string(before + 1));

    ASSERT_TRUE(tapText("已关注"));
    EXPECT_EQ(fansLabel(*screen), std::to_string(before));
    EXPECT_FALSE(textFrame("互相关注"));
    ASSERT_TRUE(waitFor([&] { return !follows(10008); }));
    EXPECT_EQ(button->title().value_or(""), "关注");
    EXPECT_TRUE(settle());
    EXPECT_EQ(alertMessage(), "(none)");

    ASSERT_TRUE(tapText("关注"));
    EXPECT_TRUE(textFrame("互相关注")) << "at once, the fan being known";
    ASSERT_TRUE(waitFor([&] { return follows(10008); }));
    EXPECT_TRUE(settle());
    EXPECT_TRUE(textFrame("互相关注"));
    EXPECT_EQ(fansLabel(*screen), std::to_string(before + 1));
}

// The server refuses to follow a user it does not know. The latest refused
// toggle puts the follow state and the fans back; an older refusal, already
// overtaken by a later tap, is only shown.
TEST_F(UserDetailsScreen, ARefusedToggleIsShownAndTheLatestIsPutBack)
{
    struct Row {
        const char* name;
        long long fansAtStart;
        bool followingAtStart;
        int taps;
        std::size_t alerts;
        bool followingAfter;
        long long fansAfter;
    } rows[] = {
        {"one follow", 4, false, 1, 1, false, 4},
        {"one unfollow", 4, true, 1, 1, true, 4},
        {"unfollow at no fans", 0, true, 1, 1, true, 0},
        {"follow, then unfollow", 4, false, 2, 2, true, 5}, // the state before the latest
    };
    auto screen = openLoaded(10002);
    ASSERT_TRUE(screen);
    for (const Row& row : rows) {
        auto profile = screen->detailsController()->dataItem().dictionary();
        ASSERT_TRUE(profile);
        profile->set("uid", 99999); // nobody the server knows: 20481
        profile->set("isFollow", row.followingAtStart);
        screen->detailsController()->setFansCount(static_cast<int>(row.fansAtStart));
        for (int i = 0; i < row.taps; ++i)
            screen->onFollowAction(nullptr);
        ASSERT_TRUE(waitFor([&] { return pf::AlertView::visibleAlerts().size() == row.alerts; })) << row.name;
        EXPECT_TRUE(settle());
        EXPECT_EQ(pf::AlertView::visibleAlerts().size(), row.alerts) << row.name;
        EXPECT_EQ(alertMessage(), "用户不存在") << row.name;
        EXPECT_EQ(KRDataOutlet::booleanValue(profile->get("isFollow")), row.followingAfter) << row.name;
        EXPECT_EQ(fansLabel(*screen), std::to_string(row.fansAfter)) << row.name;
        EXPECT_EQ(screen->followButton()->title().value_or(""),
                  row.followingAfter ? "已关注" : "关注")
            << row.name;
        for (const auto& alert : pf::AlertView::visibleAlerts())
            alert->dismissWithClickedButtonIndex(0, false);
    }
    EXPECT_TRUE(follows(10002)) << "nothing changed on the server";
}

class UserDetailsThroughGateway : public UserDetailsScreen {
protected:
    UserDetailsThroughGateway() { setRoute(Route::Gateway); }
};

// A toggle whose answer was lost, taken by the server or not: the profile
// is asked for again and shows what the server holds, and the stored follow
// list is synced again.
TEST_F(UserDetailsThroughGateway, AToggleWhoseResultIsUnknownShowsWhatTheServerHolds)
{
    auto screen = openLoaded(10008);
    ASSERT_TRUE(screen);
    const long long before = fans(10008);
    struct Row {
        const char* tap;
        const char* serverTask;
        zmr::FaultServer::Fault fault;
        int status;
        bool serverActs;
        bool following;
        long long fans;
    } rows[] = {
        {"关注", "ZMRFollowTask", zmr::FaultServer::Fault::None, 502, true, true, before + 1},
        {"已关注", "ZMRUnFollowTask", zmr::FaultServer::Fault::CloseAfterRequest, 200, true, false, before},
        {"关注", "ZMRFollowTask", zmr::FaultServer::Fault::None, 500, false, false, before},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.serverTask) + (row.serverActs ? "" : ", not acted on"));
        const std::string target = std::string("taskType=") + row.serverTask;
        gateway->setAnswerer([this, target, acts = row.serverActs](const std::string& body) {
            return acts || body.find(target) == std::string::npos ? server->answer(body, origin()) : std::string("{}");
        });
        gateway->setTarget(target);
        gateway->setFault(row.fault);
        gateway->setReply(row.status, "<html>bad gateway</html>");
        const std::size_t asked = gateway->count("/api", "taskType=ZMRUserDetailsTask");
        ASSERT_TRUE(tapText(row.tap));
        ASSERT_TRUE(waitFor([] { return !pf::AlertView::visibleAlerts().empty(); }));
        EXPECT_EQ(alertMessage(), "网络异常，无法确认是否已提交成功，请先查看，再决定是否重新提交");
        EXPECT_EQ(follows(10008), row.following);
        ASSERT_TRUE(waitFor([&] {
            auto profile = screen->detailsController()->dataItem().dictionary();
            return gateway->count("/api", "taskType=ZMRUserDetailsTask") > asked && profile
                && KRDataOutlet::booleanValue(profile->get("isFollow")) == row.following
                && fansLabel(*screen) == std::to_string(row.fans);
        })) << "the page shows " << fansLabel(*screen) << " fans";
        EXPECT_EQ(screen->followButton()->title().value_or(""), row.following ? "已关注" : "关注");
        // The follow list is synced again at once: the stored list follows the server.
        EXPECT_TRUE(waitFor([&] { return (storedNick(10008) != "(none)") == row.following; })) << storedNick(10008);
        for (const auto& alert : pf::AlertView::visibleAlerts())
            alert->dismissWithClickedButtonIndex(0, false);
        EXPECT_TRUE(settle());
    }
}

// A toggle whose answer was lost, and the profile asked for after it lost
// too, however it failed: the page goes back to what the server last
// confirmed (the button, the fans, the mutual badge) and says under the
// profile that the follow is unconfirmed, alerted once. A pull that brings
// the profile shows what the server holds, and the notice goes.
TEST_F(UserDetailsThroughGateway, AToggleWhoseReloadFailsTooGoesBackToWhatTheServerConfirmed)
{
    using Fault = zmr::FaultServer::Fault;
    auto screen = openLoaded(10008);
    ASSERT_TRUE(screen);
    const long long before = fans(10008);
    const std::string notice = "关注状态未能确认，请稍后下拉刷新";
    struct Row {
        const char* tap;
        const char* broken; // the body part of the requests the gateway breaks
        Fault fault;
        int status;
        const char* profile; // the answer to the profile when it is not broken
        bool shownFollowing; // as last confirmed; the user follows back, so mutual then
        long long shownFans;
    } rows[] = {
        {"关注", "config_zmr", Fault::None, 500, nullptr, false, before}, // every request
        {"已关注", "config_zmr", Fault::CloseAfterRequest, 200, nullptr, true, before + 1},
        {"关注", "taskType=ZMRFollowTask", Fault::None, 502, "{}", false, before},
        {"已关注", "taskType=ZMRUnFollowTask", Fault::ResetAfterRequest, 200,
         R"({"error-code":30001,"error":"系统繁忙"})", true, before + 1},
    };
    auto shows = [&](bool following, long long count) {
        return screen->followButton()->title().value_or("") == (following ? "已关注" : "关注") &&
               fansLabel(*screen) == std::to_string(count) && textFrame("互相关注").has_value() == following;
    };
    auto answerProfile = [this](const char* profile) {
        gateway->setAnswerer([this, profile](const std::string& body) {
            return profile && body.find("taskType=ZMRUserDetailsTask") != std::string::npos ? std::string(profile)
                                                                                          : server->answer(body, origin());
        });
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.tap) + " over " + row.broken);
        answerProfile(row.profile);
        gateway->setTarget(row.broken);
        gateway->setFault(row.fault);
        gateway->setReply(row.status, "<html>bad gateway</html>");
        ASSERT_TRUE(tapText(row.tap));
        ASSERT_TRUE(waitFor([&] { return textFrame(notice).has_value(); }))
            << fansLabel(*screen) << " fans, " << screen->followButton()->title().value_or("");
        EXPECT_TRUE(shows(row.shownFollowing, row.shownFans));
        EXPECT_NE(follows(10008), row.shownFollowing) << "the server took the toggle";
        EXPECT_EQ(pf::AlertView::visibleAlerts().size(), 1u) << "the toggle's alert only";
        for (const auto& alert : pf::AlertView::visibleAlerts())
            alert->dismissWithClickedButtonIndex(0, false);

        gateway->setTarget("(no request)");
        answerProfile(nullptr);
        drag({160, 150}, {160, 450}, 0.6);
        EXPECT_TRUE(waitFor([&] { return !textFrame(notice) && shows(follows(10008), fans(10008)); }))
            << fansLabel(*screen) << " fans, " << screen->followButton()->title().value_or("");
        EXPECT_TRUE(settle());
    }
}

// A profile that cannot be had says why in the header, where the name
// would stand, whatever failed; posts that fail too say why under it,
// unless that is the same sentence again (a server or network down): then
// the header alone tells it. A pull that brings the profile puts the name
// there instead, and the posts' failure, told only above so far, shows.
TEST_F(UserDetailsThroughGateway, AFailedProfileSaysWhyInTheHeaderUntilAPullBringsIt)
{
    using Fault = zmr::FaultServer::Fault;
    struct Row {
        long long uid;
        const char* broken; // the body part of the requests the gateway breaks
        Fault fault;
        int status;
        const char* body;
        const char* shown;
        const char* posts; // the posts' status line; none: no failure there
    } rows[] = {
        {99999, "(no request)", Fault::None, 200, "", "用户不存在", nullptr},
        {99999, "taskType=ZMRUserFeedsTask", Fault::None, 500, "<html>down</html>", "用户不存在",
         "服务器出错（500），请稍后重试"},
        {10002, "taskType=ZMRUserDetailsTask", Fault::None, 500, "<html>down</html>", "服务器出错（500），请稍后重试", nullptr},
        {10002, "taskType=ZMRUserDetailsTask", Fault::CloseAfterRequest, 200, "{}", "网络连接失败，请稍后重试", nullptr},
        {10002, "taskType=ZMRUserDetailsTask", Fault::None, 200, "oops", "服务器出错，请稍后重试", nullptr},
        {10002, "taskType=ZMRUserDetailsTask", Fault::None, 200, "[1,2]", "操作失败，错误码：0", nullptr},
        {10002, "taskType=ZMRUserDetailsTask", Fault::None, 200, "{}", "服务器出错，请稍后重试", nullptr}, // no profile
        // The profile and the posts alike ("taskType=ZMRUser" is in both).
        {10002, "taskType=ZMRUser", Fault::None, 500, "<html>down</html>", "服务器出错（500），请稍后重试", ""},
    };
    std::shared_ptr<ZMRUserDetailsViewController> screen;
    auto failure = [&] {
        const auto& label = screen->detailsFailedLabel();
        return label && !label->isHidden() ? label->text() : std::string("(hidden)");
    };
    auto postsFailure = [&] {
        return screen->statusView()->status() == "error" ? screen->failedLabel()->text() : std::string("(none)");
    };
    for (const Row& row : rows) {
        const std::string posts = row.posts ? row.posts : "(none)";
        SCOPED_TRACE(std::string(row.shown) + " over " + posts);
        gateway->setTarget(row.broken);
        gateway->setFault(row.fault);
        gateway->setReply(row.status, row.body);
        ASSERT_TRUE(open("root:///root/fold/center/my")); // a fresh screen each time
        screen = openUser("uid=" + std::to_string(row.uid) + "&nick=x");
        ASSERT_TRUE(screen);
        EXPECT_TRUE(waitFor([&] { return failure() == row.shown && postsFailure() == posts; }))
            << failure() << " over " << postsFailure();
        EXPECT_TRUE(textFrame(row.shown));
        EXPECT_TRUE(screen->followButton()->isHidden());
    }
    gateway->setTarget("taskType=ZMRUserFeedsTask"); // the posts still fail
    drag({160, 150}, {160, 450}, 0.6);
    ASSERT_TRUE(waitFor([&] { return dataForKeyPath(screen->detailsController()->dataItem(), "uid").longLongValue() == 10002; }));
    EXPECT_EQ(failure(), "(hidden)");
    EXPECT_TRUE(waitFor([&] { return postsFailure() == "服务器出错（500），请稍后重试"; })) << postsFailure();
    EXPECT_TRUE(settle());
    EXPECT_TRUE(textFrame("安琪"));
    EXPECT_TRUE(textFrame("服务器出错（500），请稍后重试"));
    EXPECT_FALSE(screen->followButton()->isHidden());
}

// Leaving the screen does not withdraw a follow under way: the server still follows.
TEST_F(UserDetailsScreen, AFollowSentBeforeLeavingStillReachesTheServer)
{
    auto screen = openLoaded(10008);
    ASSERT_TRUE(screen);
    screen->onFollowAction(nullptr);
    screen.reset();
    ASSERT_TRUE(open("root:///root/fold/center/my"));
    EXPECT_TRUE(waitFor([&] { return follows(10008); }));
}

TEST_F(UserDetailsScreen, TheButtonIsHiddenOnOnesOwnProfileAndWithoutAUserNothingIsAsked)
{
    auto own = openLoaded(10001);
    ASSERT_TRUE(own);
    EXPECT_TRUE(own->followButton()->isHidden());
    EXPECT_TRUE(textFrame("演示用户"));

    for (const char* query : {"nick=x", "uid=&nick=x", "uid=abc", "uid=12x", "uid=1e3", "uid=99999999999999999999"}) {
        ASSERT_TRUE(open("root:///root/fold/center/my")); // a fresh screen each time
        auto screen = openUser(query);
        ASSERT_TRUE(screen) << query;
        EXPECT_TRUE(settle());
        EXPECT_EQ(screen->statusView()->status().value_or("-"), "error") << query;
        EXPECT_TRUE(textFrame("找不到这位用户")) << query;
        EXPECT_TRUE(screen->followButton()->isHidden()) << query;
        auto posts = screen->feedController()->dataSource();
        auto profile = screen->detailsController()->dataSource();
        EXPECT_FALSE(posts->isLoaded() || posts->isLoading() || profile->isLoaded() || profile->isLoading()) << query;
    }
}

// A profile answer that is no dictionary keeps the shown document and its
// height; a dictionary one refreshes the stored follow-list row of the user.
TEST_F(UserDetailsScreen, OnlyADictionaryProfileReplacesTheDocument)
{
    auto screen = openLoaded(10002);
    ASSERT_TRUE(screen);
    auto details = screen->detailsController();
    auto source = std::dynamic_pointer_cast<ZMRUserDetailsDataSource>(details->dataSource());
    ASSERT_TRUE(source);
    const auto document = details->document();
    const double height = screen->detailsTableViewCell()->frame().height();
    for (const char* answer : {R"({"profile": [{"uid": 10003, "title": "B"}]})", R"({"profile": "x"})", R"({"profile": null})",
                               R"([1])", R"({})"}) {
        source->krDownlinkTaskDidLoaded(decodeJSONValue(answer), nullptr);
        EXPECT_EQ(details->document(), document) << answer;
        EXPECT_EQ(screen->detailsTableViewCell()->frame().height(), height) << answer;
        EXPECT_EQ(dataForKeyPath(details->dataItem(), "uid").longLongValue(), 10002) << answer;
    }
    // Fans are a whole number in [0, 2^31 - 1], whatever the server says.
    struct Row {
        const char* fansCount;
        int count;
    } rows[] = {{R"(-3)", 0}, {R"("-3")", 0}, {R"(1e300)", INT_MAX}, {R"("x")", 0}, {R"([5])", 0}, {R"("12")", 12}, {R"(7)", 7}};
    for (const Row& row : rows) {
        std::string answer = std::string(R"({"profile": {"uid": 10002, "title": "安琪", "fansCount": )") + row.fansCount + "}}";
        source->krDownlinkTaskDidLoaded(decodeJSONValue(answer), nullptr);
        EXPECT_NE(details->document(), document);
        EXPECT_EQ(details->fansCount(), row.count) << row.fansCount;
        EXPECT_EQ(fansLabel(*screen), std::to_string(row.count)) << row.fansCount;
    }
}

// A post tapped on the user's page opens with that post as the details'
// head, whatever post was focused before.
TEST_F(UserDetailsScreen, APostTappedOnTheUsersPageHeadsItsDetails)
{
    auto screen = openLoaded(10002);
    ASSERT_TRUE(screen);
    auto posts = screen->feedController()->dataSource();
    ASSERT_GE(posts->count(), 2u);
    pf::Value other = posts->dataObjectAtIndex(0), tapped = posts->dataObjectAtIndex(1);
    shell->setFocusValue(other, "feed");
    screen->feedController()->tableView()->scrollToRowAtIndexPath({0, 2}, pf::TableViewScrollPosition::Top, false);
    ASSERT_TRUE(settle());
    ASSERT_TRUE(tapText(dataForKeyPath(tapped, "body").stringOr()));
    std::shared_ptr<ZMRFeedDetailsViewController> details;
    ASSERT_TRUE(waitFor([&] { return bool(details = topController<ZMRFeedDetailsViewController>()); }));
    const long long pid = dataForKeyPath(tapped, "pid").longLongValue();
    EXPECT_NE(pid, dataForKeyPath(other, "pid").longLongValue());
    EXPECT_EQ(dataForKeyPath(details->documentController()->dataItem(), "pid").longLongValue(), pid);
}

// Entries alternate "#f8ece5" (index 0) and "#f7e3db" by their own place in
// the list, equal ones too.
TEST_F(UserDetailsScreen, RowsAlternateByTheirOwnIndex)
{
    auto screen = openLoaded(10002);
    ASSERT_TRUE(screen);
    auto feed = screen->feedController();
    auto objects = feed->dataSource()->dataObjects();
    objects->clear();
    for (int i = 0; i < 4; ++i) // equal entries: each its own row
        objects->add(pf::Value(pf::Dictionary::create({{"pid", 7}, {"body", "同一条"}})));
    const char* expected[] = {"#f8ece5", "#f7e3db", "#f8ece5", "#f7e3db"};
    feed->tableView()->reloadData();
    EXPECT_EQ(feed->tableViewNumberOfRowsInSection(*feed->tableView(), 0), 5) << "the header and four rows";
    for (int i = 0; i < 4; ++i) {
        auto document = feed->documentByIndexPath({0, i + 1});
        auto bg = document ? document->elementById("bg") : nullptr;
        ASSERT_TRUE(bg) << i;
        EXPECT_EQ(bg->attributeValueForKey("background-color").value_or(""), expected[i]) << i;
    }
    objects->clear();
    feed->tableView()->reloadData();
    EXPECT_EQ(feed->tableViewNumberOfRowsInSection(*feed->tableView(), 0), 1) << "the profile stays without posts";
}

}
