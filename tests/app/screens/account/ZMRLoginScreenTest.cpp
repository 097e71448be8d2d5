// The sign-in screen against the in-process server, from an anonymous start;
// its ZZ button through the stand-in ZZ app or the ZZ login page.

#include "tests/app/screens/AppScreenTest.h"
#include "tests/app/services/StandInProviders.h"
#include "tests/sdk/PeerAppSupport.h"
#include "tests/sdk/zz/ZZShellSupport.h"

#include "app/screens/feed/ZMRHomeViewController.h"
#include "app/screens/account/ZMRLoginViewController.h"
#include "app/screens/account/ZMRRegisterViewController.h"
#include "app/services/ZMRAuthTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "sdk/voxly/VXAuthorizeWebView.h"
#include "sdk/voxly/VXBaseResponse.h"
#include "sdk/voxly/VoxlySDK.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/AlertView.h"
#include "platform/controls/Button.h"
#include "platform/controls/TextField.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Application.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <unistd.h>

namespace {

class LoginScreen : public AppScreenTest {
protected:
    explicit LoginScreen(Resources resources = Resources::Source) : AppScreenTest(Start::Anonymous, resources) {}

    std::shared_ptr<ZMRLoginViewController> screen()
    {
        return topController<ZMRLoginViewController>();
    }

    // Types both fields through taps and the keyboard, then taps "登录".
    void signIn(std::string_view account, std::string_view password)
    {
        auto login = screen();
        ASSERT_TRUE(login);
        for (auto& [field, text] : {std::pair{login->accountField(), account}, std::pair{login->passwordField(), password}}) {
            field->setText("");
            pf::Rect frame = field->convertRectToView(field->bounds(), nullptr);
            tap({frame.midX(), frame.midY()});
            type(text);
        }
        auto button = loginButton();
        ASSERT_TRUE(button);
        tap(middleOf(button));
    }
    pf::ViewRef loginButton() const
    {
        return findView([](const pf::View& view) {
            auto* candidate = dynamic_cast<const pf::Button*>(&view);
            return candidate && candidate->title() == "登录";
        });
    }

