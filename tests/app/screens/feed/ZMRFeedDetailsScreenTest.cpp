// The feed details and the comment composer on the fixture, against the
// seeded world: the head over the comments, row colours, comments and
// replies sent through the composer, likes, and the composer's own rules.

#include "tests/app/screens/AppScreenTest.h"
#include "tests/platform/graphics/PixelProbe.h"

#include "app/screens/feed/ZMRCommentListController.h"
#include "app/screens/feed/ZMRFeedDetailsViewController.h"
#include "app/screens/feed/ZMRPublishCommentViewController.h"
#include "app/screens/shared/ZMRRowTint.h"
#include "framework/core/KRJSON.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/core/QueryValue.h"
#include "framework/data/KRDataSource.h"
#include "framework/data/KRTableViewCell.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMLabelElement.h"
#include "framework/dom/KRDOMParse.h"
#include "framework/dom/KRDOMSource.h"
#include "framework/dom/KRDOMView.h"
#include "framework/ui/KRActionControls.h"
#include "framework/ui/KRPopWindow.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/AlertView.h"
#include "platform/controls/Button.h"
#include "platform/controls/Keyboard.h"
#include "platform/controls/Label.h"
#include "platform/controls/TableView.h"
#include "platform/controls/TextField.h"
#include "platform/foundation/Boxed.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Application.h"

