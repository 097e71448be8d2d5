#include "platform/foundation/Collections.h"
#include "platform/foundation/Pasteboard.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageCodec.h"
#include "sdk/zz/CorvanaApiInterface.h"
#include "sdk/zz/CorvanaApiReq.h"
#include "sdk/zz/CorvanaApiUtil.h"
#include "sdk/zz/CorvanaMessageObj.h"
#include "sdk/zz/CorvanaOAuth.h"
#include "sdk/zz/OpenApi.h"
#include "tests/sdk/zz/ShareTestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kOwnTypes = "<key>CFBundleIdentifier</key><string>com.zomaru.app</string>"
                                  "<key>CFBundleURLTypes</key><array><dict><key>CFBundleURLName</key>"
                                  "<string>corvanaApiIdentifier</string><key>CFBundleURLSchemes</key><array>"
                                  "<string>corvana101452831.content</string></array></dict></array>";

pf::Bytes jpeg()
{
    auto bitmap = pf::Bitmap::create(4, 4);
    return *pf::encodeJpeg(**bitmap, 0.8);
}

// A request as a Corvana app would archive it.
std::shared_ptr<CorvanaApiReq> request(int platform, std::vector<std::shared_ptr<CorvanaBaseMessageObj>> content = {})
{
    auto fields = pf::Dictionary::create({ { "nPlatform", platform }, { "nSeq", 7 }, { "sAppID", "101452831" } });
    auto made = CorvanaApiReq::decode(*fields);
    made->setArrMessage(std::move(content));
    return made;
}

class CorvanaMessages : public ShareDeviceFixture {
protected:
    void SetUp() override
    {
        ShareDeviceFixture::SetUp();
        useBundle(kOwnTypes);
    }
    // Puts a packed message on the general board under this app's type and
    // answers the URL that points at it.
    pf::URL incoming(const pf::Value& message, const char* path = "kCorvanaReqContent")
    {
        std::string type = CorvanaMessagePack::messagePasteboardType();
        pf::Pasteboard::general()->setData(*CorvanaMessagePack::dataWithCorvanaReqMessage(message), type);
        return *pf::URL::create(std::string("corvana101452831.content://kTecentReqContent/") + path
                                + "?kPastboardName=x&kPastboardType=" + type);
    }
};

struct Declining : CorvanaApiInterfaceDelegate {
    bool onCorvanaReq(const std::shared_ptr<CorvanaApiReq>& req) override
    {
        seen = req;
        return false;
    }
    void onCorvanaResp(const std::shared_ptr<CorvanaApiResp>&) override { responses++; }
    std::shared_ptr<CorvanaApiReq> seen;
    int responses = 0;
};

struct SessionDeclining : CorvanaSessionDelegate, Declining {};

}

TEST_F(CorvanaMessages, PackAndParseTakeTheMessageOffTheBoard)
{
    auto text = std::make_shared<CorvanaTextMessageObjV1>("hello");
    text->setSName("name");
    auto both = CorvanaImageAndVideoMessageObjV1::initWithMessage(jpeg(), "http://v.example/1");
    auto sent = request(1, { text, both, CorvanaAudioMessageObjV1::initWithAudioUrl("http://a.example") });
    pf::URL url = incoming(pf::Value(sent));
    EXPECT_TRUE(CorvanaApiInterface::canOpenURL(url));

    auto parsed = CorvanaMessageParse::parseCorvanaMessage(url).objectAs<CorvanaApiReq>();
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->nPlatform(), 1);
    EXPECT_EQ(parsed->nSeq(), 7);
    EXPECT_EQ(parsed->sAppID(), "101452831");
    ASSERT_EQ(parsed->arrMessage().size(), 3u);
    auto textBack = std::dynamic_pointer_cast<CorvanaTextMessageObjV1>(parsed->arrMessage()[0]);
    ASSERT_TRUE(textBack);
    EXPECT_EQ(textBack->sText(), "hello");
    EXPECT_EQ(textBack->sName(), "name");
    auto bothBack = std::dynamic_pointer_cast<CorvanaImageAndVideoMessageObjV1>(parsed->arrMessage()[1]);
    ASSERT_TRUE(bothBack && bothBack->objImageMessage() && bothBack->objVideoMessage());
    EXPECT_EQ(bothBack->objImageMessage()->dataImage(), jpeg());
    EXPECT_FALSE(bothBack->objVideoMessage()->sUrl());
    EXPECT_EQ(parsed->arrMessage()[2]->nVersion(), 2);
    // Read once: the board no longer holds it.
    EXPECT_TRUE(CorvanaMessageParse::parseCorvanaMessage(url).isNil());

    // Bytes that do not decode stay where they were.
    std::string type = CorvanaMessagePack::messagePasteboardType();
    pf::Pasteboard::general()->setData(pf::Bytes{ 1, 2, 3 }, type);
    EXPECT_TRUE(CorvanaMessageParse::parseCorvanaMessage(url).isNil());
    EXPECT_EQ(pf::Pasteboard::general()->dataForPasteboardType(type), (pf::Bytes{ 1, 2, 3 }));

    const char* refused[] = {
        "corvana101452831.content://kCorvanaReqContent/kCorvanaReqContent?kPastboardType=",
        "other.scheme://kTecentReqContent/kCorvanaReqContent?kPastboardType=",
        "corvana101452831.content://kTecentReqContent/elsewhere?kPastboardType=",
    };
    for (const char* prefix : refused) {
        incoming(pf::Value(sent));
        auto other = pf::URL::create(std::string(prefix) + type);
        EXPECT_FALSE(CorvanaApiInterface::canOpenURL(*other)) << prefix;
        EXPECT_TRUE(CorvanaMessageParse::parseCorvanaMessage(*other).isNil()) << prefix;
    }
    auto slash = pf::URL::create("a://b/");
    EXPECT_FALSE(CorvanaUrlDecoder::decoderWithUrl(&*slash)->path);
}

