// The nickname rule, then the nickname screen on the fixture: a user who
// came through the ZZ app without a nickname chooses one and lands home.

#include "tests/app/screens/AppScreenTest.h"

#include "app/screens/account/ZMRNickRule.h"
#include "app/screens/account/ZMRNickViewController.h"
#include "app/services/ZMRAuthTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/IKRUIViewController.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/AlertView.h"
#include "platform/controls/TextField.h"
#include "platform/foundation/Collections.h"
#include "tools/zzserver/ZZServer.h"

namespace {

TEST(ZMRNickRule, TrimmedNamesCount4To24WithChineseCountingTwo)
{
    struct Row {
        std::string typed;
        const char* refusal; // nullptr: passes
        std::string sent;
    } rows[] = {
        {"", "请输入昵称", ""},
        {" \t\n\u3000 ", "请输入昵称", ""},
        {"abc", "昵称至少4个字符,或2个汉字", "abc"},
        {"  abc \n", "昵称至少4个字符,或2个汉字", "abc"},
        {"小a", "昵称至少4个字符,或2个汉字", "小a"},
        {"a b", "昵称至少4个字符,或2个汉字", "a b"},
        {"a bc", nullptr, "a bc"}, // a blank inside counts 1
        {"小明", nullptr, "小明"},
        {" 小明 ", nullptr, "小明"},
        {"一二三四五六七八九十壹贰", nullptr, "一二三四五六七八九十壹贰"},
        {"一二三四五六七八九十壹贰叁", "昵称最多24个字符,或12个汉字", "一二三四五六七八九十壹贰叁"},
        {std::string(24, 'x'), nullptr, std::string(24, 'x')},
        {std::string(25, 'x'), "昵称最多24个字符,或12个汉字", std::string(25, 'x')},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("[" + row.typed + "]");
        ZMRNickCheck check = ZMRCheckNick(row.typed);
        EXPECT_EQ(check.nick, row.sent);
        EXPECT_EQ(check.refusal.value_or("(passes)"), row.refusal ? row.refusal : "(passes)");
    }
}

class NickScreen : public AppScreenTest {
protected:
    NickScreen() : AppScreenTest(Start::Anonymous) {}