namespace {

constexpr long long kDemo = 10001;
// A post of the demo account with four seeded comments, two of them replies.
constexpr long long kTalkedPost = 27;
// A post nobody commented on.
constexpr long long kQuietPost = 3;

TEST(FeedDetailsRules, TheHeadIsTheDocumentLessTwentyPointsNeverBelowZero)
{
    struct Row {
        double content, head;
    } rows[] = {{300, 280}, {20.5, 0.5}, {20, 0}, {12, 0}, {0, 0}};
    for (const Row& row : rows)
        EXPECT_EQ(ZMRFeedDetailsViewController::headHeight(row.content), row.head) << row.content;
}

TEST(FeedDetailsRules, ARowIsFoundByIdentityNotByEquality)
{
    auto first = pf::Dictionary::create({{"body", "同样的话"}});
    auto twin = pf::Dictionary::create({{"body", "同样的话"}});
    auto objects = pf::Array::create({pf::Value(first), pf::Value(twin)});
    EXPECT_EQ(ZMRIndexOfObjectIdenticalTo(*objects, pf::Value(first)), 0u);
    EXPECT_EQ(ZMRIndexOfObjectIdenticalTo(*objects, pf::Value(twin)), 1u);
    EXPECT_FALSE(ZMRIndexOfObjectIdenticalTo(*objects, pf::Value(pf::Dictionary::create())));
    EXPECT_FALSE(ZMRIndexOfObjectIdenticalTo(*objects, pf::Value("同样的话")));
}

// A row's reply element as the template writes it, with the nick encoded
// into its attribute.
TEST(FeedDetailsRules, AReplyComposerIsTitledWithTheNickAsWritten)
{
    struct Row {
        const char* cid;
        const char* nick;
        const char* url; // nothing when no composer opens
    } rows[] = {
        {"7", "安琪", "pop:///publish-comment?cid=7&title=%E5%9B%9E%E5%A4%8D%3A+%E5%AE%89%E7%90%AA"},
        {"9", "", "pop:///publish-comment?cid=9&title=%E5%9B%9E%E5%A4%8D%3A+"},
        {"", "安琪", nullptr},
    };
    for (const Row& row : rows) {
        auto document = KRDOMDocument::create();
        std::string markup = "<action action-name=\"reply\" cid=\"" + htmlEncodeString(row.cid) + "\" nick=\"" +
            htmlEncodeString(row.nick) + "\"></action>";
        KRDOMParse().parseHTML(markup, *document);
        ASSERT_TRUE(document->rootElement()) << markup;
        auto url = ZMRReplyComposerURL(*document->rootElement());
        EXPECT_EQ(url ? url->absoluteString() : "(none)", row.url ? row.url : "(none)") << row.nick;
        if (url)
            EXPECT_EQ(queryValues(*url)->get("title").stringOr(), std::string("回复: ") + row.nick);
    }
}

class FeedDetailsScreen : public AppScreenTest {
protected:
    void TearDown() override
    {
        for (const auto& alert : pf::AlertView::visibleAlerts())
            alert->dismissWithClickedButtonIndex(0, false);
        KRPopWindow::closeAll();
        AppScreenTest::TearDown();
    }
    pf::DictionaryRef post(long long pid)
    {
        auto json = store->postJson(pid, kDemo, origin());
        EXPECT_TRUE(json);
        return KRJSON::decodeText(json.value_or("{}")).dictionary();
    }
    // The details of `pid`, opened from a list that handed on its entry.
    std::shared_ptr<ZMRFeedDetailsViewController> openDetails(long long pid, bool withEntry = true)
    {
        entry = withEntry ? post(pid) : nullptr;
        shell->setFocusValue(entry ? pf::Value(entry) : pf::Value(), "feed");
        EXPECT_TRUE(open("root:///root/fold/center/home")); // a fresh screen each time
        EXPECT_TRUE(open("root:///root/fold/center/home/feed-details?pid=" + std::to_string(pid)));
        return shownDetails();
    }
    // The details screen on top, once its comments came.
    std::shared_ptr<ZMRFeedDetailsViewController> shownDetails()
    {
        auto details = topController<ZMRFeedDetailsViewController>();
        EXPECT_TRUE(details);
        if (!details)
            return nullptr;
        auto comments = details->commentListController()->dataSource();
        EXPECT_TRUE(waitFor([&] { return comments->isLoaded() && !comments->isLoading(); }));
        EXPECT_TRUE(settle());
        return details;
    }
    std::shared_ptr<ZMRPublishCommentViewController> composer() const
    {
        auto window = KRPopWindow::topPopWindow();
        auto root = window ? window->rootViewController() : nullptr;
        return std::dynamic_pointer_cast<ZMRPublishCommentViewController>(root);
    }
    std::shared_ptr<ZMRPublishCommentViewController> openComposer()
    {
        EXPECT_TRUE(tapText("写评论"));
        auto opened = composer();
        EXPECT_TRUE(opened);
        return opened;
    }
    void send(const std::shared_ptr<ZMRPublishCommentViewController>& opened, std::string_view text)
    {
        type(text);
        pf::Rect button = opened->sendButton()->convertRectToView(opened->sendButton()->bounds(), nullptr);
        tap({button.midX(), button.midY()});
    }
    long long serverComments(long long pid) { return store->comments(pid, 0, 0, 1000, origin()).total; }
    std::string label(const std::shared_ptr<ZMRFeedDetailsViewController>& details, std::string_view id)
    {
        auto element = details->documentController()->document()->elementById(id);
        return element ? element->text() : "(none)";
    }
    // Where an element of the head's document is on the screen.
    pf::Rect elementOnScreen(const std::shared_ptr<ZMRFeedDetailsViewController>& details, std::string_view id)
    {
        auto view = std::dynamic_pointer_cast<KRDOMView>(details->documentController()->documentView());
        auto element = details->documentController()->document()->elementById(id);
        if (!view || !element)
            return {};
        pf::Rect frame = element->frame();
        for (auto parent = element->parentElement(); parent && parent != view->element(); parent = parent->parentElement())
            frame = frame.offsetBy(parent->frame().x(), parent->frame().y());
        return view->convertRectToView(frame, nullptr);
    }
    // Where a row is on the screen.
    pf::Rect rowOnScreen(const std::shared_ptr<ZMRFeedDetailsViewController>& details, int row)
    {
        auto table = details->commentListController()->tableView();
        return table->convertRectToView(table->rectForRowAtIndexPath({0, row}), nullptr);
    }
    static std::string alertMessage()
    {
        auto alerts = pf::AlertView::visibleAlerts();
        return alerts.empty() ? "(none)" : alerts.back()->message();
    }

