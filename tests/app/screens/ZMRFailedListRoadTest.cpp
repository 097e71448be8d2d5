// Every list screen whose load fails over an empty list says why, as the
// home does, with the server's answers broken by a gateway one server task
// at a time; rows already shown stay without a notice.

#include "AppScreenTest.h"

#include "app/screens/feed/ZMRFeedDetailsViewController.h"
#include "app/screens/people/ZMRRelationViewController.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/KRJSON.h"
#include "framework/data/KRTableViewCell.h"
#include "framework/db/KRDBContext.h"
#include "framework/db/KRSqlite.h"
#include "platform/controls/SegmentedControl.h"

#include <cstdlib>

namespace {

using Fault = zmr::FaultServer::Fault;

class FailedListRoad : public AppScreenTest {
protected:
    FailedListRoad() : AppScreenTest(Start::SignedIn, Resources::Source, Route::Gateway) {}

    void breakTask(const std::string& serverTask, Fault fault, int status = 200, std::string body = R"({"error-code":0})")
    {
        gateway->setFault(fault);
        gateway->setReply(status, std::move(body));
        gateway->setTarget("taskType=" + serverTask);
    }
    // The text shows on the screen, below the title bar.
    ::testing::AssertionResult shows(const std::string& text)
    {
        if (!waitFor([&] { return viewWithText(text) != nullptr; }))
            return ::testing::AssertionFailure() << "no view shows " << text;
        EXPECT_TRUE(settle());
        auto frame = textFrame(text);
        if (!frame || frame->y() < 44 || frame->maxY() > 568 || frame->x() < 0 || frame->maxX() > 320)
            return ::testing::AssertionFailure() << text << " is not on the screen";
        if (const char* shots = std::getenv("ZMR_FAILED_LIST_SHOTS"))
            writePng(std::string(shots) + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-"
                     + std::to_string(++m_shots) + ".png");
        return ::testing::AssertionSuccess();
    }
    void showFans()
    {
        auto relation = topController<ZMRRelationViewController>();
        ASSERT_TRUE(relation && relation->segmentedControl());
        pf::Rect frame = relation->segmentedControl()->convertRectToView(relation->segmentedControl()->bounds(), nullptr);
        tap({frame.x() + frame.width() * 3 / 4, frame.midY()});
    }

private:
    int m_shots = 0;
};

}

TEST_F(FailedListRoad, AListThatFailsEmptySaysWhyAndOneWithRowsKeepsThem)
{
    const std::string network = "网络连接失败，请稍后重试";
    struct Row {
        const char* name;
        const char* serverTask;
        Fault fault;
        int status;
        const char* body;
        const char* url;
        bool fans;
        std::string message;
        long long post = 0; // the details' head, handed on as a list does
    } rows[] = {
        {"comments", "ZMRCommentsTask", Fault::None, 500, "<html>down</html>", "root:///root/fold/center/comment", false,
         "服务器出错（500），请稍后重试"},
        {"details", "ZMRCommentsTask", Fault::CloseAfterRequest, 200, "{}", "root:///root/fold/center/home/feed-details?pid=1",
         false, network, 1},
        {"prizes", "ZMRPrizeListTask", Fault::None, 200, "<html>maintenance</html>", "root:///root/fold/center/prizelist",
         false, "服务器出错，请稍后重试"},
        {"user page", "ZMRUser", Fault::Oversized, 200, "", "root:///root/fold/center/user-details?uid=10008&nick=x", false,
         "服务器出错，请稍后重试"},
        {"fans", "ZMRFansTask", Fault::ResetAfterRequest, 200, "{}", "root:///root/fold/center/relation", true, network},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        breakTask(row.serverTask, row.fault, row.status, row.body);
        if (row.post) {
            auto json = store->postJson(row.post, 10001, origin());
            ASSERT_TRUE(json);
            shell->setFocusValue(KRJSON::decodeText(*json), "feed");
        }
        ASSERT_TRUE(open(row.url));
        if (row.fans)
            showFans();
        EXPECT_TRUE(shows(row.message));
        if (auto details = topController<ZMRFeedDetailsViewController>()) {
            auto head = details->detailsTableViewCell();
            pf::Rect headFrame = head->convertRectToView(head->bounds(), nullptr);
            EXPECT_GT(headFrame.height(), 100);
            EXPECT_GE(textFrame(row.message)->y(), headFrame.maxY()) << "the failure stands under the post";
        }
        EXPECT_FALSE(viewWithText("网络异常，无法确认是否已提交成功，请先查看，再决定是否重新提交"));
        gateway->setTarget("");
        ASSERT_TRUE(open("root:///root/fold/center/home"));
    }

    // The follow list is the stored one: with rows stored a failed sync
    // leaves them shown, with nothing stored it says why.
    ASSERT_TRUE(waitFor([&] { return shell->concernVersion() != 0; })) << "the sign-in's follow-list sync";
    breakTask("ZMRUserConcernTask", Fault::None, 500, "<html>down</html>");
    shell->setHasConcernChanged(true);
    ASSERT_TRUE(open("root:///root/fold/center/relation"));
    ASSERT_TRUE(waitFor([&] { return !shell->hasConcernChanged() || gateway->count("/api", "ZMRUserConcernTask") > 0; }));
    EXPECT_TRUE(settle());
    EXPECT_TRUE(textFrame("安琪"));
    EXPECT_FALSE(viewWithText("服务器出错（500），请稍后重试"));

    ASSERT_TRUE(open("root:///root/fold/center/home"));
    ASSERT_TRUE(shell->userDBContext()->db()->execture("DELETE FROM [ZMRConcernObject]"));
    shell->setConcernVersion(0);
    shell->setHasConcernChanged(true);
    ASSERT_TRUE(open("root:///root/fold/center/relation"));
    EXPECT_TRUE(shows("服务器出错（500），请稍后重试"));
    // An unfollow sent from a person's page meanwhile reads the list again;
    // while that fails too, nothing is shown and the failure stays said.
    const std::size_t syncs = gateway->count("/api", "ZMRUserConcernTask");
    auto unfollow = std::make_shared<ZMRUnFollowTask>();
    unfollow->setTuid(10005); // 丁一
    ASSERT_TRUE(shell->handle(proto::IZMRUnFollowTask(), unfollow, 0));
    EXPECT_TRUE(waitFor([&] { return gateway->count("/api", "ZMRUserConcernTask") > syncs; })) << "the unfollow syncs";
    EXPECT_TRUE(shows("服务器出错（500），请稍后重试"));

    // Opening the screen again is the retry.
    gateway->setTarget("");
    ASSERT_TRUE(open("root:///root/fold/center/home"));
    ASSERT_TRUE(open("root:///root/fold/center/relation"));
    EXPECT_TRUE(waitFor([&] { return textFrame("安琪").has_value(); }));
    EXPECT_FALSE(viewWithText("服务器出错（500），请稍后重试"));
}