    // The message of the one alert on the screen ("" when there is none), dismissed.
    std::string takeAlert()
    {
        auto alerts = pf::AlertView::visibleAlerts();
        if (alerts.empty())
            return {};
        EXPECT_EQ(alerts.size(), 1u);
        EXPECT_EQ(alerts.back()->title(), "");
        EXPECT_EQ(alerts.back()->buttonTitleAtIndex(0), "确定");
        std::string message = alerts.back()->message();
        alerts.back()->dismissWithClickedButtonIndex(0, false);
        settle();
        return message;
    }
};

TEST_F(LoginScreen, IsTheAnonymousStartAndChecksItsFieldsBeforeSending)
{
    ASSERT_TRUE(screen()) << "the anonymous start page is not the sign-in screen";
    auto shot = render();
    ASSERT_TRUE(shot);
    for (const auto& field : {screen()->accountField(), screen()->passwordField()}) {
        pf::Rect frame = field->convertRectToView(field->bounds(), nullptr);
        EXPECT_TRUE(shot->pixelAtPoint({frame.x() + 0.5, frame.y() + 0.5}).near({247, 227, 219, 255}, 6))
            << "the screen shows outside the rounded corner of \"" << field->placeholder() << "\"";
        EXPECT_TRUE(shot->pixelAtPoint({frame.midX(), frame.midY()}).near({255, 255, 255, 255}, 6)) << "the field is white";
    }
    struct Row {
        const char* account;
        const char* password;
        const char* alert;
    };
    const Row rows[] = {
        {"", "demo-password", "请输入登录名"},
        {" \t\u3000\u00a0", "demo-password", "请输入登录名"}, // blanks only, the ideographic one too
        {"demo", "", "请输入密码"},
        {"\u3000", "", "请输入登录名"}, // the account is checked first
    };
    for (const Row& row : rows) {
        signIn(row.account, row.password);
        EXPECT_EQ(takeAlert(), row.alert) << "account \"" << row.account << "\"";
        EXPECT_FALSE(screen()->statusView()->status()) << "a task went out for \"" << row.account << "\"";
        EXPECT_FALSE(shell->uid().isNumber());
    }
}

TEST_F(LoginScreen, ReturnMovesFromAccountToPasswordAndNeverSignsIn)
{
    auto login = screen();
    ASSERT_TRUE(login);
    pf::Rect frame = login->accountField()->convertRectToView(login->accountField()->bounds(), nullptr);
    tap({frame.midX(), frame.midY()});
    type("demo");
    host->pressKey(pf::KeyEvent::Kind::Return);
    ASSERT_TRUE(settle());
    EXPECT_TRUE(login->passwordField()->isFirstResponder());
    type("demo-password");
    host->pressKey(pf::KeyEvent::Kind::Return);
    ASSERT_TRUE(settle());
    EXPECT_FALSE(login->passwordField()->isFirstResponder());
    EXPECT_FALSE(login->accountField()->isFirstResponder());
    EXPECT_FALSE(login->statusView()->status());
    EXPECT_FALSE(shell->uid().isNumber());
    EXPECT_EQ(screen(), login);
}

TEST_F(LoginScreen, SignsInWithTheAccountTrimmedAndOpensTheSignedInStart)
{
    signIn("\u3000 demo \n", "demo-password");
    ASSERT_TRUE(waitFor([&] { return shell->uid().isNumber(); }));
    ASSERT_TRUE(settle());
    EXPECT_EQ(takeAlert(), "");
    EXPECT_EQ(shell->account(), "demo");
    auto authUrl = pf::URL::create(shell->config()->string("url-auth").value_or(""));
    ASSERT_TRUE(authUrl);
    auto top = shell->rootViewController()->topController();
    ASSERT_TRUE(top);
    EXPECT_EQ(top->url()->absoluteString(), authUrl->absoluteString());
}

TEST_F(LoginScreen, ShowsTheServersRefusalAndKeepsTheFields)
{
    struct Row {
        const char* password;
    };
    // A password of blanks is not empty: it goes to the server as typed.
    const Row rows[] = {{"wrong-password"}, {"   "}};
    for (const Row& row : rows) {
        signIn("demo", row.password);
        ASSERT_TRUE(waitFor([&] { return !pf::AlertView::visibleAlerts().empty(); })) << row.password;
        auto login = screen();
        ASSERT_TRUE(login);
        EXPECT_FALSE(login->statusView()->status());
        EXPECT_TRUE(login->statusView()->isUserInteractionEnabled());
        EXPECT_EQ(takeAlert(), "登录名或密码错误") << row.password;
        EXPECT_EQ(login->accountField()->text(), "demo");
        EXPECT_EQ(login->passwordField()->text(), row.password);
        EXPECT_FALSE(shell->uid().isNumber());
    }
}

TEST_F(LoginScreen, IgnoresAnswersOfOtherTaskTypes)
{
    auto login = screen();
    ASSERT_TRUE(login);
    login->statusView()->setStatus("loading");
    login->krUploadTaskDidFailWithError(nullptr, pf::Error{"ZMRAuthService", 257, "x"}, proto::IZMRRegisterTask());
    login->krUploadTaskDidSuccessResults(nullptr, pf::Value(), proto::IZMRRegisterTask());
    EXPECT_EQ(login->statusView()->status(), "loading");
    EXPECT_TRUE(pf::AlertView::visibleAlerts().empty());
    EXPECT_EQ(screen(), login);
    login->statusView()->setStatus(std::nullopt); // the spinner would keep the screen busy
}

class LoginThroughGateway : public LoginScreen {
protected:
    LoginThroughGateway()
    {
        setRoute(Route::Gateway);
        // The tests hand these over as the Voxly SDK would: the stand-in issued them.
        for (const char* token : {"voxly-token", "voxly-held", "voxly-first", "voxly-second", "voxly-waiting"})
            standInProviders().voxly.grant(token);
    }
};

// anqi's sign-in and a Voxly sign-in are on their way (the server acted,
// their answers held) when another account is made: once they land, the new
// account stays signed in, the sign-in screen stays where it is with its
// spinner ended, the "验证中..." box closes, and nothing is said.
TEST_F(LoginThroughGateway, ASignInAnsweredAfterAnotherAccountWasMadeIsDroppedQuietly)
{
    auto login = screen();
    ASSERT_TRUE(login);
    gateway->setTarget("LoginTask&"); // ZMRLoginTask and ZMRVoxlyLoginTask
    gateway->setFault(zmr::FaultServer::Fault::Held);
    for (auto& [field, text] : {std::pair{login->accountField(), "anqi"}, std::pair{login->passwordField(), "pw-anqi"}})
        field->setText(text);
    auto button = loginButton();
    ASSERT_TRUE(button);
    host->tap(middleOf(button)); // no settling: the answer is held
    auto voxly = VXAuthorizeResponse::response();
    voxly->accessToken = "voxly-token";
    shell->didReceiveVoxlyResponse(voxly);
    ASSERT_TRUE(waitFor([&] {
        return gateway->count("/api", "taskType=ZMRLoginTask") == 1 && gateway->count("/api", "taskType=ZMRVoxlyLoginTask") == 1;
    }));
    EXPECT_EQ(login->statusView()->status(), "loading");
    EXPECT_TRUE(shell->loadingView());
    const std::string shownBefore = topURL();

    auto made = std::make_shared<ZMRRegisterTask>();
    made->setAccount("newcomer");
    made->setPassword("pw-newcomer");
    made->setNick("新来的");
    ASSERT_TRUE(shell->handle(proto::IZMRRegisterTask(), made, 0));
    ASSERT_TRUE(waitFor([&] { return shell->account() == "newcomer"; }));
    const std::string newcomer = shell->uid().description();
    gateway->release();
    ASSERT_TRUE(waitFor([&] { return !login->statusView()->status() && !shell->loadingView(); }));
    ASSERT_TRUE(settle());
    EXPECT_EQ(shell->uid().description(), newcomer);
    EXPECT_EQ(shell->account(), "newcomer");
    EXPECT_EQ(topURL(), shownBefore);
    EXPECT_TRUE(login->statusView()->isUserInteractionEnabled());
    EXPECT_EQ(takeAlert(), "");
}

// A Voxly binding still with the server is withdrawn by a sign-out, and its
// "验证中..." closes with it; of two tokens on their way, the one chosen last
// signs in, though the earlier one's answer comes first.
TEST_F(LoginThroughGateway, ATokenHandOverEndsWithItsRequestAndTheLastChosenSignsIn)
{
    auto voxly = [&](const char* token) {
        auto response = VXAuthorizeResponse::response();
        response->accessToken = token;
        shell->didReceiveVoxlyResponse(response);
    };
    auto demo = std::make_shared<ZMRLoginTask>();
    demo->setAccount("demo");
    demo->setPassword("demo-password");
    ASSERT_TRUE(shell->handle(proto::IZMRLoginTask(), demo, 0));
    ASSERT_TRUE(waitFor([&] { return shell->account() == "demo"; }));
    gateway->setFault(zmr::FaultServer::Fault::Held);
    gateway->setTarget("zmr-etoken=voxly-held");
    voxly("voxly-held");
    ASSERT_TRUE(waitFor([&] { return gateway->count("/api", "zmr-etoken=voxly-held") == 1; }));
    shell->logout(false);
    EXPECT_FALSE(shell->loadingView());
    ASSERT_TRUE(settle());

    gateway->setTarget("zmr-token=voxly-second");
    voxly("voxly-first");
    voxly("voxly-second");
    ASSERT_TRUE(waitFor([&] { return gateway->count("/api", "zmr-token=voxly-second") == 1; }));
    gateway->release();
    ASSERT_TRUE(waitFor([&] { return shell->uid().isNumber() && !shell->loadingView(); }));
    ASSERT_TRUE(settle());
    EXPECT_EQ(shell->voxlyToken(), "voxly-second");
    EXPECT_EQ(takeAlert(), "");
}

// A Voxly sign-in still with the server gives way to a sign-in or sign-up
// the person starts meanwhile: its "验证中..." closes at the tap, and the
// account typed is the one signed in, whichever answer lands first.
TEST_F(LoginThroughGateway, ASignInOrSignUpStartedMeanwhileWithdrawsAWaitingTokenSignIn)
{
    struct Row {
        const char* account;
        const char* password;
        const char* nick; // a sign-up, on 注册's screen
        bool tokenFirst;  // the token's answer lands before the account's
    } rows[] = {
        {"demo", "demo-password", nullptr, false},
        {"newcomer", "pw-newcomer", "新来的朋友", false},
        {"demo", "demo-password", nullptr, true},
        {"another", "pw-another", "又来的朋友", true},
    };
    gateway->setFault(zmr::FaultServer::Fault::Held);
    std::size_t handedOver = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.account);
        gateway->setTarget("taskType=ZMRVoxlyLoginTask");
        std::vector<std::pair<std::shared_ptr<pf::TextField>, const char*>> fields;
        if (row.nick) {
            ASSERT_TRUE(open("root:///root/login/register"));
            auto form = topController<ZMRRegisterViewController>();
            ASSERT_TRUE(form);
            fields = {{form->accountField(), row.account}, {form->passwordField(), row.password}, {form->nickField(), row.nick}};
        } else {
            ASSERT_TRUE(screen());
            fields = {{screen()->accountField(), row.account}, {screen()->passwordField(), row.password}};
        }
        auto button = row.nick ? viewWithText("注册") : loginButton();
        ASSERT_TRUE(button);
        auto voxly = VXAuthorizeResponse::response();
        voxly->accessToken = "voxly-waiting";
        shell->didReceiveVoxlyResponse(voxly);
        ASSERT_TRUE(waitFor([&] { return gateway->count("/api", "taskType=ZMRVoxlyLoginTask") == handedOver + 1; }));
        ++handedOver;
        const std::string typedTask = row.nick ? "taskType=ZMRRegisterTask" : "taskType=ZMRLoginTask";
        const std::size_t typedBefore = gateway->count("/api", typedTask);
        if (row.tokenFirst) {
            // The token's answer leaves now; the account's waits until it has landed.
            gateway->setTarget(typedTask);
            gateway->release();
        }
        for (auto& [field, text] : fields)
            field->setText(text);
        host->tap(middleOf(button)); // no settling: an answer is held
        EXPECT_FALSE(shell->loadingView()) << "closed at the tap";
        if (row.tokenFirst) {
            ASSERT_TRUE(waitFor([&] { return gateway->count("/api", typedTask) == typedBefore + 1 && !shell->loadingView(); }));
            gateway->release();
        }
        ASSERT_TRUE(waitFor([&] { return shell->account() == row.account; }));
        gateway->release();
        ASSERT_TRUE(settle());
        EXPECT_EQ(shell->account(), row.account);
        EXPECT_FALSE(shell->loadingView());
        EXPECT_EQ(takeAlert(), "");
        shell->logout(false);
        ASSERT_TRUE(settle());
    }
}