    pf::DictionaryRef entry;
};

}

TEST_F(FeedDetailsScreen, AnotherPostOpenedOverTheShownOneGetsAScreenOfItsOwn)
{
    auto talked = openDetails(kTalkedPost);
    ASSERT_TRUE(talked);
    // Straight from these details to another post's, as a link in them would.
    entry = post(kQuietPost);
    // Markup the server put in "html" is not the head's: the body is.
    entry->set("html", "<label>服务器标记</label>");
    shell->setFocusValue(pf::Value(entry), "feed");
    std::string quietUrl = "root:///root/fold/center/home/feed-details?pid=" + std::to_string(kQuietPost);
    ASSERT_TRUE(open(quietUrl));
    auto quiet = shownDetails();
    ASSERT_TRUE(quiet);
    EXPECT_NE(quiet, talked);
    EXPECT_EQ(quiet->commentListController()->dataSource()->count(), 0u) << "the quiet post has no comments";
    EXPECT_TRUE(textFrame(dataForKeyPath(pf::Value(entry), "body").stringOr()));
    EXPECT_FALSE(textFrame("服务器标记"));

    // The same address again keeps the screen.
    ASSERT_TRUE(open(quietUrl));
    EXPECT_EQ(shownDetails(), quiet);
}

TEST_F(FeedDetailsScreen, TheHeadSitsOverTheCommentsInAlternatingColours)
{
    auto details = openDetails(kTalkedPost);
    ASSERT_TRUE(details);
    EXPECT_FALSE(entry->contains("__document__")) << "the list's row document is not the head";
    auto rows = details->commentListController();
    auto table = rows->tableView();
    ASSERT_EQ(rows->dataSource()->count(), 4u);
    ASSERT_EQ(table->numberOfRowsInSection(0), 5) << "the head and four comments";
    double content = details->documentController()->contentSize().height;
    EXPECT_GT(content, 300);
    EXPECT_EQ(details->detailsTableViewCell()->frame().height(), content - 20);
    EXPECT_EQ(table->rectForRowAtIndexPath({0, 0}).height(), content - 20);
    EXPECT_TRUE(textFrame(dataForKeyPath(pf::Value(entry), "body").stringOr()));

    // The people who liked it show in the head, which grew to hold them.
    ASSERT_TRUE(waitFor([&] { return label(details, "likeUserContent") != "(none)" &&
                                     !details->documentController()->document()->elementById("likeUserContent")->childs().empty(); }));
    ASSERT_TRUE(settle());
    EXPECT_EQ(details->detailsTableViewCell()->frame().height(), details->documentController()->contentSize().height - 20);
    // The heart stands left of the portraits, on their middle (27 points
    // down the strip), not on the strip's middle (31).
    table->setContentOffset(pf::Point{0, 200});
    ASSERT_TRUE(settle());
    pf::Rect strip = elementOnScreen(details, "likeContent");
    ASSERT_GT(strip.height(), 0);
    EXPECT_TRUE(pixelIs({strip.x() + 5, strip.y() + 21}, pf::Color::fromRgbHex(0xe83a3a), 24)) << "the heart's top";
    EXPECT_TRUE(pixelIs({strip.x() + 9, strip.y() + 34}, pf::Color::whiteColor(), 24)) << "below the heart's point";

    table->scrollToRowAtIndexPath({0, 2}, pf::TableViewScrollPosition::Top, false);
    ASSERT_TRUE(settle());
    const char* colours[] = {"#f8ece5", "#f7e3db", "#f8ece5", "#f7e3db"};
    for (int i = 0; i < 4; ++i) {
        auto bg = rows->documentByIndexPath({0, i + 1})->elementById("bg");
        ASSERT_TRUE(bg);
        EXPECT_EQ(bg->attributeValueForKey("background-color").value_or(""), colours[i]) << "comment " << i;
    }
    // Rows 2 and 3 (the second and third comments) are on show.
    pf::Rect second = rowOnScreen(details, 2), third = rowOnScreen(details, 3);
    EXPECT_TRUE(pixelIs({second.maxX() - 3, second.y() + 3}, pf::Color::fromRgbHex(0xf7e3db)));
    EXPECT_TRUE(pixelIs({third.maxX() - 3, third.y() + 3}, pf::Color::fromRgbHex(0xf8ece5)));
}

