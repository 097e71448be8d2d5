#include "VoxlyTestSupport.h"

#include "platform/controls/AlertView.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Pasteboard.h"
#include "platform/host/HeadlessHost.h"
#include "sdk/voxly/VXMessageObject.h"
#include "tools/testserver/TestServer.h"

#include <atomic>
#include <chrono>
#include <mutex>

namespace voxly::test {
namespace {

class VoxlyFacade : public VoxlyTest {
protected:
    void SetUp() override
    {
        VoxlyTest::SetUp();
        host.emplace();
    }
    void TearDown() override
    {
        for (auto& alert : pf::AlertView::visibleAlerts())
            alert->dismissWithClickedButtonIndex(-1, false);
        pf::Application::shared().setURLOpener(nullptr);
        VoxlyTest::TearDown();
        host.reset();
    }
    std::optional<pf::HeadlessHost> host;
};

class FakeDialog final : public VXAuthorizeDialog {
public:
    void show() override { ++shown; }
    void hide() override { ++hidden; }
    int shown = 0, hidden = 0;
};

std::shared_ptr<VXAuthorizeRequest> authorizeRequest()
{
    auto request = VXAuthorizeRequest::request();
    request->redirectURI = "http://127.0.0.1/voxly/authorized";
    request->scope = "";
    return request;
}

std::shared_ptr<VXSendMessageToVoxlyRequest> shareRequest()
{
    auto message = VXMessageObject::message();
    message->text = "hello";
    return VXSendMessageToVoxlyRequest::requestWithMessage(message);
}

TEST(VoxlyURLHelpers, QueryValuesMatchWholeNamesAndUnescape)
{
    struct Row {
        const char* name;
        const char* url;
        std::optional<std::string> value;
    } rows[] = {
        {"id", "vx1://response?id=abc&sdkversion=2.2", "abc"},
        {"id", "vx1://response?xid=1&id=abc", "abc"},
        {"id=", "vx1://response?ID=a%20b#x", "a b"},
        {"id", "id=first&id=second", "first"},
        {"id", "vx1://response?xid=1", std::nullopt},
        {"id", "vx1://response?id=%zz", std::nullopt},
        {"id", "vx1://response?id=%FF", std::nullopt},
        {"id", "vx1://response?id=%C3&xid=1&id=%E4%BD%A0", std::nullopt},
        {"id", "vx1://response?id=%FF&id=2", std::nullopt},
        {"id", "vx1://response?id=%zz&id=3", std::nullopt},
        {"access_token", "http://r/#access_token=T&expires_in=3600", "T"},
        {"uid", "http://r/?a=1#uid=%E4%BD%A0", "你"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(VoxlySDK::queryValueWithName(row.name, row.url), row.value) << row.url;
}

TEST(VoxlyURLHelpers, SerialisingEscapesEachValueAndKeepsTheFragment)
{
    struct Row {
        std::optional<std::string> base;
        std::vector<std::pair<std::string, std::string>> params;
        std::optional<std::string> out;
    } rows[] = {
        {std::nullopt, {{"a", "b"}}, std::nullopt},
        {"https://o.example/oauth2/authorize", {{"client_id", "1"}, {"redirect_uri", "http://h/p?x=1&y=2"}},
         "https://o.example/oauth2/authorize?client_id=1&redirect_uri=http%3A%2F%2Fh%2Fp%3Fx%3D1%26y%3D2"},
        {"https://o.example/a?q=1#frag#more", {{"k", "你 !*'()"}}, "https://o.example/a?q=1&k=%E4%BD%A0%20%21%2A%27%28%29#frag"},
        {"https://o.example/a", {}, "https://o.example/a?"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(VoxlySDK::serializeURLString(row.base, row.params), row.out);
    auto query = VoxlySDK::queryDictionaryOfURLQuery("error=access_denied&error_code=21330;x=a=b&k=%E4%BD%A0&error_code=1&bad=%zz");
    EXPECT_EQ(query->string("error"), "access_denied");
    EXPECT_EQ(query->string("error_code"), "1");
    EXPECT_EQ(query->string("k"), "你");
    EXPECT_FALSE(query->contains("x"));
    EXPECT_FALSE(query->contains("bad"));
}

TEST_F(VoxlyFacade, RegisteringKeepsOneEntryPerKeyNewestKeyFirst)
{
    auto board = pf::Pasteboard::withName("voxlysdk_registed_apps", false);
    ASSERT_TRUE(board);
    EXPECT_TRUE(board->isPersistent());
    ASSERT_TRUE(VoxlySDK::registerApp(std::string(kAppKey)));
    ASSERT_TRUE(VoxlySDK::registerApp(std::string("99")));
    EXPECT_FALSE(VoxlySDK::registerApp(std::nullopt));
    std::vector<std::string> keys;
    for (const auto& item : board->items())
        keys.push_back(item.front().first);
    EXPECT_EQ(keys, (std::vector<std::string>{"99", kAppKey}));
    EXPECT_EQ(VoxlySDK::registeredAppKey(), "99");
}

TEST_F(VoxlyFacade, GeneralBoardIsClearedOnlyWhileItHoldsAVoxlyTransfer)
{
    setSystemVersion("7.0");
    auto general = pf::Pasteboard::general();
    general->setData(pf::Bytes{'x'}, "public.text");
    VoxlySDK::removePasteboardWithName("voxlysdk_request_X");
    EXPECT_EQ(general->items().size(), 1u);
    auto request = authorizeRequest();
    general->setItems(request->transferObjectsForPasteboard());
    VoxlySDK::removePasteboardWithName("voxlysdk_request_X");
    EXPECT_TRUE(general->items().empty());

    setSystemVersion("6.1");
    pf::Pasteboard::withName("voxlysdk_request_X", true)->setData(pf::Bytes{'x'}, "transferObject");
    general->setData(pf::Bytes{'x'}, "transferObject");
    VoxlySDK::removePasteboardWithName("voxlysdk_request_X");
    EXPECT_FALSE(pf::Pasteboard::withName("voxlysdk_request_X", false));
    EXPECT_EQ(general->items().size(), 1u);
}

TEST_F(VoxlyFacade, SendRoadByVersionKindAndSystem)
{
    struct Row {
        const char* voxly; // "2.1", "1.0" or "" (none)
        bool authorize;
        const char* system;
        const char* outcome; // "woken", "dialog", "-99", "alert"
    } rows[] = {
        {"2.1", true, "6.1", "woken"},  {"2.1", false, "6.1", "woken"},  {"2.1", true, "7.0", "woken"},
        {"2.1", false, "7.0", "woken"}, {"1.0", true, "6.1", "dialog"},  {"1.0", false, "6.1", "-99"},
        {"1.0", true, "7.0", "dialog"}, {"1.0", false, "7.0", "-99"},    {"", true, "6.1", "dialog"},
        {"", false, "6.1", "alert"},    {"", true, "7.0", "dialog"},     {"", false, "7.0", "alert"},
    };
    for (const auto& row : rows) {
        std::string label = std::string(row.voxly) + (row.authorize ? " authorize " : " share ") + row.system;
        TearDown();
        SetUp();
        setSystemVersion(row.system);
        if (*row.voxly)
            installVoxly(row.voxly);
        auto dialog = std::make_shared<FakeDialog>();
        VoxlySDK::setAuthorizeDialogFactory([dialog](std::shared_ptr<VXAuthorizeRequest>) { return dialog; });
        std::shared_ptr<VXBaseRequest> request = row.authorize ? std::shared_ptr<VXBaseRequest>(authorizeRequest())
                                                               : std::shared_ptr<VXBaseRequest>(shareRequest());
        ASSERT_TRUE(VoxlySDK::sendRequest(request)) << label;
        std::string outcome = row.outcome;
        // The request waits on its board whatever happens next.
        // (Without private boards a local answer takes the general board.)
        auto onBoard = VXBaseRequest::objectFromPasteboardWithID(*request->requestID(), "2.2");
        if (outcome != "-99" || std::string(row.system) == "6.1") {
            ASSERT_TRUE(onBoard) << label;
            EXPECT_STREQ(onBoard->className(), request->className());
        }
        if (outcome == "woken") {
            ASSERT_TRUE(waitFor([&] { return !voxlyURLs.empty(); })) << label;
            EXPECT_EQ(voxlyURLs[0], "voxlysdk://request?id=" + *request->requestID() + "&sdkversion=2.2");
        } else if (outcome == "dialog") {
            EXPECT_EQ(dialog->shown, 1) << label;
        } else if (outcome == "-99") {
            ASSERT_TRUE(waitFor([&] { return !app->sdk->responses.empty(); })) << label;
            auto response = app->sdk->responses[0];
            EXPECT_STREQ(response->className(), "VXSendMessageToVoxlyResponse");
            EXPECT_EQ(response->statusCode, -99);
            EXPECT_EQ(response->requestID, request->requestID());
            EXPECT_EQ(app->urls.size(), 1u);
            EXPECT_NE(app->urls[0].find(" from example.voxly.app"), std::string::npos);
        } else {
            ASSERT_EQ(pf::AlertView::visibleAlerts().size(), 1u) << label;
            EXPECT_EQ(pf::AlertView::visibleAlerts()[0]->message(), "未安装沃丽客户端，\n是否现在去下载？");
        }
        if (outcome != "-99") {
            pf::RunLoop::main().runUntilIdle();
            EXPECT_TRUE(app->sdk->responses.empty()) << label;
        }
    }
}

TEST_F(VoxlyFacade, RefusedSendsReturnNoAndLeaveNoBoard)
{
    auto invalid = authorizeRequest();
    invalid->redirectURI.reset();
    EXPECT_FALSE(VoxlySDK::sendRequest(invalid));
    EXPECT_FALSE(VXBaseRequest::objectFromPasteboardWithID(*invalid->requestID(), "2.2"));
    auto quiet = shareRequest();
    quiet->setShouldOpenVoxlyAppInstallPageIfNotInstalled(false);
    EXPECT_FALSE(VoxlySDK::sendRequest(quiet));
    EXPECT_TRUE(pf::AlertView::visibleAlerts().empty());
    // No dialog to serve an authorisation is a failure, not a success.
    EXPECT_FALSE(VoxlySDK::sendRequest(authorizeRequest()));
    VoxlySDK::resetForTesting();
    EXPECT_FALSE(VoxlySDK::sendRequest(shareRequest()));
}

TEST_F(VoxlyFacade, InstallAlertButtons)
{
    std::vector<std::string> opened;
    pf::Application::shared().setURLOpener([&](const pf::URL& url) {
        opened.push_back(url.absoluteString());
        return true;
    });
    for (int button : {0, 1}) {
        auto request = shareRequest();
        ASSERT_TRUE(VoxlySDK::sendRequest(request));
        ASSERT_EQ(pf::AlertView::visibleAlerts().size(), 1u);
        auto alert = pf::AlertView::visibleAlerts()[0];
        EXPECT_EQ(alert->buttonTitleAtIndex(0), "以后再说");
        EXPECT_EQ(alert->buttonTitleAtIndex(1), "现在下载");
        ASSERT_TRUE(host->tapViewWithText(alert->buttonTitleAtIndex(button)));
        pf::RunLoop::main().runUntilIdle();
        if (button == 0) {
            ASSERT_EQ(app->sdk->responses.size(), 1u);
            EXPECT_EQ(app->sdk->responses[0]->statusCode, -4);
            EXPECT_EQ(app->sdk->responses[0]->requestID, request->requestID());
            EXPECT_TRUE(opened.empty());
        } else {
            EXPECT_EQ(opened, (std::vector<std::string>{VoxlySDK::settings().downloadURL}));
            EXPECT_FALSE(VXBaseRequest::objectFromPasteboardWithID(*request->requestID(), "2.2"));
            EXPECT_EQ(app->sdk->responses.size(), 1u);
        }
    }
}

TEST_F(VoxlyFacade, OnlyAnswersToOurOwnUnansweredRequestsAreDelivered)
{
    for (const char* system : {"6.1", "7.0"}) {
        setSystemVersion(system);
        installVoxly("2.1");
        auto request = authorizeRequest();
        request->setUserInfo(pf::Dictionary::create({{"from", "sign-in"}}));
        ASSERT_TRUE(VoxlySDK::sendRequest(request));
        auto token = [&](const std::optional<std::string>& requestID, bool withExpiry) {
            auto response = VXAuthorizeResponse::response();
            response->requestID = requestID;
            response->userID = "U";
            response->accessToken = "T";
            if (withExpiry)
                response->expirationDate = pf::Date::now();
            return response;
        };
        auto foreign = token(std::string("FOREIGN"), true);
        EXPECT_TRUE(answer(foreign));
        EXPECT_TRUE(app->sdk->responses.empty()) << system;

        auto good = token(request->requestID(), true);
        EXPECT_TRUE(answer(good));
        ASSERT_EQ(app->sdk->responses.size(), 1u) << system;
        auto delivered = std::dynamic_pointer_cast<VXAuthorizeResponse>(app->sdk->responses[0]);
        ASSERT_TRUE(delivered);
        EXPECT_EQ(delivered->accessToken, "T");
        ASSERT_TRUE(delivered->requestUserInfo) << system;
        EXPECT_EQ(delivered->requestUserInfo->string("from"), "sign-in");
        // Read once: the same answer again signs nobody in.
        EXPECT_TRUE(answer(good));
        EXPECT_EQ(app->sdk->responses.size(), 1u);

        // A success without an expiry is not delivered, and its board goes.
        auto second = authorizeRequest();
        ASSERT_TRUE(VoxlySDK::sendRequest(second));
        auto noExpiry = token(second->requestID(), false);
        EXPECT_TRUE(answer(noExpiry));
        EXPECT_EQ(app->sdk->responses.size(), 1u) << system;
        EXPECT_FALSE(VXBaseResponse::objectFromPasteboardWithID(*noExpiry->responseID(), "2.2"));

        auto key = std::string(kAppKey);
        struct Row {
            std::string url;
            bool claimed;
        } rows[] = {
            {"vx" + key + "://response", true},
            {"vx" + key + "://response?id=NOTHING", true},
            {"vx" + key + "://response?id=" + std::string(70000, 'a'), false},
            {"vx1" + key + "://response?id=x", false},
            {"vx" + key + "://elsewhere?id=x", true},
        };
        for (const auto& row : rows) {
            auto url = pf::URL::create(row.url);
            ASSERT_TRUE(url);
            EXPECT_EQ(VoxlySDK::handleOpenURL(*url, app->sdk), row.claimed) << row.url.substr(0, 60);
        }
        EXPECT_EQ(app->sdk->responses.size(), 1u);
        app->sdk->responses.clear();
        TearDown();
        SetUp();
    }
}

TEST_F(VoxlyFacade, UnsupportedRequestIsAnsweredAfterHalfASecond)
{
    installVoxly("2.1");
    // The Voxly app may not ask this app to authorise.
    auto incoming = authorizeRequest();
    auto board = VoxlySDK::pasteboardWithName(incoming->pasteboardName(), true);
    board->setItems(incoming->transferObjectsForPasteboard());
    auto start = std::chrono::steady_clock::now();
    auto url = pf::URL::create(incoming->open3rdAppSchemeWithAppKey(kAppKey));
    EXPECT_TRUE(VoxlySDK::handleOpenURL(*url, app->sdk));
    EXPECT_TRUE(app->sdk->requests.empty());
    ASSERT_TRUE(waitFor([&] { return !voxlyURLs.empty(); }));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(voxlyURLs[0].rfind("voxlysdk://response?id=", 0), 0u);
    auto id = VoxlySDK::queryValueWithName("id", voxlyURLs[0]);
    auto response = VXBaseResponse::objectFromPasteboardWithID(*id, "2.2");
    ASSERT_TRUE(response);
    EXPECT_EQ(response->statusCode, -99);
    EXPECT_FALSE(response->requestID);

    auto provide = VXProvideMessageForVoxlyRequest::request();
    VoxlySDK::pasteboardWithName(provide->pasteboardName(), true)->setItems(provide->transferObjectsForPasteboard());
    EXPECT_TRUE(VoxlySDK::handleOpenURL(*pf::URL::create(provide->open3rdAppSchemeWithAppKey(kAppKey)), app->sdk));
    ASSERT_EQ(app->sdk->requests.size(), 1u);
    EXPECT_STREQ(app->sdk->requests[0]->className(), "VXProvideMessageForVoxlyRequest");
}

class BodyRecorder final : public VoxlySDKRequestDelegate {
public:
    void didReceiveVoxlySDKResponse(const std::string& body, const std::optional<pf::Error>& error) override
    {
        std::lock_guard lock(mutex);
        bodies.push_back(error ? "error" : body);
        done = true;
    }
    std::mutex mutex;
    std::vector<std::string> bodies;
    std::atomic<bool> done = false;
};

TEST_F(VoxlyFacade, HttpCallsEscapeEachValueAndMaskSecretsInTheLog)
{
    zmr::TestServer server;
    server.script("/2/direct_messages/invite", zmr::TestServer::Reply::with(200, "application/json", "{\"ok\":1}"));
    server.script("/oauth2/revokeoauth2", zmr::TestServer::Reply::with(200, "application/json", "{\"result\":true}"));
    VoxlySDK::setServerOrigin(server.url(""));
    auto invite = std::make_shared<BodyRecorder>();
    testing::internal::CaptureStderr();
    VoxlySDK::inviteFriend("你好 & bye", "42", "tok&en=1", invite);
    ASSERT_TRUE(waitFor([&] { return invite->done.load(); }));
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(invite->bodies, (std::vector<std::string>{"{\"ok\":1}"}));
    auto received = server.received("/2/direct_messages/invite");
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0].query, "text=%E4%BD%A0%E5%A5%BD%20%26%20bye&uid=42&access_token=tok%26en%3D1&appkey=2871042569"
                                 "&source=2871042569&package=com.zomaru.app&sign=7c1e9a04d2b65f83e0a4c9d17b2f6e58");
    EXPECT_EQ(log.find("tok%26en"), std::string::npos) << log;
    EXPECT_EQ(log.find("7c1e9a04"), std::string::npos) << log;
    EXPECT_NE(log.find("access_token=***"), std::string::npos) << log;

    auto revoke = std::make_shared<BodyRecorder>();
    VoxlySDK::logOutWithToken("a b", revoke);
    ASSERT_TRUE(waitFor([&] { return revoke->done.load(); }));
    ASSERT_EQ(server.received("/oauth2/revokeoauth2").size(), 1u);
    EXPECT_EQ(server.received("/oauth2/revokeoauth2")[0].query, "access_token=a%20b");
    VoxlySDK::setSettings({});
}

}
}