// With the shipped script packages, which the ZZ session runs on.
class BindingsThroughGateway : public LoginScreen {
protected:
    BindingsThroughGateway() : LoginScreen(Resources::Built)
    {
        setRoute(Route::Gateway);
        standInProviders().zz.grant("zz-bound", "101452831");
        standInProviders().voxly.grant("voxly-bound");
    }
};

// Bindings are no choice between accounts: a ZZ and a Voxly token obtained
// one after the other both bind, the box closing with the last answer.
TEST_F(BindingsThroughGateway, TwoInARowAreBothAnsweredAndStored)
{
    auto demo = std::make_shared<ZMRLoginTask>();
    demo->setAccount("demo");
    demo->setPassword("demo-password");
    ASSERT_TRUE(shell->handle(proto::IZMRLoginTask(), demo, 0));
    ASSERT_TRUE(waitFor([&] { return shell->account() == "demo"; }));
    ASSERT_TRUE(settle());
    int changes = 0;
    auto observer = std::make_shared<int>(0);
    pf::NotificationCenter::defaultCenter().addObserver("ZMRBindChangedNotification", observer,
                                                       [&changes](const pf::Notification&) { ++changes; });
    gateway->setFault(zmr::FaultServer::Fault::Held);
    gateway->setTarget("taskType=ZMRZZBindTask");
    ASSERT_TRUE(shell->corvanaOAuth());
    shell->corvanaOAuth()->setAccessToken("zz-bound");
    shell->corvanaDidLoginDelay();
    ASSERT_TRUE(waitFor([&] { return gateway->count("/api", "taskType=ZMRZZBindTask") == 1; }));
    // The server bound ZZ, its answer held: the Voxly binding obtained now
    // is held back by the shell, or else answered first with both bindings,
    // and the ZZ answer landing after it would unbind Voxly again.
    const long long demoUid = shell->uid().longLongValue();
    ASSERT_TRUE(waitFor([&] {
        auto stored = store->user(demoUid);
        return stored && stored->zzToken == "zz-bound";
    }));
    auto voxly = VXAuthorizeResponse::response();
    voxly->accessToken = "voxly-bound";
    shell->didReceiveVoxlyResponse(voxly);
    ASSERT_TRUE(waitFor([&] { return shell->tokensHeldBack() == 1 || changes == 1; }));
    gateway->release();
    ASSERT_TRUE(waitFor([&] { return changes == 2 && !shell->loadingView(); }));
    ASSERT_TRUE(settle());
    EXPECT_EQ(shell->zzToken(), "zz-bound");
    EXPECT_EQ(shell->voxlyToken(), "voxly-bound");
    EXPECT_EQ(takeAlert(), "");
}