TEST_F(CorvanaMessages, AnswerCodesAndTheirLimit)
{
    EXPECT_EQ(CorvanaApiInterface::sendRespMessageToCorvanaApp(nullptr), -1);
    auto fromZZ = CorvanaApiResp::respFromReq(pf::Value(request(0)));
    EXPECT_EQ(CorvanaApiInterface::sendRespMessageToCorvanaApp(fromZZ), 0);

    auto response = CorvanaApiResp::respFromReq(pf::Value(request(1)));
    EXPECT_EQ(CorvanaApiInterface::sendRespMessageToCorvanaApp(response), 1);
    installApp("com.plaza.app", { "mplaza" });
    EXPECT_EQ(CorvanaApiInterface::sendRespMessageToCorvanaApp(response), 2);
    installApp("com.plaza.app", { "mplaza", "corvanaapi.plaza.reqContent" });

    // Grow the answer until its packed form is exactly the limit.
    std::size_t filler = CorvanaMessagePack::kMaxMessageSize - 1000;
    for (int i = 0; i < 4; ++i) {
        response->setSRetMsg(std::string(filler, 'm'));
        std::size_t size = CorvanaMessagePack::dataWithCorvanaReqMessage(pf::Value(response))->size();
        filler += CorvanaMessagePack::kMaxMessageSize - size;
    }
    response->setSRetMsg(std::string(filler, 'm'));
    ASSERT_EQ(CorvanaMessagePack::dataWithCorvanaReqMessage(pf::Value(response))->size(),
              CorvanaMessagePack::kMaxMessageSize);
    EXPECT_EQ(CorvanaApiInterface::sendRespMessageToCorvanaApp(response), 0);
    auto opened = openedURLs(1);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].rfind("corvanaapi.plaza.reqContent://kTecentReqContent/kCorvanaRespContent?kPastboardName=", 0), 0u);
    response->setSRetMsg(std::string(filler + 1, 'm'));
    EXPECT_EQ(CorvanaApiInterface::sendRespMessageToCorvanaApp(response), 3);
    response->setSRetMsg("ok");

    response->objReq()->setArrMessage({ std::make_shared<CorvanaTextMessageObjV1>(std::string(1048577, 't')) });
    EXPECT_EQ(CorvanaApiInterface::sendRespMessageToCorvanaApp(response), 3);
    response->objReq()->setArrMessage({});
    installApp("com.plaza.app", { "mplaza", "corvanaapi.plaza.reqContent" }, true);
    EXPECT_EQ(CorvanaApiInterface::sendRespMessageToCorvanaApp(response), 4);

    EXPECT_FALSE(CorvanaApiResp::respFromReq(pf::Value(response)));
    EXPECT_FALSE(CorvanaApiResp::respFromReq(pf::Value()));
    // Requests come only from a Corvana app.
    EXPECT_FALSE(CorvanaApiReq::reqFromSeq(7, 1));
    EXPECT_FALSE(CorvanaApiReq::initWithData(*CorvanaMessagePack::dataWithCorvanaReqMessage(pf::Value(request(1))), 1));
}

TEST_F(CorvanaMessages, ADeclinedRequestIsAnsweredToPlaza)
{
    installApp("com.plaza.app", { "mplaza", "corvanaapi.plaza.reqContent" });
    auto delegate = std::make_shared<Declining>();
    EXPECT_TRUE(CorvanaApiInterface::handleOpenURL(incoming(pf::Value(request(1))), delegate));
    ASSERT_TRUE(delegate->seen);
    ASSERT_EQ(openedURLs(1).size(), 1u);
    auto answer = CorvanaMessageParse::unpack(
                      *pf::Pasteboard::general()->dataForPasteboardType(CorvanaMessagePack::messagePasteboardType()))
                      .objectAs<CorvanaApiResp>();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->nRetCode(), -1);
    EXPECT_EQ(answer->objReq()->nSeq(), 7);

    // A response is not handled here, and the delegate does not hear of it.
    EXPECT_FALSE(CorvanaApiInterface::handleOpenURL(
        incoming(pf::Value(std::make_shared<CorvanaApiResp>()), "kCorvanaRespContent"), delegate));
    EXPECT_EQ(delegate->responses, 0);
    EXPECT_FALSE(CorvanaApiInterface::handleOpenURL(*pf::URL::create("corvana101452831.content://x/y"), delegate));
}