TEST_F(FeedDetailsScreen, APostWithoutCommentsStillShowsItsHeadAndNoEntryShowsAnEmptyOne)
{
    auto details = openDetails(kQuietPost);
    ASSERT_TRUE(details);
    EXPECT_EQ(details->commentListController()->dataSource()->count(), 0u);
    EXPECT_EQ(details->commentListController()->tableView()->numberOfRowsInSection(0), 1);
    EXPECT_GT(details->detailsTableViewCell()->frame().height(), 200);
    EXPECT_TRUE(textFrame(dataForKeyPath(pf::Value(entry), "body").stringOr()));

    // Opened without the entry (by address alone): the comments still come.
    details = openDetails(kTalkedPost, false);
    ASSERT_TRUE(details);
    EXPECT_EQ(details->detailsTableViewCell()->frame().height(), 0);
    EXPECT_EQ(details->commentListController()->dataSource()->count(), 4u);
}

TEST_F(FeedDetailsScreen, ACommentRaisesTheHeadsCountAndJoinsTheListWhileACancelledOneChangesNothing)
{
    auto details = openDetails(kTalkedPost);
    ASSERT_TRUE(details);
    EXPECT_EQ(label(details, "comment-label"), "4");

    // Closed without sending: a later success anywhere must not count here.
    ASSERT_TRUE(openComposer());
    tap({160, 100});
    EXPECT_FALSE(composer());
    shell->setResultsData(pf::Value(true));
    EXPECT_TRUE(settle());
    EXPECT_EQ(label(details, "comment-label"), "4");
    EXPECT_EQ(entry->get("commentCount").longLongValue(), 4);

    auto opened = openComposer();
    ASSERT_TRUE(opened);
    EXPECT_EQ(queryValues(*opened->url())->get("pid").stringOr(), std::to_string(kTalkedPost));
    // The dimmed area does not close a composer whose comment is on its way
    // (touched in the same turn as the send, before any answer can come).
    type("楼主好眼光");
    auto dimmed = std::dynamic_pointer_cast<KRButton>(opened->view()->hitTest({160, 100}));
    ASSERT_TRUE(dimmed);
    opened->onSendAction(nullptr);
    ASSERT_TRUE(opened->isSending());
    auto window = KRPopWindow::topPopWindow();
    dimmed->sendActionsForControlEvents(pf::ControlEvent::TouchUpInside);
    // Nor does the back (Escape): the first lets the keyboard go, the second
    // reaches the composer, which stays.
    pf::Application::shared().goBack();
    pf::Application::shared().goBack();
    EXPECT_EQ(composer(), opened);
    EXPECT_FALSE(window->isAnimating()) << "not closing";
    auto comments = details->commentListController()->dataSource();
    ASSERT_TRUE(waitFor([&] { return comments->count() == 5 && !comments->isLoading(); }));
    EXPECT_TRUE(settle());
    EXPECT_FALSE(composer());
    EXPECT_EQ(serverComments(kTalkedPost), 5);
    EXPECT_EQ(label(details, "comment-label"), "5");
    EXPECT_EQ(entry->get("commentCount").longLongValue(), 5) << "the list's entry is the same dictionary";
    EXPECT_EQ(dataForKeyPath(comments->dataObjectAtIndex(4), "body").stringOr(), "楼主好眼光");

    // The waiting callback does not keep the screen: gone by the time the
    // comment is sent, it is left alone.
    opened = openComposer();
    ASSERT_TRUE(opened);
    std::weak_ptr<ZMRFeedDetailsViewController> gone = details;
    details.reset();
    ASSERT_TRUE(open("root:///root/fold/center/home"));
    EXPECT_TRUE(gone.expired());
    send(opened, "再来一条");
    ASSERT_TRUE(waitFor([&] { return serverComments(kTalkedPost) == 6; }));
    EXPECT_TRUE(settle());
    EXPECT_EQ(entry->get("commentCount").longLongValue(), 5);
}

