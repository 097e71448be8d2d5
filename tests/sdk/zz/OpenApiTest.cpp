#include "ShareTestSupport.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/Pasteboard.h"
#include "sdk/zz/APIResponse.h"
#include "sdk/zz/CorvanaOAuth.h"
#include "sdk/zz/OpenApi.h"
#include "sdk/zz/ZZApiDatastore.h"

#include <algorithm>
#include <cmath>

namespace {

const char* const kInfo = "<key>CFBundleDisplayName</key><string>Zomaru</string>"
                          "<key>CFBundleIdentifier</key><string>com.zomaru.app</string>"
                          "<key>CFBundleURLTypes</key><array><dict><key>CFBundleURLSchemes</key>"
                          "<array><string>corvana101452831</string></array></dict></array>";

struct LoginHeard : CorvanaSessionDelegate {
    std::vector<std::string> calls;
    void corvanaDidLogin() override { calls.push_back("login"); }
    void corvanaDidNotLogin(bool cancelled) override { calls.push_back(cancelled ? "cancelled" : "not"); }
    void sendStoryResponse(const Response& r) override { calls.push_back("story " + std::to_string(r->retCode())); }
    void responseDidReceived(const Response&, const std::string& message) override { calls.push_back("named " + message); }
};

class OpenApiSwitch : public ShareDeviceFixture {
protected:
    void SetUp() override
    {
        ShareDeviceFixture::SetUp();
        useBundle(kInfo);
        OpenApi::resetForTesting();
        session = std::make_shared<CorvanaOAuth>("101452831", heard);
        OpenApi::registerApp("101452831", heard, session);
    }
    void TearDown() override
    {
        OpenApi::resetForTesting();
        ShareDeviceFixture::TearDown();
    }
    // Starts a login through the fake app and answers the slot it was sent.
    std::string startLogin(bool general)
    {
        installApp(general ? "com.zz.v3" : "com.zz.v2", { general ? "mzzopensdkapiV2" : "mzzOpensdkSSoLogin", "mzzOpensdkSSoLogin" });
        EXPECT_TRUE(OpenApi::niceAuthorizeWithPermission("get_user_info", heard, true, "101452831"));
        auto opened = openedURLs(1);
        EXPECT_EQ(opened.size(), 1u);
        return opened.empty() ? std::string() : opened[0];
    }
    static void answerIn(const std::string& openedURL, const pf::Value& answer)
    {
        // ".../SSoLogin/<scheme>/<slot>?generalpastboard=N"
        std::string path = openedURL.substr(0, openedURL.find('?'));
        std::string slot = path.substr(path.rfind('/') + 1);
        bool general = openedURL.ends_with("=1");
        auto data = pf::KeyedArchiver::archivedDataWithRootObject(answer).value_or(pf::Bytes());
        if (general)
            pf::Pasteboard::general()->setData(data, slot);
        else
            pf::Pasteboard::withName(slot, true)->setData(data, OpenApi::kDataType);
    }
    static bool reply(bool general, const std::string& query = {})
    {
        std::string url = std::string("corvana101452831://pzapp/x/0?generalpastboard=") + (general ? "1" : "0") + query;
        return OpenApi::handleOpenURL(*pf::URL::create(url));
    }

    std::shared_ptr<LoginHeard> heard = std::make_shared<LoginHeard>();
    std::shared_ptr<CorvanaOAuth> session;
};

pf::Value approve(const char* expires = nullptr)
{
    auto answer = pf::Dictionary::create({ { "openid", "O1" }, { "access_token", "T1" }, { "encrytoken", "E" } });
    if (expires)
        answer->set("expires_in", expires);
    return pf::Value(answer);
}

}

TEST_F(OpenApiSwitch, VersionsComeFromTheHighestAnsweredProbe)
{
    EXPECT_EQ(OpenApi::zzVersion(), 0);
    EXPECT_EQ(OpenApi::plazaVersion(), 0);
    struct Row {
        const char* scheme;
        int zz;
        int plaza;
    } rows[] = {
        { "mzz", 1, 0 }, { "mzzOpensdkSSoLogin", 2, 0 }, { "mzzopensdkapiV2", 3, 0 },
        { "mplaza", 3, 1 }, { "mplazaopensdk", 3, 2 }, { "mplazaopensdkapi", 3, 3 },
        { "mplazaopensdkapi19", 3, 4 }, { "mplazaopensdkapiV2", 3, 5 },
    };
    int n = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.scheme);
        installApp("com.peer.p" + std::to_string(++n), { row.scheme });
        EXPECT_EQ(OpenApi::zzVersion(), row.zz);
        EXPECT_EQ(OpenApi::plazaVersion(), row.plaza);
    }
    EXPECT_TRUE(OpenApi::isSupportGeneralPastboard());
    EXPECT_TRUE(OpenApi::isPlazaSupportGeneralPastboard());
}