    std::shared_ptr<IKRUIViewController> top() const
    {
        auto root = shell->rootViewController();
        return root ? root->topController() : nullptr;
    }
    std::shared_ptr<ZMRNickViewController> screen() const { return std::dynamic_pointer_cast<ZMRNickViewController>(top()); }
    // Signs in through the ZZ app as a person the server has not met: the
    // ZZ stand-ins' person, a stranger to each test's new server.
    void signInThroughZZ()
    {
        auto task = std::make_shared<ZMRZZLoginTask>();
        task->setToken(zmr::ZZServer::appTokenFor("101452831"));
        task->setExpires_in(7200);
        ASSERT_TRUE(shell->handle(proto::IZMRZZLoginTask(), task, 0));
        ASSERT_TRUE(waitFor([&] { return shell->uid().isNumber(); }));
        ASSERT_TRUE(settle());
    }
    // The one alert on screen shows `message`; it is closed with "确定".
    void expectAlert(const std::string& message)
    {
        auto alerts = pf::AlertView::visibleAlerts();
        ASSERT_EQ(alerts.size(), 1u) << message;
        EXPECT_EQ(alerts[0]->title(), "");
        EXPECT_EQ(alerts[0]->message(), message);
        ASSERT_EQ(alerts[0]->numberOfButtons(), 1);
        EXPECT_TRUE(tapText("确定"));
        EXPECT_TRUE(pf::AlertView::visibleAlerts().empty());
    }
    void submit()
    {
        ASSERT_TRUE(tapText("完成"));
    }
};

TEST_F(NickScreen, TheFieldStartsWithTheStoredTitleUnlessItIsThePlaceholder)
{
    struct Row {
        pf::Value userInfo;
        const char* shown;
    } rows[] = {
        {pf::Value(), ""},
        {pf::Value(pf::Dictionary::create({{"title", pf::Value("#zz_1a2b")}})), ""},
        {pf::Value(pf::Dictionary::create({{"title", pf::Value("安琪妈妈")}})), "安琪妈妈"},
        {pf::Value(pf::Dictionary::create({{"title", pf::Value("小#明")}})), "小#明"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.shown);
        shell->setUserInfo(row.userInfo);
        ASSERT_TRUE(open("root:///root/login"));
        ASSERT_TRUE(open("root:///root/nick"));
        auto nick = screen();
        ASSERT_TRUE(nick && nick->nickField() && nick->statusView());
        EXPECT_EQ(nick->nickField()->text(), row.shown);
    }
}

TEST_F(NickScreen, AZZUserWithoutANicknameChoosesOneAndLandsHome)
{
    signInThroughZZ();
    EXPECT_FALSE(shell->nick()) << "the server has no nickname for this user yet";
    auto start = shell->config()->get("url-nick").stringValue();
    ASSERT_TRUE(start);
    EXPECT_EQ(*start, "root:///root/nick");
    ASSERT_TRUE(open(*start));
    auto nick = screen();
    ASSERT_TRUE(nick) << "the nickname screen opens from url-nick";
    EXPECT_EQ(nick->nickField()->text(), "") << "the \"#\" title is a placeholder";
    EXPECT_TRUE(textFrame("设置昵称"));

    // Refused here: nothing is sent.
    submit();
    expectAlert("请输入昵称");
    nick->nickField()->setText(" 小a ");
    submit();
    expectAlert("昵称至少4个字符,或2个汉字");

    // Refused by the server: the demo account's nickname is taken.
    nick->nickField()->setText("演示用户");
    ASSERT_TRUE(tapText("完成"));
    ASSERT_TRUE(waitFor([] { return !pf::AlertView::visibleAlerts().empty(); }));
    EXPECT_FALSE(nick->statusView()->status());
    EXPECT_TRUE(nick->statusView()->isUserInteractionEnabled());
    ASSERT_EQ(pf::AlertView::visibleAlerts().size(), 1u);
    EXPECT_NE(pf::AlertView::visibleAlerts()[0]->message(), "");
    EXPECT_TRUE(tapText("确定"));
    EXPECT_EQ(nick->nickField()->text(), "演示用户") << "the text stays for another try";
    EXPECT_EQ(top(), nick);

    // The return key submits on the next turn, as the button does.
    nick->nickField()->setText("");
    pf::Rect field = nick->nickField()->convertRectToView(nick->nickField()->bounds(), nullptr);
    tap({field.midX(), field.midY()});
    type("  新来的小林 ");
    host->pressKey(pf::KeyEvent::Kind::Return);
    // On a slow machine the local server's answer can arrive within the
    // frame that sends; until then the form shows it is sending.
    auto answered = [&] { return top() != nick || !pf::AlertView::visibleAlerts().empty(); };
    ASSERT_TRUE(waitFor([&] { return nick->statusView()->status().has_value() || answered(); }, 5))
        << "the return key sent it";
    if (!answered()) {
        EXPECT_EQ(nick->statusView()->status().value_or(""), "loading");
        EXPECT_FALSE(nick->statusView()->isUserInteractionEnabled());
    }
    ASSERT_TRUE(waitFor([&] { return top() != nick; }))
        << (pf::AlertView::visibleAlerts().empty() ? "no answer" : "refused: " + pf::AlertView::visibleAlerts()[0]->message());
    ASSERT_TRUE(settle());
    EXPECT_EQ(shell->nick().value_or(""), "新来的小林");
    auto user = store->user(shell->uid().longLongValue());
    ASSERT_TRUE(user);
    EXPECT_EQ(user->nick, "新来的小林");
    auto home = top();
    ASSERT_TRUE(home && home->url());
    EXPECT_EQ(home->url()->absoluteString(), "root:///root/fold/center/home");
}

TEST_F(NickScreen, SignsOutToTheAnonymousStartPage)
{
    signInThroughZZ();
    ASSERT_TRUE(open("root:///root/nick"));
    ASSERT_TRUE(screen());
    ASSERT_TRUE(tapText("退出登录"));
    EXPECT_TRUE(shell->uid().isNil());
    auto page = top();
    ASSERT_TRUE(page && page->url());
    EXPECT_EQ(page->url()->absoluteString(), "root:///root/login");
}

}