// The sign-in screen over the build's resources (the signed script package)
// with the ZZ stand-in, a device folder of its own, and this process taking
// the URLs of the ZZ session's scheme as the installed application does.
class LoginScreenZZ : public LoginScreen {
protected:
    LoginScreenZZ() : LoginScreen(Resources::Built) {}
    void SetUp() override
    {
        m_device = std::filesystem::temp_directory_path() / ("zmr-zz-login-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_device);
        setenv("ZMR_DEVICE_DIR", m_device.c_str(), 1);
        zz.emplace();
        AppScreenTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(sdk::test::listenAsApp("corvana101452831"));
    }
    void TearDown() override
    {
        pf::Application::shared().stopReceivingURLs();
        for (auto& alert : pf::AlertView::visibleAlerts())
            alert->dismissWithClickedButtonIndex(-1, false);
        AppScreenTest::TearDown();
        zz.reset();
        unsetenv("ZMR_DEVICE_DIR");
        std::error_code ignored;
        std::filesystem::remove_all(m_device, ignored);
    }
    // The demo account bound ZZ before with `token`; the user id.
    long long knowDemoByZZ(const std::string& token)
    {
        auto demo = store->checkPassword("demo", "demo-password");
        if (!demo)
            return -1;
        std::string bound = server->answer("config=config_zmr&taskType=ZMRZZBindTask&auth-uid=" + std::to_string(demo->uid)
                                           + "&auth-token=" + store->issueToken(demo->uid).value_or("") + "&zmr-etoken=" + token);
        EXPECT_NE(bound.find(R"("error-code":0)"), std::string::npos) << bound;
        return demo->uid;
    }
    bool signedInAtHome(long long uid)
    {
        return waitFor([&] {
            return shell->uid().isNumber() && shell->uid().longLongValue() == uid && !shell->loadingView()
                && topController<ZMRHomeViewController>();
        }, 60) && settle();
    }

    std::optional<ZZStandIn> zz;

private:
    std::filesystem::path m_device;
};

TEST_F(LoginScreenZZ, TheZZButtonSignsInThroughTheInstalledZZApp)
{
    ASSERT_EQ(sdk::test::runPeerApp(ZZAPP_PATH, {"--install", "--script", "approve"}), 0);
    long long uid = knowDemoByZZ(zmr::ZZServer::tokenFor("101452831")); // by the login page: the same person
    ASSERT_TRUE(tapButtonTitled("ZZ登录"));
    ASSERT_TRUE(signedInAtHome(uid));
    EXPECT_FALSE(shell->corvanaOAuth()->loginViewKit()) << "the app answered: no login page";
    EXPECT_EQ(shell->corvanaOAuth()->accessToken(), "ZZA101452831");
    EXPECT_TRUE(zz->server().received("/oauth2.0/m_authorize").empty());
}

TEST_F(LoginScreenZZ, WithoutTheZZAppTheButtonOpensTheLoginPage)
{
    long long uid = knowDemoByZZ(zmr::ZZServer::appTokenFor("101452831")); // by the ZZ app: the same person
    ASSERT_TRUE(tapButtonTitled("ZZ登录"));
    std::shared_ptr<pf::WebView> page;
    ASSERT_TRUE(waitFor([&] { return (page = loadedLoginPage(*shell->corvanaOAuth())) != nullptr; }, 60));
    ASSERT_TRUE(settle()) << "the page slid in";
    auto shot = render();
    ASSERT_TRUE(shot);
    pf::Rect screenBounds = pf::Screen::main().bounds();
    for (double fromBottom : {2.0, 8.0, 30.0}) {
        EXPECT_TRUE(shot->pixelAtPoint({screenBounds.midX(), screenBounds.maxY() - fromBottom}).near({255, 255, 255, 255}, 6))
            << "the page reaches the bottom: " << fromBottom << " points up";
    }
    ASSERT_TRUE(page->followLinkWithText("授权"));
    ASSERT_TRUE(signedInAtHome(uid));
    EXPECT_FALSE(viewWithText("关闭")) << "the page went";
}

// The same, with the gateway between the application and the server and
// the Voxly dialog's pages on the local server.
class LoginScreenZZThroughGateway : public LoginScreenZZ {
protected:
    LoginScreenZZThroughGateway()
    {
        setRoute(Route::Gateway);
        standInProviders().voxly.grant("voxly-late");
    }
    void SetUp() override
    {
        LoginScreenZZ::SetUp();
        if (!HasFatalFailure())
            shell->useVoxlyServer(origin());
    }
    void TearDown() override
    {
        LoginScreenZZ::TearDown();
        VoxlySDK::resetForTesting();
        VoxlySDK::setSettings({});
    }
    // Types the fields and taps 登录 without settling: its answer is held.
    void startSignIn(const char* account, const char* password)
    {
        auto login = screen();
        ASSERT_TRUE(login);
        login->accountField()->setText(account);
        login->passwordField()->setText(password);
        auto button = loginButton();
        ASSERT_TRUE(button);
        host->tap(middleOf(button));
        ++m_signIns;
        ASSERT_TRUE(waitFor([&] { return gateway->count("/api", "taskType=ZMRLoginTask") == m_signIns; }));
    }
    // Taps ZZ登录 and Voxly登录 while a sign-in is on its way; neither opens
    // its page nor hands a token over.
    void tapTheOtherWaysToNoAvail()
    {
        for (const char* title : {"Voxly登录", "ZZ登录"}) {
            auto button = findView([&](const pf::View& view) {
                auto* candidate = dynamic_cast<const pf::Button*>(&view);
                return candidate && candidate->title() == title;
            });
            ASSERT_TRUE(button) << title;
            host->tap(middleOf(button));
            EXPECT_FALSE(viewOfClass<VXAuthorizeWebView>()) << title;
            EXPECT_FALSE(shell->loadingView()) << title;
        }
        EXPECT_EQ(screen()->statusView()->status(), "loading");
    }

private:
    std::size_t m_signIns = 0;
};

// While a password sign-in is on its way, ZZ登录 and Voxly登录 start
// nothing; once it is answered they work again. A token still obtained
// meanwhile (from an authorisation approved before) gives way to the
// sign-in when it lands: one move to the signed-in start, no box left.
TEST_F(LoginScreenZZThroughGateway, TheOtherWaysWaitForASignInOnItsWay)
{
    gateway->setFault(zmr::FaultServer::Fault::Held);
    gateway->setTarget("taskType=ZMRLoginTask");
    ASSERT_NO_FATAL_FAILURE(startSignIn("demo", "wrong-password"));
    ASSERT_NO_FATAL_FAILURE(tapTheOtherWaysToNoAvail());
    gateway->release();
    ASSERT_TRUE(waitFor([] { return !pf::AlertView::visibleAlerts().empty(); }));
    EXPECT_EQ(takeAlert(), "登录名或密码错误");
    ASSERT_TRUE(settle());
    EXPECT_FALSE(shell->corvanaOAuth()->loginViewKit()) << "no ZZ login page";
    EXPECT_EQ(gateway->count("/api", "zmr-token="), 0u);

    ASSERT_TRUE(tapButtonTitled("Voxly登录"));
    auto dialog = viewOfClass<VXAuthorizeWebView>();
    ASSERT_TRUE(dialog) << "the Voxly dialog opens again";
    press(pf::KeyEvent::Kind::Escape);
    EXPECT_FALSE(viewOfClass<VXAuthorizeWebView>());
    ASSERT_TRUE(tapButtonTitled("ZZ登录"));
    ASSERT_TRUE(waitFor([&] { return loadedLoginPage(*shell->corvanaOAuth()) != nullptr; }, 60)) << "the ZZ page opens again";
    press(pf::KeyEvent::Kind::Escape);
    EXPECT_EQ(takeAlert(), "");
    auto page = shell->corvanaOAuth()->loginViewKit();
    ASSERT_FALSE(page && page->window() && !page->window()->isHidden() && !page->isClosing()) << "the ZZ page closed";

    ASSERT_NO_FATAL_FAILURE(startSignIn("demo", "demo-password"));
    ASSERT_NO_FATAL_FAILURE(tapTheOtherWaysToNoAvail());
    gateway->release(); // demo's answer leaves before the late token's request
    gateway->setTarget("taskType=ZMRVoxlyLoginTask");
    auto late = VXAuthorizeResponse::response();
    late->accessToken = "voxly-late";
    shell->didReceiveVoxlyResponse(late);
    EXPECT_TRUE(shell->loadingView());
    std::vector<std::string> shown{topURL()};
    ASSERT_TRUE(waitFor([&] {
        if (topURL() != shown.back())
            shown.push_back(topURL());
        return shell->account() == "demo" && !shell->loadingView() && topController<ZMRHomeViewController>();
    })) << "the box stays over demo's home";
    gateway->release();
    ASSERT_TRUE(settle());
    EXPECT_EQ(shell->account(), "demo");
    EXPECT_EQ(shown.size(), 2u) << shown.back();
    EXPECT_TRUE(topController<ZMRHomeViewController>());
    EXPECT_FALSE(shell->loadingView());
    EXPECT_EQ(takeAlert(), "");
}

}
