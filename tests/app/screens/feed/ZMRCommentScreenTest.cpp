// The signed-in user's comment screen on the fixture, against the seeded
// world, reached from the side menu: a reply link opening the user replied
// to, and a row opening its post.

#include "tests/app/screens/AppScreenTest.h"

#include "app/screens/feed/ZMRCommentListController.h"
#include "app/screens/feed/ZMRCommentViewController.h"
#include "app/screens/feed/ZMRFeedDetailsViewController.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/core/QueryValue.h"
#include "framework/data/KRDataSource.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/TableView.h"
#include "platform/foundation/Collections.h"

namespace {

class CommentScreen : public AppScreenTest {
protected:
    // By address, or as a person does: the side menu's "评论".
    std::shared_ptr<ZMRCommentViewController> openComments(bool fromMenu = false)
    {
        if (fromMenu) {
            tap({24, 42}); // the home screen's menu button
            EXPECT_TRUE(tapText("评论"));
        } else {
            EXPECT_TRUE(open("root:///root/fold/center/comment"));
        }
        auto screen = topController<ZMRCommentViewController>();
        EXPECT_TRUE(screen);
        if (!screen)
            return nullptr;
        auto source = screen->listController()->dataSource();
        EXPECT_TRUE(waitFor([&] { return source->isLoaded() && !source->isLoading(); }));
        EXPECT_TRUE(settle());
        return screen;
    }
    // The first row whose item satisfies `match`, scrolled into view.
    std::optional<int> showRow(const std::shared_ptr<ZMRCommentViewController>& screen,
                               const std::function<bool(const pf::Value&)>& match)
    {
        auto source = screen->listController()->dataSource();
        for (std::size_t i = 0; i < source->count(); ++i) {
            if (!match(source->dataObjectAtIndex(i)))
                continue;
            screen->listController()->tableView()->scrollToRowAtIndexPath({0, int(i)}, pf::TableViewScrollPosition::Top, false);
            EXPECT_TRUE(settle());
            return int(i);
        }
        return std::nullopt;
    }
    // Where the element `find` picks in a row is on the screen.
    pf::Rect elementOnScreen(const std::shared_ptr<ZMRCommentViewController>& screen, int row,
                             const std::function<const KRDOMElement*(const KRDOMElement&)>& find)
    {
        auto controller = screen->listController();
        auto document = controller->documentByIndexPath({0, row});
        const KRDOMElement* element = find(*document->rootElement());
        EXPECT_TRUE(element);
        if (!element)
            return {};
        pf::Rect inRow = element->convertRect({{0, 0}, element->frame().size}, document->rootElement().get());
        auto table = controller->tableView();
        pf::Rect cell = table->convertRectToView(table->rectForRowAtIndexPath({0, row}), nullptr);
        return inRow.offsetBy(cell.x(), cell.y());
    }
};

const KRDOMElement* withAction(const KRDOMElement& element, std::string_view name)
{
    if (element.attributeValueForKey("action-name") == name)
        return &element;
    for (const auto& child : element.childs()) {
        if (auto found = withAction(*child, name))
            return found;
    }
    return nullptr;
}

}

TEST_F(CommentScreen, AReplyLinkOpensTheUserRepliedToAndARowOpensItsPost)
{
    auto screen = openComments(true);
    ASSERT_TRUE(screen);
    EXPECT_EQ(screen->statusView()->status(), std::nullopt) << "loaded";
    // The seeded reply between two others under the demo account's post.
    auto row = showRow(screen, [](const pf::Value& item) { return dataForKeyPath(item, "reply.user.uid").longLongValue() == 10005; });
    ASSERT_TRUE(row);
    // The link follows "回复: " at the start of the row's text.
    pf::Rect rich = elementOnScreen(screen, *row, [](const KRDOMElement& root) {
        const KRDOMElement* reply = withAction(root, "reply");
        return reply && !reply->childs().empty() ? reply->childs().front().get() : nullptr;
    });
    ASSERT_FALSE(rich.isEmpty());
    pf::Point link{rich.x() + 52, rich.y() + 9};
    tap(link);
    EXPECT_EQ(topURL().rfind("root:///root/fold/center/comment/user-details?", 0), 0u) << topURL();
    EXPECT_NE(topURL().find("uid=10005"), std::string::npos) << topURL();

    screen = openComments();
    ASSERT_TRUE(screen);
    row = showRow(screen, [](const pf::Value& item) { return dataForKeyPath(item, "publish.pid").longLongValue() == 27; });
    ASSERT_TRUE(row);
    pf::Value publish = dataForKeyPath(screen->listController()->dataSource()->dataObjectAtIndex(std::size_t(*row)), "publish");
    pf::Rect feed = elementOnScreen(screen, *row, [](const KRDOMElement& root) { return withAction(root, "feed"); });
    tap({feed.midX(), feed.midY()});
    EXPECT_EQ(topURL(), "root:///root/fold/center/comment/feed-details?pid=27");
    EXPECT_EQ(shell->focusValueForKey("feed").dictionary(), publish.dictionary());
    auto details = topController<ZMRFeedDetailsViewController>();
    ASSERT_TRUE(details);
    auto comments = details->commentListController()->dataSource();
    EXPECT_TRUE(waitFor([&] { return comments->isLoaded() && !comments->isLoading(); }));
    EXPECT_TRUE(settle());
    EXPECT_TRUE(textFrame(dataForKeyPath(publish, "body").stringOr()));
    EXPECT_GE(comments->count(), 4u);
}