TEST_F(OpenApiSwitch, OldZZFailsWithoutTouchingABoard)
{
    installApp("com.zz.v1", { "mzz" });
    EXPECT_FALSE(OpenApi::openZZWithCommand(0, pf::Dictionary::create({ { "a", "b" } })));
    EXPECT_FALSE(OpenApi::niceAuthorizeWithPermission("all", heard, true, "101452831"));
    installApp("com.zz.v2", { "mzzOpensdkSSoLogin" });
    EXPECT_FALSE(OpenApi::openZZWithCommand(1, pf::Dictionary::create({ { "a", "b" } })));
    EXPECT_TRUE(openedURLs(0).empty());
    EXPECT_TRUE(reply(false)) << "the URL is ours";
    EXPECT_TRUE(heard->calls.empty()) << "no login is pending";
}

TEST_F(OpenApiSwitch, LoginAnswersCountOnceWhilePending)
{
    for (bool general : { false, true }) {
        SCOPED_TRACE(general);
        heard->calls.clear();
        std::string opened = startLogin(general);
        EXPECT_TRUE(opened.starts_with("mzzOpensdkSSoLogin://SSoLogin/corvana101452831/")) << opened;
        EXPECT_TRUE(opened.ends_with(general ? "?generalpastboard=1" : "?generalpastboard=0")) << opened;
        answerIn(opened, approve("60"));
        EXPECT_TRUE(reply(general));
        EXPECT_EQ(heard->calls, std::vector<std::string> { "login" });
        EXPECT_EQ(session->accessToken(), "T1");
        EXPECT_EQ(session->openId(), "O1");
        EXPECT_EQ(session->encryToken(), "E");
        EXPECT_NEAR(session->expirationDate()->seconds, pf::Date::now().seconds + 60, 5);

        // The same answer again, and a forged one: no login is pending.
        answerIn(opened, pf::Value(pf::Dictionary::create({ { "openid", "X" }, { "access_token", "Y" } })));
        EXPECT_TRUE(reply(general));
        EXPECT_EQ(heard->calls.size(), 1u);
        EXPECT_EQ(session->openId(), "O1");
        std::filesystem::remove(m_dir + "/opened.txt");
    }
}

TEST_F(OpenApiSwitch, AnswerKinds)
{
    double now = pf::Date::now().seconds;
    struct Row {
        const char* name;
        pf::Value answer;
        const char* heard;
        std::optional<double> expiry; // nothing: no token set
    } rows[] = {
        { "approve, no expiry", approve(), "login", now + 2592000 },
        { "expiry 0", approve("0"), "login", OpenApi::kDistantFuture },
        { "expiry not a number", approve("soon"), "login", OpenApi::kDistantFuture },
        { "huge expiry", approve("99999999999999999999999"), "login", OpenApi::kDistantFuture },
        { "negative expiry", approve("-5"), "login", now },
        { "cancel", pf::Value(pf::Dictionary::create({ { "user_cancelled", "YES" }, { "openid", "O" }, { "access_token", "T" } })), "cancelled", std::nullopt },
        { "deny", pf::Value(pf::Dictionary::create({ { "error", "denied" } })), "not", std::nullopt },
        { "only a token", pf::Value(pf::Dictionary::create({ { "access_token", "T" } })), "not", std::nullopt },
        { "number value", pf::Value(pf::Dictionary::create({ { "openid", "O" }, { "access_token", 5 } })), "not", std::nullopt },
        { "array", pf::Value(pf::Array::create({ "openid", "O" })), "not", std::nullopt },
        { "nested", pf::Value(pf::Dictionary::create({ { "openid", pf::Dictionary::create({}) }, { "access_token", "T" } })), "not", std::nullopt },
        { "empty slot", pf::Value(), "not", std::nullopt },
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        heard->calls.clear();
        session->setAccessToken(std::nullopt);
        session->setOpenId(std::nullopt);
        std::string opened = startLogin(false);
        if (!row.answer.isNil())
            answerIn(opened, row.answer);
        else
            OpenApi::getDictionaryFromPasteBoard(opened.substr(opened.rfind('/') + 1, opened.find('?') - opened.rfind('/') - 1));
        EXPECT_TRUE(reply(false));
        EXPECT_EQ(heard->calls, std::vector<std::string> { row.heard });
        if (row.expiry) {
            ASSERT_TRUE(session->expirationDate());
            EXPECT_NEAR(session->expirationDate()->seconds, *row.expiry, 5);
            EXPECT_EQ(session->accessToken(), "T1");
        } else {
            EXPECT_EQ(session->accessToken(), std::nullopt) << "nothing half-set";
            EXPECT_EQ(session->openId(), std::nullopt);
        }
        std::filesystem::remove(m_dir + "/opened.txt");
    }
}