TEST_F(FeedDetailsScreen, AReplyIsTitledWithTheNickAndReachesTheCommentReplied)
{
    zmr::AppUser odd;
    ASSERT_EQ(store->addUser("xiaomi", "pw-xiaomi", "小 <米>", odd), zmr::AppStore::Outcome::Ok);
    auto made = store->addComment(odd.uid, kTalkedPost, 0, "有优惠券吗");
    ASSERT_TRUE(made);
    auto details = openDetails(kTalkedPost);
    ASSERT_TRUE(details);
    details->commentListController()->tableView()->scrollToRowAtIndexPath({0, 5}, pf::TableViewScrollPosition::Top, false);
    ASSERT_TRUE(settle());
    ASSERT_TRUE(tapText("有优惠券吗"));
    auto opened = composer();
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->titleLabel()->text(), "回复: 小 <米>");
    auto query = queryValues(*opened->url());
    EXPECT_EQ(query->get("cid").stringOr(), std::to_string(made->first));
    EXPECT_FALSE(query->contains("pid"));

    send(opened, "有的，结账时出示");
    ASSERT_TRUE(waitFor([&] { return serverComments(kTalkedPost) == 6; }));
    auto page = store->comments(kTalkedPost, 0, 0, 100, origin());
    auto last = KRJSON::decodeText(page.items.back());
    EXPECT_EQ(dataForKeyPath(last, "body").stringOr(), "有的，结账时出示");
    EXPECT_EQ(dataForKeyPath(last, "uid").longLongValue(), kDemo);
    EXPECT_EQ(dataForKeyPath(last, "reply.cid").longLongValue(), made->first);
}

TEST_F(FeedDetailsScreen, ALikeInTheHeadMovesTheServersCountAndTheStrip)
{
    auto details = openDetails(kQuietPost);
    ASSERT_TRUE(details);
    auto document = details->documentController()->document();
    auto strip = [&] { return document->elementById("likeUserContent")->childs().size(); };
    ASSERT_TRUE(waitFor([&] { return !details->documentController()->topLikeDataSource()->isLoading(); }));
    EXPECT_TRUE(settle());
    const std::size_t before = strip();
    const long long count = entry->get("likedCount").longLongValue();
    ASSERT_FALSE(entry->get("liked").boolValue());
    ASSERT_LT(before, 5u);

    auto like = document->elementById("liked-img");
    pf::Rect at = like->convertRect({{0, 0}, like->frame().size}, document->rootElement().get());
    pf::Rect head = details->detailsTableViewCell()->convertRectToView(details->detailsTableViewCell()->bounds(), nullptr);
    tap({head.x() + at.midX(), head.y() + at.midY()});
    EXPECT_EQ(label(details, "liked-label"), std::to_string(count + 1));
    auto stored = [&] {
        auto json = KRJSON::decodeText(store->postJson(kQuietPost, kDemo, origin()).value_or("{}"));
        return dataForKeyPath(json, "likedCount").longLongValue();
    };
    EXPECT_TRUE(waitFor([&] { return stored() == count + 1 && strip() == before + 1; }));
    EXPECT_TRUE(settle());
    EXPECT_EQ(details->detailsTableViewCell()->frame().height(), details->documentController()->contentSize().height - 20);
}