TEST_F(CorvanaMessages, ContentRulesAndTheBoardType)
{
    struct Row {
        std::shared_ptr<CorvanaBaseMessageObj> object;
        bool valid;
    };
    auto byUrl = CorvanaImageMessageObjV1::initWithType(1);
    auto byUrlGiven = CorvanaImageMessageObjV1::initWithType(1);
    byUrlGiven->setSUrl("http://i.example/p.png");
    auto byData = CorvanaImageMessageObjV1::initWithType(2);
    byData->setDataImage(pf::Bytes{ 1, 2, 3 });
    auto byDataGood = CorvanaImageMessageObjV1::initWithType(2);
    byDataGood->setDataImage(jpeg());
    auto bigImage = CorvanaImageMessageObjV1::initWithImageData(pf::Bytes(10485761, 0));
    auto thumb = CorvanaImageMessageObjV1::initWithImageData(std::nullopt);
    thumb->setDataThumbImage(pf::Bytes(1048577, 0));
    auto audio = CorvanaAudioMessageObjV1::initWithAudioUrl(std::string(1048577, 'u'));
    auto video = CorvanaVideoMessageV1::initWithType(2);
    EXPECT_EQ(video->nVersion(), 3);
    EXPECT_EQ(video->nType(), 2);
    auto base = std::make_shared<CorvanaBaseMessageObj>(0);
    base->setSName(std::string(1048576, 'n'));
    Row rows[] = {
        { byUrl, false }, { byUrlGiven, true }, { byData, false }, { byDataGood, true }, { bigImage, false },
        { thumb, false }, { audio, false }, { video, true }, { base, true },
        { std::make_shared<CorvanaTextMessageObjV1>(std::string(1048576, 't')), true },
        { std::make_shared<CorvanaTextMessageObjV1>(std::string(1048577, 't')), false },
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(rows[i].object->isVaild(), rows[i].valid) << i;
        EXPECT_EQ(CorvanaMessagePack::messageVaild(pf::Value(request(1, { rows[i].object }))), rows[i].valid) << i;
    }

    // Image and video exclude each other.
    auto both = CorvanaImageAndVideoMessageObjV1::initWithMessage(pf::Bytes{ 9 }, "http://v.example");
    EXPECT_FALSE(both->objImageMessage()->dataImage());
    EXPECT_EQ(both->objVideoMessage()->sUrl(), "http://v.example");
    both->setDataImage(jpeg());
    EXPECT_FALSE(both->objVideoMessage()->sUrl());
    both->setVideoUrl("http://v.example/2");
    EXPECT_FALSE(both->objImageMessage()->dataImage());

    EXPECT_EQ(CorvanaApiUtil::md5(std::string("abc")), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(CorvanaMessagePack::messagePasteboardType(), *CorvanaApiUtil::md5(std::string("com.zomaru.app")));
    useBundle("");
    EXPECT_EQ(CorvanaMessagePack::messagePasteboardType(), *CorvanaApiUtil::md5(std::string("kCorvanaApiPastBoard")));
    EXPECT_FALSE(CorvanaApiUtil::scheme("corvanaApiIdentifier"));

    pf::Dictionary query({ { "b", "a b/’&=" }, { "a", 5 } });
    EXPECT_EQ(CorvanaApiUtil::GetURLWithParam(std::string("x://h/p"), query), "x://h/p?b=a%20b%2F%E2%80%99%26%3D&a=");
    EXPECT_FALSE(CorvanaApiUtil::GetURLWithParam(std::nullopt, query));
}

TEST_F(CorvanaMessages, TheSessionsEntryPointsReachTheTransportWithTheSessionDelegate)
{
    installApp("com.plaza.app", { "mplaza", "corvanaapi.plaza.reqContent" });
    auto delegate = std::make_shared<SessionDeclining>();
    OpenApi::registerApp("101452831", delegate, {});
    pf::URL url = incoming(pf::Value(request(1)));
    EXPECT_TRUE(CorvanaOAuth::CanHandleOpenURL(url));
    EXPECT_TRUE(CorvanaOAuth::HandleOpenURL(url));
    ASSERT_TRUE(delegate->seen);
    EXPECT_EQ(delegate->seen->nSeq(), 7);
    EXPECT_EQ(openedURLs(1).size(), 1u); // the declined request answered to Plaza
    EXPECT_EQ(CorvanaOAuth::sendRespMessageToCorvanaApp(nullptr), -1);
    EXPECT_FALSE(CorvanaOAuth::getCorvanaAppInstallUrl(1));
    OpenApi::resetForTesting();
}
