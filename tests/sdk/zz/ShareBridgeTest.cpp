#include "CallLayerTestSupport.h"
#include "BuiltResourcesSupport.h"
#include "ScriptPackageSupport.h"

#include "platform/foundation/Collections.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/net/URLCache.h"
#include "sdk/zz/CVOSDKJSBridge.h"
#include "sdk/zz/CorvanaDataMgr.h"
#include "sdk/zz/CorvanaModuleTable.h"
#include "sdk/zz/JSZZApi.h"
#include "sdk/zz/ZZApiDatastore.h"
#include "sdk/zz/ZZApiMessage.h"
#include "sdk/zz/ZZApiReqResp.h"
#include "sdk/zz/ZZApiTask.h"
#include "sdk/zz/ZZRegistration.h"
#include "tests/sdk/zz/ShareTestSupport.h"

#include <gtest/gtest.h>

namespace {

class PlainText : public ZZApiTextObject {};

pf::ArrayRef array(std::vector<pf::Value> values)
{
    auto list = pf::Array::create();
    for (auto& value : values)
        list->add(std::move(value));
    return list;
}

std::string text(const pf::DictionaryRef& share, const char* key)
{
    return share->get(key).stringOr("<none>");
}

class ZZShareBridge : public ShareDeviceFixture {
protected:
    void SetUp() override
    {
        ShareDeviceFixture::SetUp();
        registerZZClasses();
        ASSERT_NO_FATAL_FAILURE(m_resources.enter());
        bridge = commandBridge();
        ASSERT_TRUE(bridge);
        ASSERT_TRUE(registerCorvanaSharedModules(*bridge->JSRunEnv()));
    }
    void TearDown() override
    {
        bridge.reset();
        CVOSDKJSBridge::deinit();
        ZZApiDatastore::instance().setScheme(std::nullopt);
        pf::URLCache::setShared(nullptr);
        m_resources.leave();
        ShareDeviceFixture::TearDown();
    }
    std::string pending(const std::shared_ptr<ZZApiObject>& object, const char* script)
    {
        bridge->setPoolObject("shareToZZ_Message", pf::Value(ZZApiMessage::messageWithObject(object)));
        return bridge->evaluateJavascript(script);
    }

    std::shared_ptr<CVOSDKJSBridge> bridge;

private:
    BuiltResourcesHome m_resources;
};

}

TEST(ZZShareDictionary, LinksPicturesAndTextsAsTheScriptsTakeThem)
{
    registerZZClasses();
    auto news = ZZApiNewsObject::objectWithURL(pf::URL::create("http://zomaru.example/f/1"), std::string("T"),
                                               std::string("D"), pf::URL::create("http://zomaru.example/p.jpg"),
                                               array({"http://zomaru.example/1.jpg", 5, "http://zomaru.example/2.jpg"}));
    news->setFlashURL(pf::URL::create("http://zomaru.example/v.swf"));
    news->setPreviewImageData(pf::Bytes{1, 2});
    news->setImageDataArray(array({pf::Value::data(pf::Bytes{3})}));
    news->setCflag(12);
    auto share = CVOSDKJSBridge::shareDictionary(*ZZApiMessage::messageWithObject(news));
    EXPECT_EQ(text(share, "isUrlObject"), "YES");
    EXPECT_EQ(text(share, "object_imageUrl"), "http://zomaru.example/1.jpg,http://zomaru.example/2.jpg");
    EXPECT_EQ(text(share, "object_targetUrl"), "http://zomaru.example/f/1");
    EXPECT_EQ(text(share, "flash_url"), "http://zomaru.example/v.swf");
    EXPECT_EQ(text(share, "object_type"), "ZZApiNewsObject");
    EXPECT_EQ(text(share, "message_type"), "5");
    EXPECT_EQ(text(share, "text_data"), "");
    EXPECT_EQ(text(share, "cflag"), "12");
    EXPECT_EQ(text(share, "platform"), "ios");
    EXPECT_EQ(share->get("shareType"), pf::Value(0));
    pf::DictionaryRef parked = CorvanaDataMgr::getInstance().objByKey(share->get("key_ImageDataArray").stringValue()).dictionary();
    ASSERT_TRUE(parked);
    EXPECT_EQ(parked->keys(), (std::vector<std::string>{"previewimagedata", "image_data_list"}));

    struct Row {
        const char* name;
        std::shared_ptr<ZZApiObject> object;
        unsigned type;
        std::string textData, isUrl;
        bool parks;
        int shareType;
    } rows[] = {
        {"text", ZZApiTextObject::objectWithText(std::string("hi")), 5, "hi", "NO", false, 0},
        {"a text subclass", std::make_shared<PlainText>(), 7, "", "NO", false, 1},
        {"image with data", ZZApiImageObject::objectWithData(pf::Bytes{1}, std::nullopt, std::nullopt, std::nullopt), 5, "", "NO", true, 0},
        {"extend without data", std::make_shared<ZZApiExtendObject>(), 5, "", "NO", false, 0},
        {"link without pictures", ZZApiURLObject::objectWithURL(std::nullopt, std::nullopt, std::nullopt, std::optional<pf::URL>(), 0), 5, "", "YES", false, 0},
    };
    static_cast<PlainText&>(*rows[1].object).setText(std::string("never sent"));
    for (const Row& row : rows) {
        auto dictionary = CVOSDKJSBridge::shareDictionary(*ZZApiMessage::messageWithObject(row.object, row.type));
        EXPECT_EQ(text(dictionary, "text_data"), row.textData) << row.name;
        EXPECT_EQ(text(dictionary, "isUrlObject"), row.isUrl) << row.name;
        EXPECT_EQ(dictionary->contains("key_ImageDataArray"), row.parks) << row.name;
        EXPECT_EQ(dictionary->get("shareType"), pf::Value(row.shareType)) << row.name;
        EXPECT_EQ(text(dictionary, "object_imageUrl"), "") << row.name;
    }
}

