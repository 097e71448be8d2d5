// The session's share wiring, through the scripts' own modules: the app
// registration and the open id reach the share model, and Corvana app
// requests handed back by the scripts reach the session delegate.

#include "BuiltResourcesSupport.h"
#include "ScriptPackageSupport.h"

#include "platform/foundation/Pasteboard.h"
#include "platform/net/URLCache.h"
#include "platform/script/ScriptLiteral.h"
#include "sdk/zz/CVOSDKJSBridge.h"
#include "sdk/zz/CorvanaApiInterface.h"
#include "sdk/zz/CorvanaApiReq.h"
#include "sdk/zz/CorvanaOAuth.h"
#include "sdk/zz/OpenApi.h"
#include "sdk/zz/ZZApiDatastore.h"
#include "sdk/zz/ZZRegistration.h"
#include "tests/sdk/zz/ShareTestSupport.h"

#include <gtest/gtest.h>

namespace {

struct Heard : CorvanaSessionDelegate, CorvanaApiInterfaceDelegate {
    std::vector<int> sequences;
    bool onCorvanaReq(const std::shared_ptr<CorvanaApiReq>& request) override
    {
        sequences.push_back(request->nSeq());
        return true;
    }
    void onCorvanaResp(const std::shared_ptr<CorvanaApiResp>&) override {}
};

class ShareWiring : public ShareDeviceFixture {
protected:
    void SetUp() override
    {
        ShareDeviceFixture::SetUp();
        registerZZClasses();
        ASSERT_NO_FATAL_FAILURE(m_resources.enter());
        bridge = commandBridge();
        ASSERT_TRUE(bridge);
        session = std::make_shared<CorvanaOAuth>("101452831", heard);
        ASSERT_TRUE(session->jsRegister(*bridge->JSRunEnv()));
        OpenApi::registerApp("101452831", heard, session);
    }
    void TearDown() override
    {
        session.reset();
        bridge.reset();
        CVOSDKJSBridge::deinit();
        OpenApi::resetForTesting();
        auto& store = ZZApiDatastore::instance();
        store.setAppId(std::nullopt);
        store.setOpenId(std::nullopt);
        store.setScheme(std::nullopt);
        pf::URLCache::setShared(nullptr);
        m_resources.leave();
        ShareDeviceFixture::TearDown();
    }
    // A Corvana request with this sequence on the general board, and the URL
    // that points at it.
    std::string request(int sequence)
    {
        auto fields = pf::Dictionary::create({{"nPlatform", 2}, {"nSeq", sequence}, {"sAppID", "101452831"}});
        auto data = CorvanaMessagePack::dataWithCorvanaReqMessage(pf::Value(CorvanaApiReq::decode(*fields)));
        pf::Pasteboard::general()->setData(*data, "zz.request");
        return "corvana101452831.content://kTecentReqContent/kCorvanaReqContent?kPastboardName=general"
               "&kPastboardType=zz.request";
    }
    // The session's operation takes the URL form-encoded, OpenApi's as it is.
    std::string call(const std::string& function, const std::string& urlStr)
    {
        std::string text = pf::scriptStringLiteral(urlStr);
        if (function.rfind("oauth.", 0) == 0)
            text = "encodeURIComponent(" + text + ")";
        return bridge->evaluateJavascript("String(" + function + "(JSON.stringify({ urlStr: " + text + " })))");
    }

    std::shared_ptr<Heard> heard = std::make_shared<Heard>();
    std::shared_ptr<CVOSDKJSBridge> bridge;
    std::shared_ptr<CorvanaOAuth> session;

private:
    BuiltResourcesHome m_resources;
};

}

TEST_F(ShareWiring, RegistrationAndCorvanaRequestsReachTheShareSide)
{
    bridge->evaluateJavascript("oauth.registZZAPIWithZZAppId(JSON.stringify({ appid: '101452831' }))");
    EXPECT_EQ(ZZApiDatastore::instance().appId(), "101452831");
    EXPECT_EQ(ZZApiDatastore::instance().scheme(), "ZZ060C0C1F");
    session->setOpenId(std::string("OID1"));
    EXPECT_EQ(ZZApiDatastore::instance().openId(), "OID1");

    EXPECT_EQ(call("openApi.handleOpenUrlJudge", request(5)), "NO");
    EXPECT_EQ(call("oauth.jsCallHandleOpenURLByOAuth", request(6)), "YES");
    EXPECT_EQ(heard->sequences, (std::vector<int>{5, 6}));
    EXPECT_FALSE(pf::Pasteboard::general()->dataForPasteboardType("zz.request"));
    EXPECT_EQ(call("openApi.handleOpenUrlJudge", "corvana101452831://sso/x/0"), "YES");
    EXPECT_EQ(call("oauth.jsCallHandleOpenURLByOAuth", "corvana101452831.content://kTecentReqContent/other"), "NO");
}