TEST_F(FeedDetailsScreen, TheComposerRefusesBlanksAndSendsTheIdsOfItsQuery)
{
    auto details = openDetails(kQuietPost);
    ASSERT_TRUE(details);
    auto opened = openComposer();
    ASSERT_TRUE(opened);
    opened->textField()->setText("\u3000 \u00a0\t\n");
    send(opened, "");
    EXPECT_EQ(alertMessage(), "请输入内容");
    EXPECT_EQ(serverComments(kQuietPost), 0);
    EXPECT_TRUE(composer()) << "still open for another try";
    for (const auto& alert : pf::AlertView::visibleAlerts())
        alert->dismissWithClickedButtonIndex(0, false);

    // A comment on the post: its id alone; the trimmed text. While the
    // server holds its answer, the composer shows that it is sending.
    opened->textField()->setText("");
    type("\u3000便宜\u00a0");
    server->hold();
    host->tap(middleOf(opened->sendButton()));
    ASSERT_TRUE(waitFor([&] { return server->heldRequests() > 0; }, 5)) << "the comment was sent";
    EXPECT_EQ(opened->statusView()->status(), std::optional<std::string>("loading"));
    EXPECT_EQ(composer(), opened);
    server->release();
    ASSERT_TRUE(waitFor([&] { return serverComments(kQuietPost) == 1; }));
    auto first = KRJSON::decodeText(store->comments(kQuietPost, 0, 0, 10, origin()).items.at(0));
    EXPECT_EQ(dataForKeyPath(first, "body").stringOr(), "便宜");
    EXPECT_TRUE(dataForKeyPath(first, "reply").isNil());
}

TEST_F(FeedDetailsScreen, TheBarRidesOnTheKeyboardOneSlideAtATime)
{
    auto details = openDetails(kQuietPost);
    ASSERT_TRUE(details);
    auto opened = openComposer();
    ASSERT_TRUE(opened);
    auto bar = opened->contentView();
    const double height = bar->superview()->bounds().height();
    ASSERT_TRUE(opened->textField()->isFirstResponder());
    EXPECT_EQ(bar->frame().y(), height - bar->frame().height() - pf::Keyboard::shared().frame().height());
    pf::Rect barOnScreen = bar->convertRectToView(bar->bounds(), nullptr);
    EXPECT_TRUE(pixelIs({barOnScreen.x() + 4, barOnScreen.maxY() - 4}, pf::Color::fromRgbHex(0xf4f4f4)));

    auto keyboard = [&](const std::string& name, double h) {
        auto info = pf::Dictionary::create();
        info->set(pf::KeyboardFrameEndKey, pf::Boxed<pf::Rect>::make({0, height - h, 320, h}));
        pf::NotificationCenter::defaultCenter().post(name, {}, info);
    };
    keyboard(pf::KeyboardWillShowNotification, 300);
    ASSERT_TRUE(bar->hasAnimations());
    EXPECT_EQ(bar->frame().y(), height - bar->frame().height() - 300);
    keyboard(pf::KeyboardDidChangeFrameNotification, 250);
    EXPECT_EQ(bar->frame().y(), height - bar->frame().height() - 300) << "no second slide while one runs";
    EXPECT_TRUE(settle());
    EXPECT_EQ(bar->frame().y(), height - bar->frame().height() - 250) << "the late frame applies when the slide ends";

    keyboard(pf::KeyboardWillHideNotification, 0);
    EXPECT_TRUE(settle());
    EXPECT_EQ(bar->frame().y(), height - bar->frame().height());

    // The keyboard going for real: its last frame, below the screen, keeps
    // the bar down at the bottom instead of lifting it to mid-screen.
    keyboard(pf::KeyboardWillShowNotification, pf::Keyboard::PanelHeight);
    EXPECT_TRUE(settle());
    opened->textField()->resignFirstResponder();
    EXPECT_TRUE(settle());
    EXPECT_FALSE(pf::Keyboard::shared().isVisible());
    EXPECT_EQ(bar->frame().y(), height - bar->frame().height());
}
