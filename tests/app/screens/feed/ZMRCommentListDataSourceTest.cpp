#include "tests/app/screens/AppScreenTest.h"

#include "app/screens/feed/ZMRCommentListDataSource.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/core/KRJSON.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/dom/KRDOMParse.h"
#include "platform/foundation/Collections.h"

namespace {

int countElements(const KRDOMElement& element, std::string_view name)
{
    int count = element.name() == name ? 1 : 0;
    for (const auto& child : element.childs())
        count += countElements(*child, name);
    return count;
}

// The elements named "a" that the markup of `html` makes inside a row.
int links(const std::string& html)
{
    auto document = KRDOMDocument::create();
    KRDOMParse().parseHTML("<div>" + html + "</div>", *document);
    return document->rootElement() ? countElements(*document->rootElement(), "a") : -1;
}

std::string text(const pf::Value& value)
{
    return value.isString() ? *value.string() : "(none)";
}

}

// Server text can become no markup of its own: the body, the replied
// user's id and nickname and an arriving "html" are all encoded, and a
// reply adds exactly its one link.
TEST(ZMRCommentListDataSource, ServerTextBecomesTextAndARepliesLinkIsItsOnlyElement)
{
    struct Row {
        const char* item;
        const char* html;
        int links;
    } rows[] = {
        {R"({"body": "牛奶 八折"})", "牛奶&nbsp;八折", 0},
        {R"({"body": "<b>x</b>", "html": "<a>evil</a>"})", "&lt;b&gt;x&lt;/b&gt;", 0},
        {R"({})", "", 0},
        {R"({"body": "a\u0000b", "reply": {"user": {"uid": 1, "nick": "\u0000"}}})",
         "回复:&nbsp;<a action-name='user' uid='1'></a><br/>ab", 1},
        {R"({"body": 5, "reply": "10002"})", "", 0},
        {R"({"body": "好", "reply": {"cid": 3, "user": {"uid": 10002, "nick": "安 <琪>"}}})",
         "回复:&nbsp;<a action-name='user' uid='10002'>安&nbsp;&lt;琪&gt;</a><br/>好", 1},
        {R"({"reply": {"user": {"uid": "1' onclick='x", "nick": null}}})",
         "回复:&nbsp;<a action-name='user' uid='1\\'&nbsp;onclick=\\'x'></a><br/>", 1},
        {R"({"body": "</a><a>", "reply": {"user": {"uid": 2.0, "nick": ["</a>"]}}})",
         "回复:&nbsp;<a action-name='user' uid='2'></a><br/>&lt;/a&gt;&lt;a&gt;", 1},
    };
    for (const Row& row : rows) {
        auto source = std::make_shared<ZMRCommentListDataSource>();
        source->setDataKey(std::string("list"));
        source->reloadData();
        source->krDownlinkTaskDidLoaded(KRJSON::decodeText(std::string(R"({"list": [)") + row.item + "]}"), nullptr);
        std::string html = text(dataForKeyPath(source->dataObject(), "html"));
        EXPECT_EQ(html, row.html) << row.item;
        EXPECT_EQ(links(html), row.links) << row.item;
    }
}

// Listed comments keep the fields they were given; the next page's own
// "html" is replaced. A time that is neither a number nor numeric text, or
// no date, gives no text.
TEST(ZMRCommentListDataSource, ListedItemsKeepTheirFieldsAndOnlyNumberOrNumericTextTimesAreFormatted)
{
    auto source = std::make_shared<ZMRCommentListDataSource>();
    source->setDataKey(std::string("list"));
    source->reloadData();
    source->krDownlinkTaskDidLoaded(KRJSON::decodeText(R"({"list": [{"body": "a", "createTime": 1700000000},
        {"body": "b", "createTime": "1700000000"}, {"body": "c", "createTime": 1e300}, 7]})"), nullptr);
    ASSERT_EQ(source->count(), 4u);
    source->dataObject().dictionary()->set("html", "kept");
    source->loadMoreData();
    source->krDownlinkTaskDidLoaded(KRJSON::decodeText(R"({"list": [{"body": "d", "html": "<img/>", "fmtCreateTime": "昨天"}]})"), nullptr);
    ASSERT_EQ(source->count(), 5u);
    std::string seen;
    for (int i = 0; i < 5; ++i) {
        pf::Value item = source->dataObjectAtIndex(i);
        seen += text(dataForKeyPath(item, "html")) + "/" + (dataForKeyPath(item, "fmtCreateTime").isString() ? "t" : "-") + " ";
    }
    EXPECT_EQ(seen, "kept/t b/t c/- (none)/- d/t ");
    EXPECT_EQ(text(dataForKeyPath(source->dataObjectAtIndex(4), "fmtCreateTime")), "昨天");
}

namespace {

class CommentListRoad : public AppScreenTest {
protected:
    std::shared_ptr<ZMRCommentListDataSource> load(std::initializer_list<std::pair<const char*, const char*>> query)
    {
        auto source = std::make_shared<ZMRCommentListDataSource>();
        source->setTaskType(std::string("ZMRCommentsTask"));
        source->setDataKey(std::string("list"));
        for (const auto& [key, value] : query)
            source->queryValues()->set(key, value);
        source->setContext(shell);
        source->reloadData();
        EXPECT_TRUE(waitFor([&] { return source->isLoaded() && !source->isLoading(); }));
        return source;
    }
};

}

// Without a post the list holds what others said on the signed-in user's
// posts and the replies to that user's comments elsewhere, newest first,
// each with its post; a reply to the user links the user.
TEST_F(CommentListRoad, TheSignedInUsersCommentsAreThoseOnTheirPostsAndTheRepliesToThem)
{
    auto source = load({});
    ASSERT_GT(source->count(), 3u);
    double previous = 1e18;
    int onOwnPosts = 0, repliesElsewhere = 0;
    for (const pf::Value& item : *source->dataObjects()) {
        double time = dataForKeyPath(item, "createTime").doubleValue();
        EXPECT_LE(time, previous);
        previous = time;
        EXPECT_TRUE(dataForKeyPath(item, "fmtCreateTime").isString());
        long long author = dataForKeyPath(item, "publish.uid").longLongValue();
        EXPECT_EQ(dataForKeyPath(item, "publish.pid").longLongValue(), dataForKeyPath(item, "pid").longLongValue());
        if (author == 10001) {
            ++onOwnPosts;
        } else {
            EXPECT_EQ(dataForKeyPath(item, "reply.user.uid").longLongValue(), 10001) << text(dataForKeyPath(item, "body"));
            EXPECT_EQ(text(dataForKeyPath(item, "html")).find("回复:&nbsp;<a action-name='user' uid='10001'>演示用户</a><br/>"), 0u);
            ++repliesElsewhere;
        }
    }
    EXPECT_GT(onOwnPosts, 0);
    EXPECT_GT(repliesElsewhere, 0);

    auto post = load({{"pid", "1"}});
    ASSERT_EQ(post->count(), 2u); // oldest first: a comment, then the author's reply to it
    EXPECT_EQ(text(dataForKeyPath(post->dataObjectAtIndex(1), "html")).find("回复:&nbsp;<a action-name='user' uid='10002'>安琪</a>"), 0u);
}