TEST_F(OpenApiSwitch, NamedAnswersAndRefusedURLs)
{
    auto response = std::make_shared<APIResponse>();
    response->setRetCode(1);
    auto archived = response->archivedData().value();
    struct Row {
        const char* command;
        const char* heard;
    } rows[] = { { "SendStory", "story 1" }, { "1", "story 1" }, { "AppInvitation", "named AppInvitation" }, { "00", "named 00" }, { "7", nullptr } };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command);
        heard->calls.clear();
        auto slot = OpenApi::saveDictionary(pf::Dictionary::create({ { "response_data", pf::Value::data(archived) } }));
        ASSERT_TRUE(slot);
        EXPECT_TRUE(OpenApi::handleOpenURL(*pf::URL::create(std::string("corvana101452831://pzapp/x/") + row.command + "?generalpastboard=0")));
        EXPECT_EQ(heard->calls, row.heard ? std::vector<std::string> { row.heard } : std::vector<std::string> {});
    }

    heard->calls.clear();
    std::string opened = startLogin(false);
    answerIn(opened, approve());
    EXPECT_TRUE(OpenApi::handleOpenURL(*pf::URL::create("corvana101452831://pzapp/x/SendStory?generalpastboard=0")));
    EXPECT_TRUE(heard->calls.empty()) << "a named answer cannot take a pending login's slot";
    EXPECT_FALSE(reply(false, "&x=%FF")) << "invalid UTF-8 refuses the URL";
    EXPECT_FALSE(reply(false, "&x=" + std::string(OpenApi::kMaxURLLength, 'a')));
    EXPECT_TRUE(heard->calls.empty());
    EXPECT_TRUE(reply(false));
    EXPECT_EQ(heard->calls, std::vector<std::string> { "login" }) << "the login's answer still counts";
    EXPECT_TRUE(OpenApi::getDictionaryFromGeneralPasteBoard("none") == nullptr);
}

TEST_F(OpenApiSwitch, GeneralSlotIsTakenAndCleared)
{
    pf::Pasteboard::general()->setItems({ { { "other", pf::Bytes { 1 } } } });
    auto type = OpenApi::saveDictionaryByGeneralPastboardWithSchema(pf::Dictionary::create({ { "k", "v" } }), "corvana9");
    ASSERT_TRUE(type);
    EXPECT_EQ(*type, std::string(ZZApiDatastore::kPasteboardPrefix) + "corvana9");
    auto read = OpenApi::getDictionaryFromGeneralPasteBoard(*type);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->get("k"), pf::Value("v"));
    EXPECT_FALSE(OpenApi::getDictionaryFromGeneralPasteBoard(*type));
}

TEST_F(OpenApiSwitch, ScriptPayloadCarriesTheSDKInformation)
{
    auto slot = OpenApi::JS_saveDictionary(pf::Dictionary::create({ { "permission", "all" }, { "appid", "7" }, { "jsVersion", "3" } }));
    ASSERT_TRUE(slot);
    auto payload = OpenApi::getDictionaryFromPasteBoard(*slot);
    ASSERT_TRUE(payload);
    EXPECT_EQ(payload->get("client_id"), pf::Value("7"));
    EXPECT_EQ(payload->get("app_name"), pf::Value("Zomaru"));
    EXPECT_FALSE(payload->contains("response_type")) << "keys stop at the first missing value";
    EXPECT_EQ(payload->get("jsVersion"), pf::Value("3"));
    EXPECT_EQ(payload->get("sdkv"), pf::Value("2.0.1"));
}

TEST_F(OpenApiSwitch, ScriptsHandAnswersBackFormEncoded)
{
    EXPECT_EQ(CorvanaOAuth::urlencode("a b/ü"), "a+b%2F%C3%BC");
    EXPECT_EQ(CorvanaOAuth::urlencode(""), "");
    EXPECT_EQ(CorvanaOAuth::urlencode("-._~Az09"), "-._~Az09");

    std::string opened = startLogin(true);
    answerIn(opened, approve("60"));
    std::string answer = "corvana101452831://sso/x/0?generalpastboard=1&note=a%20b+c";
    EXPECT_EQ(session->jsCallHandleOpenUrlByOpenApi(pf::Dictionary::create({ { "urlStr", "%FF" } })), "NO");
    EXPECT_EQ(session->jsCallHandleOpenUrlByOpenApi(pf::Dictionary::create({ { "urlStr", CorvanaOAuth::urlencode(answer) } })), "YES");
    EXPECT_EQ(heard->calls, std::vector<std::string> { "login" }) << "the session tells its delegate";
    EXPECT_EQ(session->openId(), "O1");
    EXPECT_TRUE(CorvanaOAuth::CanHandleOpenURL(*pf::URL::create("corvana101452831://pzapp/x/0")));
    EXPECT_FALSE(CorvanaOAuth::CanHandleOpenURL(*pf::URL::create("corvana101452831://sso/x/0")));
}

