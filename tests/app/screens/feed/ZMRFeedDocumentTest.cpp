// The feed entry document: the shared filler over the shipped row template,
// the like toggle with its roll-back, and the like strip of the details
// document, against a bus that answers category lookups from a table.

#include "tests/framework/data/DataTestSupport.h"

#include "app/screens/shared/ZMRDisplayFields.h"
#include "app/screens/feed/ZMRFeedDocumentController.h"
#include "app/screens/feed/ZMRFeedLikeTask.h"
#include "app/screens/shared/ZMRPageDataSource.h"
#include "app/services/ZMRAccountTasks.h"
#include "app/services/ZMRClassifyObject.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/KRJSON.h"
#include "framework/dom/KRDOMDocument.h"
#include "framework/dom/KRDOMImageElement.h"
#include "framework/dom/KRDOMParse.h"
#include "framework/dom/KRDOMSource.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"

#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <set>

namespace {

// Categories 1 to 7 are "类1" to "类7"; lookups of 66 are declined.
class FeedBus : public FakeBus {
public:
    // Likes and unlikes, in order.
    std::vector<const pf::Protocol*> types;
    std::vector<pf::ObjectRef> likes;
    bool handle(const pf::Protocol* type, const pf::ObjectRef& task, int priority) override
    {
        if (type == proto::IZMRClassifyGetTask()) {
            auto lookup = std::dynamic_pointer_cast<IZMRClassifyGetTask>(task);
            if (lookup->cid() == 66)
                return false;
            if (lookup->cid() >= 1 && lookup->cid() <= 7) {
                auto category = std::make_shared<ZMRClassifyObject>();
                category->setCid(lookup->cid());
                category->setTitle("类" + std::to_string(lookup->cid()));
                lookup->setDataObject(category);
            }
            return true;
        }
        if (type == proto::IZMRLikeTask() || type == proto::IZMRUnLikeTask()) {
            types.push_back(type);
            likes.push_back(task);
        }
        return FakeBus::handle(type, task, priority);
    }
};

std::string templateText(const char* name)
{
    auto bytes = pf::readFile(pf::Bundle::main()->resourcePath() + "/templates/" + name);
    return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
}

KRDOMDocumentRef filledRow(const pf::Value& item, const std::shared_ptr<IKRUIContext>& bus)
{
    auto document = KRDOMDocument::create();
    pf::Value source(pf::Dictionary::create({{"dataItem", item}}));
    EXPECT_TRUE(KRDOMParse().parseHTML(htmlStringByDOMSource(templateText("feed_item.html"), source), *document));
    ZMRFeedDocumentController::documentWillLoadDataObject(*document, item, bus);
    return document;
}

// The texts of an element's children, blank-separated.
std::string texts(const KRDOMElementRef& element)
{
    std::string out;
    for (const auto& child : element->childs())
        if (!child->text().empty())
            out += (out.empty() ? "" : " ") + child->text();
    return out;
}

pf::Value json(const char* text) { return KRJSON::decodeText(text); }

}

TEST(ZMRFeedFiller, CategoriesThenTagsSixPairsAtMost)
{
    struct Row {
        const char* item;
        const char* shown; // the texts of "tags"
    } rows[] = {
        {R"({"cids":[1,2,3,4],"tags":["a","b","c","d","e"]})", "类1 类2 类3 类4 a b"},
        {R"({"cids":[1,9,2,3,4,5,6,7],"tags":["a"]})", "类1 类2 类3 类4 类5 类6"},
        {R"({"cids":["3",66,"x",1.5,2.0,null,[1]],"tags":[{"tag":"鞋"},{"name":"n"},7,"<b>"]})", "类3 类2 鞋 <b>"},
        {R"({"cids":{"1":1},"tags":"a,b"})", ""},
        // Read as the ledger reads them: no Boolean, sign or blank is an id.
        {R"({"cids":[true,"+4"," 5","5 ","4"]})", "类4"},
        {R"({})", ""},
    };
    auto bus = std::make_shared<FeedBus>();
    for (const Row& row : rows) {
        auto document = filledRow(json(row.item), bus);
        auto tags = document->elementById("tags");
        ASSERT_TRUE(tags) << row.item;
        EXPECT_EQ(texts(tags), row.shown) << row.item;
        EXPECT_EQ(tags->attributeValueForKey("height"), std::string_view(*row.shown ? "auto" : "0")) << row.item;
        for (std::size_t i = 0; i < tags->childs().size(); i += 2) {
            auto icon = std::dynamic_pointer_cast<KRDOMImageElement>(tags->childs()[i]);
            ASSERT_TRUE(icon);
            EXPECT_EQ(icon->src(), "ico33.png");
            EXPECT_EQ(icon->attributeValueForKey("class"), std::string_view("tag-image"));
            EXPECT_EQ(tags->childs()[i + 1]->attributeValueForKey("class"), std::string_view("tag-label"));
        }
    }
}

