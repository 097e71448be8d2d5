// The sign-up screen: its field rules, then the shipped screen on the
// fixture, from the anonymous start page to a stored sign-in.

#include "tests/app/screens/AppScreenTest.h"

#include "app/screens/people/ZMRRecommendFollowViewController.h"
#include "app/screens/account/ZMRRegisterViewController.h"
#include "app/services/ZMRAnswer.h"
#include "app/services/ZMRAuthTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/IKRUIViewController.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/AlertView.h"
#include "platform/controls/Button.h"
#include "platform/controls/TextField.h"
#include "platform/foundation/Collections.h"
#include "platform/ui/Screen.h"

namespace {

using Fields = ZMRRegisterViewController::Fields;

TEST(ZMRRegisterRules, TheFirstBrokenRuleIsTheMessageAndBlanksAroundNamesAreNeitherCountedNorSent)
{
    struct Row {
        Fields typed;
        const char* refusal; // nullptr: sent
        Fields sent;
    } rows[] = {
        {{"", "", ""}, "请输入登录名", {"", "", ""}},
        {{" \t\n\u3000", "secret", "小明小明"}, "请输入登录名", {"", "secret", "小明小明"}},
        {{"ming", "12345", ""}, "密码最少6位", {"ming", "12345", ""}},
        {{"ming", "      ", "小明"}, nullptr, {"ming", "      ", "小明"}}, // six blanks pass, sent as typed
        {{"ming", " 密码密码密 ", "小明"}, nullptr, {"ming", " 密码密码密 ", "小明"}},
        {{"ming", "密码密码密", "小明"}, "密码最少6位", {"ming", "密码密码密", "小明"}},
        {{"ming", "secret", "小a"}, "昵称应在4~24个字符间", {"ming", "secret", "小a"}},
        {{"ming", "secret", "  小a  "}, "昵称应在4~24个字符间", {"ming", "secret", "小a"}},
        {{"ming", "secret", "abc "}, "昵称应在4~24个字符间", {"ming", "secret", "abc"}},
        {{"ming", "secret", "a b "}, "昵称应在4~24个字符间", {"ming", "secret", "a b"}},
        {{"ming", "secret", "a bc"}, nullptr, {"ming", "secret", "a bc"}},
        {{"  ming\n", "secret", "\n小明 "}, nullptr, {"ming", "secret", "小明"}},
        {{"ming", "secret", "一二三四五六七八九十壹贰"}, nullptr, {"ming", "secret", "一二三四五六七八九十壹贰"}},
        {{"ming", "secret", "一二三四五六七八九十壹贰a"}, "昵称应在4~24个字符间", {"ming", "secret", "一二三四五六七八九十壹贰a"}},
        {{"ming", "secret", std::string(24, 'x')}, nullptr, {"ming", "secret", std::string(24, 'x')}},
        {{"ming", "secret", std::string(25, 'x')}, "昵称应在4~24个字符间", {"ming", "secret", std::string(25, 'x')}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("[" + row.typed.account + "|" + row.typed.password + "|" + row.typed.nick + "]");
        Fields sent = ZMRRegisterViewController::sentFields(row.typed);
        EXPECT_EQ(sent.account, row.sent.account);
        EXPECT_EQ(sent.password, row.sent.password);
        EXPECT_EQ(sent.nick, row.sent.nick);
        auto refusal = ZMRRegisterViewController::refusal(sent);
        EXPECT_EQ(refusal.value_or("(sent)"), row.refusal ? row.refusal : "(sent)");
    }
}

class RegisterScreen : public AppScreenTest {
protected:
    RegisterScreen() : AppScreenTest(Start::Anonymous) {}
    // Reached as a person reaches it: "注册" on the anonymous sign-in screen.
    void SetUp() override
    {
        AppScreenTest::SetUp();
        ASSERT_TRUE(open("root:///root/login/register"));
    }

    std::shared_ptr<ZMRRegisterViewController> screen() const
    {
        return topController<ZMRRegisterViewController>();
    }
    void tapView(const pf::ViewRef& view)
    {
        pf::Rect frame = view->convertRectToView(view->bounds(), nullptr);
        tap({frame.midX(), frame.midY()});
    }
    void pressReturn()
    {
        host->pressKey(pf::KeyEvent::Kind::Return);
        EXPECT_TRUE(settle());
    }
    void commit()
    {
        auto button = viewWithText("注册");
        ASSERT_TRUE(std::dynamic_pointer_cast<pf::Button>(button));
        tapView(button);
    }
    // The one alert on screen shows `message`; it is closed with "确定".
    void expectAlert(const std::string& message)
    {
        auto alerts = pf::AlertView::visibleAlerts();
        ASSERT_EQ(alerts.size(), 1u) << message;
        EXPECT_EQ(alerts[0]->title(), "");
        EXPECT_EQ(alerts[0]->message(), message);
        ASSERT_EQ(alerts[0]->numberOfButtons(), 1);
        EXPECT_EQ(alerts[0]->buttonTitleAtIndex(0), "确定");
        EXPECT_TRUE(tapText("确定"));
        EXPECT_TRUE(pf::AlertView::visibleAlerts().empty());
    }
};

TEST_F(RegisterScreen, OpensFromTheSignInScreenAndItsReturnKeysWalkTheFields)
{
    auto form = screen();
    ASSERT_TRUE(form) << "the sign-up screen is on top";
    EXPECT_EQ(form->url()->absoluteString(), "root:///root/login/register");
    ASSERT_TRUE(form->accountField() && form->passwordField() && form->nickField() && form->statusView());
    tapView(form->accountField());
    type("ming");
    pressReturn();
    EXPECT_EQ(pf::TextField::editingField(), form->passwordField());
    type("secret");
    pressReturn();
    EXPECT_EQ(pf::TextField::editingField(), form->nickField());
    type("小明");
    pressReturn();
    EXPECT_FALSE(pf::TextField::editingField());
    EXPECT_EQ(form->accountField()->text(), "ming");
    EXPECT_EQ(form->passwordField()->text(), "secret");
    EXPECT_EQ(form->nickField()->text(), "小明");

    tapView(form->nickField());
    EXPECT_EQ(pf::TextField::editingField(), form->nickField());
    tap({20, 340}); // beside the form, above the keyboard
    EXPECT_FALSE(pf::TextField::editingField());
}

TEST_F(RegisterScreen, AlertsForRulesAndRefusalsThenStoresTheSignInAndMovesOnToRecommendFollow)
{
    auto form = screen();
    ASSERT_TRUE(form);
    commit();
    expectAlert("请输入登录名");
    form->accountField()->setText("  demo ");
    form->passwordField()->setText("12345");
    commit();
    expectAlert("密码最少6位");
    form->passwordField()->setText("secret1");
    form->nickField()->setText(" 新a ");
    commit();
    expectAlert("昵称应在4~24个字符间");

    form->nickField()->setText(" 新人小林 ");
    host->tap({160, 268}); // the button, without settling
    // On a slow machine the local server's answer can arrive while the tap
    // settles; until then the form shows it is sending.
    if (pf::AlertView::visibleAlerts().empty()) {
        EXPECT_EQ(form->statusView()->status().value_or(""), "loading");
        EXPECT_FALSE(form->statusView()->isUserInteractionEnabled());
    }
    ASSERT_TRUE(waitFor([] { return !pf::AlertView::visibleAlerts().empty(); }));
    EXPECT_FALSE(form->statusView()->status());
    EXPECT_TRUE(form->statusView()->isUserInteractionEnabled());
    expectAlert("登录名已存在，请尝试其他登录名"); // the demo account's name is taken
    EXPECT_FALSE(shell->uid().isNumber());

    form->accountField()->setText(" xiaolin\n");
    commit();
    EXPECT_TRUE(pf::AlertView::visibleAlerts().empty());
    ASSERT_TRUE(shell->uid().isNumber()) << "the new user's sign-in is stored";
    auto user = store->checkPassword("xiaolin", "secret1");
    ASSERT_TRUE(user) << "the server has the account with the password as typed";
    EXPECT_EQ(shell->uid().longLongValue(), user->uid);
    EXPECT_EQ(user->nick, "新人小林");
    EXPECT_EQ(shell->nick().value_or(""), "新人小林");
    auto next = shell->rootViewController()->topController();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->alias(), "recommend-follow");
    EXPECT_TRUE(std::dynamic_pointer_cast<ZMRRecommendFollowViewController>(next));
    EXPECT_EQ(next->url()->absoluteString(), "root:///root/login/register/recommend-follow");
}

// A sign-up the server performed but whose answer was lost: the retry with
// the same name meets "name exists", and the screen signs in instead when
// the password fits.
TEST_F(RegisterScreen, ARetryAfterALostSignUpSignsInToTheAccountItMadeOrSaysTheNameIsTaken)
{
    auto form = screen();
    ASSERT_TRUE(form);
    auto lost = [&](const std::string& account) {
        auto task = std::make_shared<ZMRRegisterTask>();
        task->setAccount(account);
        form->krUploadTaskDidFailWithError(task, pf::Error{"ZMRAuthService", ZMRResultUnknownCode, "timed out"},
                                           proto::IZMRRegisterTask());
        expectAlert("网络异常，无法确认是否已提交成功，请先查看，再决定是否重新提交");
    };
    // The lost sign-up of "demo" was not this person's: the password differs.
    lost("demo");
    form->accountField()->setText("demo");
    form->passwordField()->setText("another1");
    form->nickField()->setText("新人小周");
    commit();
    ASSERT_TRUE(waitFor([] { return !pf::AlertView::visibleAlerts().empty(); }));
    expectAlert("登录名已存在，请尝试其他登录名");
    EXPECT_FALSE(shell->uid().isNumber());

    // The server made "xiaozhou" before its answer was lost.
    zmr::AppUser made;
    ASSERT_EQ(store->addUser("xiaozhou", "secret1", "小周本人", made), zmr::AppStore::Outcome::Ok);
    lost("xiaozhou");
    form->accountField()->setText("xiaozhou");
    form->passwordField()->setText("secret1");
    commit();
    ASSERT_TRUE(waitFor([&] { return shell->uid().isNumber(); }));
    EXPECT_TRUE(pf::AlertView::visibleAlerts().empty());
    EXPECT_EQ(shell->uid().longLongValue(), made.uid);
    ASSERT_TRUE(waitFor([&] { return shell->rootViewController()->topController()->alias() == "recommend-follow"; }));
}


class RegisterThroughGateway : public RegisterScreen {
protected:
    RegisterThroughGateway() { setRoute(Route::Gateway); }
};

// The sign-up was made and its answer lost, or answered without a session;
// the sign-in that follows the retry gets no answer either. The account may
// still be this person's: the form says what failed, and the next 注册
// tries the sign-in again.
TEST_F(RegisterThroughGateway, ASignInWithoutAnswerAfterALostSignUpNeverCallsTheNameTaken)
{
    auto form = screen();
    ASSERT_TRUE(form);
    struct SignUp {
        const char* account;
        const char* nick;
        zmr::FaultServer::Fault fault;
        const char* body;
    } signUps[] = {
        {"xiaowu", "新人小吴", zmr::FaultServer::Fault::None, "{}"},
        {"xiaozhou", "新人小周", zmr::FaultServer::Fault::CloseAfterRequest, R"({"error-code":0})"},
    };
    gateway->setTarget("taskType=ZMRRegisterTask");
    for (const SignUp& signUp : signUps) {
        SCOPED_TRACE(signUp.account);
        form->accountField()->setText(signUp.account);
        form->passwordField()->setText("secret1");
        form->nickField()->setText(signUp.nick);
        gateway->setFault(signUp.fault);
        gateway->setReply(200, signUp.body);
        commit();
        ASSERT_TRUE(waitFor([] { return !pf::AlertView::visibleAlerts().empty(); }));
        expectAlert("网络异常，无法确认是否已提交成功，请先查看，再决定是否重新提交");
        ASSERT_TRUE(store->checkPassword(signUp.account, "secret1")) << "the server made the account";
        EXPECT_FALSE(shell->uid().isNumber());
    }

    struct Row {
        zmr::FaultServer::Fault fault;
        int status;
        const char* body;
        const char* message;
    } rows[] = {
        {zmr::FaultServer::Fault::None, 500, "<html>down</html>", "服务器出错（500），请稍后重试"},
        {zmr::FaultServer::Fault::CloseAfterRequest, 200, "{}", "网络连接失败，请稍后重试"},
        {zmr::FaultServer::Fault::None, 200, "<html>maintenance</html>", "服务器出错，请稍后重试"},
        {zmr::FaultServer::Fault::None, 200, "[]", "服务器出错，请稍后重试"},
        {zmr::FaultServer::Fault::None, 200, "{}", "服务器出错，请稍后重试"}, // no session
    };
    gateway->setTarget("taskType=ZMRLoginTask");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message);
        gateway->setFault(row.fault);
        gateway->setReply(row.status, row.body);
        commit();
        ASSERT_TRUE(waitFor([] { return !pf::AlertView::visibleAlerts().empty(); }));
        expectAlert(row.message);
        EXPECT_FALSE(shell->uid().isNumber());
    }
    gateway->setTarget("");
    commit();
    ASSERT_TRUE(waitFor([&] { return shell->uid().isNumber(); }));
    EXPECT_TRUE(pf::AlertView::visibleAlerts().empty());
    ASSERT_TRUE(waitFor([&] { return shell->rootViewController()->topController()->alias() == "recommend-follow"; }));
}
}