TEST_F(OpenApiSwitch, TheSessionsAppSwitchRoutesAnswerAsTheSendCommands)
{
    installApp("com.zz.v3", { "mzzopensdkapiV2", "mzzOpensdkSSoLogin" });
    installApp("com.plaza.v5", { "mplazaopensdkapiV2", "mplazaopensdkapi" });
    using Route = std::string (CorvanaOAuth::*)(const pf::DictionaryRef&);
    auto params = [](bool withHosts) {
        auto p = pf::Dictionary::create({ { "appScheme", "corvana101452831" }, { "appid", "101452831" },
                                          { "permission", "get_user_info" }, { "ResponseType", "token" } });
        if (withHosts)
            p->set("ZZApiScheme", "mzzOpensdkSSoLogin"), p->set("ZZHost", "SSoLogin"),
                p->set("PlazaApiScheme", "mplazaopensdkapi"), p->set("PlazaHost", "pzapp");
        return p;
    };
    struct Row {
        const char* name;
        Route route;
        bool withHosts;
        const char* answer;
        const char* opens; // start of the URL the app is opened with, when it is
    } rows[] = {
        { "ZZ", &CorvanaOAuth::authorizeInZZWithParams, true, "true", "mzzOpensdkSSoLogin://SSoLogin/corvana101452831/" },
        { "Plaza", &CorvanaOAuth::authorizeInPlazaWithParams, true, "true", "mplazaopensdkapi://pzapp/corvana101452831/" },
        { "ZZ without its scheme and host", &CorvanaOAuth::authorizeInZZWithParams, false, "false", nullptr },
        { "Plaza without its scheme and host", &CorvanaOAuth::authorizeInPlazaWithParams, false, "false", nullptr },
    };
    std::size_t opened = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(((*session).*row.route)(params(row.withHosts)), row.answer);
        if (row.opens) {
            auto urls = openedURLs(++opened);
            ASSERT_EQ(urls.size(), opened);
            EXPECT_TRUE(urls.back().starts_with(row.opens)) << urls.back();
        }
    }
    EXPECT_EQ(openedURLs(opened).size(), opened) << "a refused route opens nothing";
    EXPECT_EQ(session->encryToken(), std::nullopt);
    session->setEncryToken("E");
    EXPECT_EQ(session->encrytoken(), std::nullopt) << "the lower-case name never answers the token";
}

TEST_F(OpenApiSwitch, PlazaIsOpenedPlainOrWithAnUnsignedCommand)
{
    EXPECT_EQ(OpenApi::getPlazaInstallUrl(), "");
    EXPECT_EQ(OpenApi::getSupportingMaxApiVersion(), "10.0");
    EXPECT_EQ(OpenApi::getApiVersion(), "1.1");
    auto probe = *pf::URL::create("mplazaopensdkapi://pzapp");
    EXPECT_FALSE(OpenApi::canParseURL(probe));
    EXPECT_FALSE(OpenApi::openPlaza()) << "not installed";
    EXPECT_FALSE(OpenApi::openPlazaWithCommand(1, "any", pf::Dictionary::create({ { "a", "b" } })));

    installApp("com.plaza.v3", { "mplazaopensdk", "mplazaopensdkapi" });
    EXPECT_TRUE(OpenApi::canParseURL(probe));
    EXPECT_TRUE(OpenApi::openPlaza());
    EXPECT_TRUE(OpenApi::openPlazaWithCommand(-1, "any", pf::Dictionary::create({ { "a", "b" } })));
    auto opened = openedURLs(2);
    ASSERT_EQ(opened.size(), 2u);
    std::sort(opened.begin(), opened.end());
    EXPECT_EQ(opened[0], "mplazaopensdk://pzapp/corvana101452831/");
    EXPECT_TRUE(opened[1].starts_with("mplazaopensdkapi://pzapp/corvana101452831/")) << opened[1];
    EXPECT_TRUE(opened[1].ends_with("/4294967295?generalpastboard=0")) << opened[1];
}