// A post without pictures folds its strip away rather than show an empty
// box; one with pictures hands its list to the strip.
TEST(ZMRFeedFiller, OnlyAPostWithPicturesKeepsItsPictureStrip)
{
    struct Row {
        const char* item;
        std::size_t pictures; // 0: no strip
    } rows[] = {
        {R"({"images":[{"uri":"a.jpg"},{"uri":"b.jpg"}]})", 2}, {R"({"images":[]})", 0}, {R"({})", 0},
        {R"({"images":null})", 0}, {R"({"images":"a.jpg"})", 0}, {R"({"images":{"uri":"a.jpg"}})", 0},
    };
    auto bus = std::make_shared<FeedBus>();
    for (const Row& row : rows) {
        auto document = filledRow(json(row.item), bus);
        auto strip = document->elementById("images");
        ASSERT_TRUE(strip);
        EXPECT_EQ(strip->isHidden(), row.pictures == 0) << row.item;
        EXPECT_EQ(strip->attributeValueForKey("height"), std::string_view(row.pictures ? "168" : "0")) << row.item;
        EXPECT_EQ(strip->attributeValueForKey("margin-top"), std::string_view(row.pictures ? "8" : "0")) << row.item;
        auto list = strip->valueForKey("images").array();
        EXPECT_EQ(list ? list->count() : 0, row.pictures) << row.item;
    }
}

TEST(ZMRFeedFiller, SavingLikeAndCountsReadHostileValuesSoundly)
{
    struct Row {
        const char* item;
        const char* money; // the texts of "money"
        const char* likedSrc;
        const char* liked;
        const char* comments;
    } rows[] = {
        {R"({"payMoney":1234.5,"expendMoney":1000,"liked":true,"likedCount":3,"commentCount":2})", "省¥ 234.5", "ico40.png", "3", "2"},
        {R"({"payMoney":12000,"expendMoney":0,"liked":"1","likedCount":"12","commentCount":null})", "省¥ 12,000", "ico40.png", "12", "0"},
        {R"({"payMoney":0,"expendMoney":50,"liked":1,"likedCount":"abc","commentCount":"7x"})", "", "ico40.png", "0", "7"},
        {R"({"payMoney":"100","expendMoney":"99.995","liked":false,"likedCount":-3,"commentCount":3.9})", "省¥ 0", "ico36.png", "0", "3"},
        {R"({"payMoney":1e400,"liked":"0","likedCount":[1]})", "", "ico36.png", "0", "0"},
        {R"({"payMoney":10,"expendMoney":12.345,"liked":null})", "省¥ -2.35", "ico36.png", "0", "0"},
        // Text that is not all a number is no amount; nor is a Boolean.
        {R"({"payMoney":"12abc","expendMoney":1})", "", "ico36.png", "0", "0"},
        {R"({"payMoney":"12.5","expendMoney":"2x"})", "省¥ 12.5", "ico36.png", "0", "0"},
        {R"({"payMoney":true})", "", "ico36.png", "0", "0"},
        // A count is its integer value, held within 64 bits; below 0 it shows 0.
        {R"({"likedCount":true,"commentCount":"+4"})", "", "ico36.png", "1", "4"},
        {R"({"likedCount":false,"commentCount":"-2"})", "", "ico36.png", "0", "0"},
        {R"({"likedCount":1e300,"commentCount":"99999999999999999999x"})", "", "ico36.png", "9223372036854775807",
         "9223372036854775807"},
        {R"({"likedCount":-0.5,"commentCount":"x5"})", "", "ico36.png", "0", "0"},
    };
    auto bus = std::make_shared<FeedBus>();
    for (const Row& row : rows) {
        auto document = filledRow(json(row.item), bus);
        EXPECT_EQ(texts(document->elementById("money")), row.money) << row.item;
        EXPECT_EQ(document->elementById("liked-img")->attributeValueForKey("src"), std::string_view(row.likedSrc)) << row.item;
        EXPECT_EQ(document->elementById("liked-label")->text(), row.liked) << row.item;
        EXPECT_EQ(document->elementById("comment-label")->text(), row.comments) << row.item;
    }
    // A NUL in server text loses itself, not the row.
    auto nul = pf::Dictionary::create({{"nick", std::string("a\0b", 3)}, {"html", ZMRHtmlBody(std::string("c\0d", 3))}});
    auto kept = filledRow(pf::Value(nul), bus);
    ASSERT_TRUE(kept->rootElement());
    EXPECT_EQ(kept->rootElement()->childs().size(), filledRow(json("{}"), bus)->rootElement()->childs().size());
    // Entries that are no dictionaries fill nothing.
    auto document = filledRow(json("[1]"), bus);
    EXPECT_TRUE(document->elementById("money")->childs().empty());
}