TEST_F(ZZShareBridge, RequestsReachTheScriptsWhichAnswerNotSupportedOrAParameterError)
{
    auto text = ZZApiTextObject::objectWithText(std::string("hi"));
    EXPECT_EQ(bridge->shareToZZ(SendMessageToZZReq::reqWithContent(text)), "-2");
    auto kept = bridge->getPoolObject("shareToZZ_Message").objectAs<ZZApiMessage>();
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->object(), text);
    EXPECT_EQ(kept->type(), 5u);
    EXPECT_EQ(bridge->shareToZZ(GetMessageFromZZReq::req()), "-1");
    EXPECT_TRUE(bridge->getPoolObject("shareToZZ_Request").objectAs<GetMessageFromZZReq>());

    struct Row {
        const char* name;
        std::shared_ptr<ZZApiObject> object;
        const char* answer;
    } rows[] = {
        {"a link with title and URL", ZZApiURLObject::objectWithURL(pf::URL::create("http://zomaru.example/"), std::string("t"), std::nullopt, std::optional<pf::Bytes>(), 0), "-2"},
        {"a link without title", ZZApiURLObject::objectWithURL(pf::URL::create("http://zomaru.example/"), std::nullopt, std::nullopt, std::optional<pf::Bytes>(), 0), "-1"},
        {"an image without data", std::make_shared<ZZApiImageObject>(), "-1"},
        {"an image of 5 MiB", ZZApiImageObject::objectWithData(pf::Bytes(5242880, 1), std::nullopt, std::nullopt, std::nullopt), "-2"},
        {"a file over 5 MiB", ZZApiExtendObject::objectWithData(pf::Bytes(5242881, 1), std::nullopt, std::nullopt, std::nullopt), "-1"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(bridge->shareMessageToZZ(ZZApiMessage::messageWithObject(row.object)), row.answer) << row.name;
}

TEST_F(ZZShareBridge, NativeApiChecksReadOnlyWhatThePendingObjectHas)
{
    auto image = [](std::size_t data, std::size_t preview) {
        return ZZApiImageObject::objectWithData(pf::Bytes(data, 1), pf::Bytes(preview, 2), std::nullopt, std::nullopt);
    };
    auto linkWithPreview = [](std::size_t preview) {
        return ZZApiURLObject::objectWithURL(pf::URL::create("http://zomaru.example/"), std::string("t"), std::nullopt,
                                             pf::Bytes(preview, 2), 0);
    };
    struct Row {
        const char* name;
        std::shared_ptr<ZZApiObject> object;
        const char* kind;
        const char* answer;
    } rows[] = {
        {"image at both limits", image(5242880, 1048576), "img", "YES"},
        {"image data one over", image(5242881, 10), "img", "NO"},
        {"image preview one over", image(10, 1048577), "img", "NO"},
        {"file data one over", image(5242881, 10), "file", "NO"},
        {"a link has no data", linkWithPreview(10), "img", "NO"},
        {"link preview at the limit", linkWithPreview(1048576), "url", "YES"},
        {"link preview one over", linkWithPreview(1048577), "url", "NO"},
        {"any other kind", nullptr, "text", "YES"},
        {"no object", nullptr, "file", "NO"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(pending(row.object, (std::string("nativeApi.isLargeDataLengthLegal('") + row.kind + "')").c_str()),
                  row.answer) << row.name;

    // The image setter finds no picture fields on a link; the link setter does.
    pending(linkWithPreview(3), "nativeApi.setImageObjectPasteBoardDatas()");
    pf::DictionaryRef large = ZZApiDatastore::instance().getApiLargeData().dictionary();
    ASSERT_TRUE(large);
    EXPECT_EQ(large->count(), 0u);
    pending(linkWithPreview(3), "nativeApi.setURLObjectPasteBoardDatas()");
    large = ZZApiDatastore::instance().getApiLargeData().dictionary();
    ASSERT_TRUE(large);
    EXPECT_EQ(large->keys(), (std::vector<std::string>{"previewimagedata"}));

    EXPECT_EQ(bridge->evaluateJavascript("nativeApi.isRegistScheme()"), "NO");
    ZZApiDatastore::instance().setScheme(std::string("ZZ060C0C1F"));
    EXPECT_EQ(bridge->evaluateJavascript("nativeApi.isRegistScheme() + nativeApi.getZZScheme()"), "YESZZ060C0C1F");
    EXPECT_EQ(bridge->evaluateJavascript("nativeApi.openURL('a b') + nativeApi.openURL('nothere://x')"), "5-1");
    EXPECT_EQ(bridge->evaluateJavascript("nativeApi.appCanOpenURL('{\"url\":\"nothere://x\"}')"), "NO");
    EXPECT_EQ(bridge->evaluateJavascript("nativeApi.checkZZApiURLMessage()"), "YES");
}

TEST_F(ZZShareBridge, APreviewAskedForAgainIsFetchedOnceAndTheMessageResent)
{
    auto loaded = ZZApiURLObject::objectWithURL(pf::URL::create("http://zomaru.example/"), std::string("t"), std::nullopt,
                                                pf::Bytes{1}, 0);
    loaded->setPreviewImageURL(pf::URL::create("http://127.0.0.1:9/p.png"));
    EXPECT_EQ(pending(loaded, "nativeApi.resendUrlObjectSyncShare()"), "123");
    auto noURL = ZZApiURLObject::objectWithURL(pf::URL::create("http://zomaru.example/"), std::string("t"), std::nullopt,
                                               std::optional<pf::Bytes>(), 0);
    EXPECT_EQ(pending(noURL, "nativeApi.resendUrlObjectSyncShare()"), "123");
    EXPECT_EQ(pending(std::make_shared<ZZApiTextObject>(), "nativeApi.resendUrlObjectSyncShare()"), "123");

    // Nothing listens on port 9: the download fails and the message goes
    // back to the scripts with the task attached, so asking again while the
    // scripts have it starts nothing.
    auto fetch = ZZApiURLObject::objectWithURL(pf::URL::create("http://zomaru.example/"), std::string("t"), std::nullopt,
                                               pf::URL::create("http://127.0.0.1:9/p.png"), 0);
    auto message = ZZApiMessage::messageWithObject(fetch);
    bridge->setPoolObject("shareToZZ_Message", pf::Value(message));
    bridge->evaluateJavascript("var asked = []; var share = corvana.share.shareMessageToZZ;"
                               "corvana.share.shareMessageToZZ = function (m) {"
                               "  asked.push(nativeApi.resendUrlObjectSyncShare()); return share(m); };");
    EXPECT_EQ(bridge->evaluateJavascript("nativeApi.resendUrlObjectSyncShare()"), "7");
    ASSERT_TRUE(pf::RunLoop::main().runUntil([&] { return bridge->evaluateJavascript("asked.length") == "1"; },
                                             pf::Seconds(60)));
    EXPECT_EQ(bridge->evaluateJavascript("asked.join()"), "123");
    EXPECT_EQ(bridge->getPoolObject("shareToZZ_Message").objectAs<ZZApiMessage>(), message);
    EXPECT_TRUE(pf::RunLoop::main().runUntil([&] { return !message->isAssociatedWithTask(); }, pf::Seconds(60)));
}

TEST_F(ZZShareBridge, AnUploadThatTimesOutResendsTheMessageWithoutAURL)
{
    ZZServerFixture zz;
    zmr::ZZServer::Answer late;
    late.body = R"({"ret":0,"result":{"url":"http://127.0.0.1:9/late.jpg"}})";
    late.delay = std::chrono::seconds(30);
    zz.server.queue(zmr::ZZServer::uploadPath, late);
    ZZApiTask::setTimeoutInterval(pf::Seconds(0.2));
    bridge->evaluateJavascript("var sent = []; var share = corvana.share.shareMessageToZZ;"
                               "corvana.share.shareMessageToZZ = function (m) {"
                               "  sent.push(m.object_imageUrl + '|' + m.key_ImageDataArray); return share(m); };");
    auto bitmap = pf::Bitmap::create(300, 200).value();
    auto link = ZZApiURLObject::objectWithURL(pf::URL::create("http://zomaru.example/"), std::string("t"), std::nullopt,
                                              pf::Image::create(bitmap)->jpegRepresentation(0.8).value(), 0);
    auto message = ZZApiMessage::messageWithObject(link);
    auto start = std::chrono::steady_clock::now();
    ZZApiTaskUploadURLObjectPreviewData::initWithURLMessage(message)->postOnMainThread();
    bool resent = pf::RunLoop::main().runUntil([&] { return bridge->evaluateJavascript("sent.length") == "1"; },
                                               pf::Seconds(60));
    ZZApiTask::setTimeoutInterval(pf::Seconds(5.0));
    ASSERT_TRUE(resent);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    EXPECT_EQ(zz.server.received(zmr::ZZServer::uploadPath).size(), 1u);
    EXPECT_EQ(bridge->evaluateJavascript("sent[0].split('|')[0]"), ""); // no preview URL came
    EXPECT_EQ(bridge->getPoolObject("shareToZZ_Message").objectAs<ZZApiMessage>(), message);
    EXPECT_FALSE(link->previewImageURL());
}