namespace {

class FeedDetails : public ::testing::Test {
protected:
    void SetUp() override
    {
        controller->setHtml(std::string("templates/feed_details.html"));
        controller->setContext(bus);
        controller->setDataItem(pf::Value(entry));
    }
    void tapLike()
    {
        auto like = controller->document()->elementById("liked-img")->parentElement();
        controller->onActionElement(*like);
    }
    std::string shown()
    {
        const auto& document = *controller->document();
        return document.elementById("liked-label")->text() + " " +
               std::string(document.elementById("liked-img")->attributeValueForKey("src").value_or(""));
    }
    std::shared_ptr<IKRUplinkTaskDelegate> outcomeOf(std::size_t task)
    {
        return std::dynamic_pointer_cast<IKRUplinkTask>(bus->likes.at(task))->delegate();
    }
    std::shared_ptr<FeedBus> bus = std::make_shared<FeedBus>();
    std::shared_ptr<ZMRFeedDocumentController> controller = std::make_shared<ZMRFeedDocumentController>();
    pf::DictionaryRef entry = json(R"({"pid":4294967299,"liked":false,"likedCount":3})").dictionary();
};

}

TEST_F(FeedDetails, ALikeShowsAtOnceAndARefusalOfTheLatestToggleTakesItBack)
{
    // A server entry may carry the toggle counter's key, at any value.
    entry->set("__likeToggle__", LLONG_MAX);
    tapLike();
    EXPECT_EQ(shown(), "4 ico40.png");
    EXPECT_EQ(entry->get("liked"), pf::Value(true));
    tapLike();
    EXPECT_EQ(shown(), "3 ico36.png");
    ASSERT_EQ(bus->types.size(), 2u);
    EXPECT_EQ(bus->types[0], proto::IZMRLikeTask());
    EXPECT_EQ(bus->types[1], proto::IZMRUnLikeTask());
    EXPECT_EQ(std::dynamic_pointer_cast<IZMRLikeTask>(bus->likes[0])->pid(), 4294967299LL);

    pf::Error refused{"ZMRLikeService", 3, "refused"};
    outcomeOf(0)->krUploadTaskDidFailWithError(bus->likes[0], refused, proto::IZMRLikeTask()); // older: nothing
    EXPECT_EQ(shown(), "3 ico36.png");
    outcomeOf(1)->krUploadTaskDidFailWithError(bus->likes[1], refused, proto::IZMRUnLikeTask());
    EXPECT_EQ(shown(), "4 ico40.png");
    EXPECT_EQ(entry->get("liked"), pf::Value(true));
    EXPECT_EQ(entry->get("likedCount").longLongValue(), 4);
}

TEST_F(FeedDetails, CountsNeverGoBelowZeroAndARefusalRollsBackWithTheScreenGone)
{
    entry->set("liked", true);
    entry->set("likedCount", 0);
    tapLike();
    EXPECT_EQ(shown(), "0 ico36.png");
    auto task = bus->likes.at(0);
    controller.reset();
    bus->likes.clear();
    bus->tasks.clear();
    auto outcome = std::dynamic_pointer_cast<IKRUplinkTask>(task)->delegate();
    ASSERT_TRUE(outcome); // the task hears its own outcome
    outcome->krUploadTaskDidFailWithError(task, pf::Error{"ZMRLikeService", 0, ""}, proto::IZMRUnLikeTask());
    EXPECT_EQ(entry->get("liked"), pf::Value(true));
    EXPECT_EQ(entry->get("likedCount").longLongValue(), 0);
}

TEST_F(FeedDetails, TheLikeStripShowsFiveOfNineAndCollapsesWhenEmpty)
{
    struct Sized : pf::Object, ZMRFeedDocumentControllerDelegate {
        int told = 0;
        void feedDocumentControllerDidContentSizeChanged(ZMRFeedDocumentController&) override { ++told; }
    };
    auto sized = std::make_shared<Sized>();
    controller->setDelegate(sized);
    auto likers = std::make_shared<ZMRPageDataSource>();
    controller->setTopLikeDataSource(likers);
    EXPECT_EQ(likers->context(), bus);
    auto users = pf::Array::create();
    for (int i = 0; i < 9; ++i)
        users->add(pf::Value(pf::Dictionary::create({{"uid", 100 + i}, {"nick", "用户 " + std::to_string(i)}, {"logo", "x.png"}})));
    likers->krDownlinkTaskDidLoaded(pf::Value(users), nullptr);
    auto document = controller->document();
    auto strip = document->elementById("likeUserContent");
    ASSERT_EQ(strip->childs().size(), 5u);
    EXPECT_EQ(strip->childs()[4]->attributeValueForKey("uid"), std::string_view("104"));
    EXPECT_EQ(strip->childs()[4]->attributeValueForKey("nick"), std::string_view("用户&nbsp;4"));
    EXPECT_EQ(document->elementById("likeContent")->attributeValueForKey("height"), std::string_view("62"));
    likers->krDownlinkTaskDidLoaded(pf::Value(pf::Array::create()), nullptr); // a reload to nobody
    EXPECT_EQ(document->elementById("likeContent")->attributeValueForKey("height"), std::string_view("0"));
    EXPECT_EQ(sized->told, 2);
}

TEST_F(FeedDetails, CountsGrowFromWhatTheServerSentAndStopAtTheLargest)
{
    struct Row {
        pf::Value sent;
        long long after;
    } rows[] = {{pf::Value(), 1}, {"12", 13}, {"abc", 1}, {pf::Value(-4), 1}, {pf::Value(LLONG_MAX), LLONG_MAX},
                // A count's integer value moves by one.
                {pf::Value(true), 2}, {pf::Value(3.9), 4}, {"+4", 5}, {"3abc", 4}, {pf::Value(-0.5), 1}};
    for (const Row& row : rows) {
        entry->set("commentCount", row.sent);
        entry->set("likedCount", row.sent);
        entry->set("liked", false);
        controller->addCommentCount();
        EXPECT_EQ(entry->get("commentCount").longLongValue(), row.after) << row.sent.description();
        EXPECT_EQ(controller->document()->elementById("comment-label")->text(), std::to_string(row.after));
        tapLike();
        EXPECT_EQ(entry->get("likedCount").longLongValue(), row.after) << row.sent.description();
    }
}
