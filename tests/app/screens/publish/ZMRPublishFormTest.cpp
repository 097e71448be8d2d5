// The publish form on its two screens, headless: the three alerts and what a
// publish sends, the photo slots and their sheet, the keypad's moves, the
// Voxly and ZZ toggles and the Natter sheet. The form's context is swapped
// for one that writes down what the form asks of it, so nothing leaves.

#include "tests/app/screens/AppScreenTest.h"

#include "tests/platform/graphics/PixelProbe.h"

#include "app/screens/shared/ZMRKeyboardView.h"
#include "app/screens/publish/ZMRPublishController.h"
#include "app/screens/publish/ZMRPublishFeedViewController.h"
#include "app/services/ZMRSocialTasks.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/ui/KRImageView.h"
#include "framework/ui/KRStatusView.h"
#include "framework/ui/KRViewController.h"
#include "platform/controls/ActionSheet.h"
#include "platform/controls/AlertView.h"
#include "platform/controls/Button.h"
#include "platform/controls/ImagePickerController.h"
#include "platform/controls/Keyboard.h"
#include "platform/controls/ScrollView.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ViewController.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

const pf::Color kGreen = pf::Color::rgb(0, 0.8, 0);
const pf::Color kSlotPlus = pf::Color::rgb(0xC8 / 255.0, 0xC8 / 255.0, 0xC8 / 255.0);

// The screen side is the shell's; the application side writes down the
// sign-ins, the Natter calls and every task, and answers as a test says.
class RecordingContext : public pf::Object, public IKRUIContext, public ZMRContext {
public:
    explicit RecordingContext(std::shared_ptr<ZMRShell> shell) : m_shell(std::move(shell)) {}

    std::vector<std::string> calls;
    std::vector<pf::ObjectRef> tasks;
    std::vector<int> natterScenes;
    bool natterUsable = true;
    std::optional<std::string> voxly, zz;
    std::optional<pf::Location> position;

    std::shared_ptr<ZMRPublishTask> lastPublish() const
    {
        for (auto task = tasks.rbegin(); task != tasks.rend(); ++task)
            if (auto publish = std::dynamic_pointer_cast<ZMRPublishTask>(*task))
                return publish;
        return nullptr;
    }

    bool handle(const pf::Protocol* type, const pf::ObjectRef& task, int) override
    {
        calls.push_back(type->name());
        tasks.push_back(task);
        return true;
    }
    bool cancelHandle(const pf::Protocol*, const pf::ObjectRef&) override { return true; }
    bool cancelHandleForSource(const pf::Object*) override { return false; }
    std::shared_ptr<IKRUIViewController> getViewController(const pf::URL& url, const std::string& basePath) override
    {
        return m_shell->getViewController(url, basePath);
    }
    pf::Value focusValueForKey(const std::string& key) const override { return m_shell->focusValueForKey(key); }
    void setFocusValue(const pf::Value& value, const std::string& key) override { m_shell->setFocusValue(value, key); }
    std::shared_ptr<IKRUIViewController> rootViewController() override { return m_shell->rootViewController(); }
    void setResultsData(const pf::Value& data) override { m_shell->setResultsData(data); }
    void waitResultsData(ResultsCallback callback) override { m_shell->waitResultsData(std::move(callback)); }
    std::shared_ptr<KRStyleSheet> styleSheet() override { return m_shell->styleSheet(); }
    std::shared_ptr<KRStyleController> styleController() override { return m_shell->styleController(); }
    void setStyleController(std::shared_ptr<KRStyleController> c) override { m_shell->setStyleController(std::move(c)); }
    std::shared_ptr<KRDOMStyleSheet> domStyleSheet() override { return m_shell->domStyleSheet(); }
    void loadDOMStyleSheet(std::string_view text) override { m_shell->loadDOMStyleSheet(text); }

    void toRootViewController(bool) override {}
    std::shared_ptr<pf::ViewController> topPresentViewController() override { return m_shell->topPresentViewController(); }
    void logout(bool) override {}
    void zzLogin() override { calls.push_back("zzLogin"); }
    void voxlyLogin() override { calls.push_back("voxlyLogin"); }
    void withdrawTokenSignIn() override {}
    bool canSendNatterWithAlert(bool alert) override
    {
        calls.push_back(alert ? "canSendNatter alert" : "canSendNatter");
        return natterUsable;
    }
    bool sendNatterWithTitle(const std::optional<std::string>&, const std::optional<std::string>&, const pf::ImageRef&,
                             int scene) override
    {
        natterScenes.push_back(scene);
        return true;
    }
    void setAuth(const pf::Value&, const std::optional<std::string>&) override {}
    void startLocation() override { calls.push_back("startLocation"); }
    bool isNeedsUpdateLocation() const override { return true; }
    double distance(double, double) const override { return -2; }
    std::optional<pf::Location> location() const override { return position; }
    pf::Value uid() const override { return m_shell->uid(); }
    std::optional<std::string> token() const override { return std::nullopt; }
    void setToken(const std::optional<std::string>&) override {}
    std::optional<std::string> deviceToken() const override { return std::nullopt; }
    void setDeviceToken(const std::optional<std::string>&) override {}
    double timestamp() const override { return 0; }
    void setTimestamp(double) override {}
    std::optional<std::string> account() const override { return std::nullopt; }
    void setAccount(const std::optional<std::string>&) override {}
    std::optional<std::string> nick() const override { return std::nullopt; }
    void setNick(const std::optional<std::string>&) override {}
    long long integral() const override { return 0; }
    void setIntegral(long long) override {}
    pf::Value userInfo() const override { return {}; }
    void setUserInfo(const pf::Value&) override {}
    std::optional<std::string> voxlyToken() const override { return voxly; }
    void setVoxlyToken(const std::optional<std::string>& token) override { voxly = token; }
    std::optional<std::string> zzToken() const override { return zz; }
    void setZzToken(const std::optional<std::string>& token) override { zz = token; }
    long long concernVersion() const override { return 0; }
    void setConcernVersion(long long) override {}
    bool hasConcernChanged() const override { return false; }
    void setHasConcernChanged(bool) override {}
    KRDBContextRef appDBContext() override { return m_shell->appDBContext(); }
    KRDBContextRef userDBContext() override { return m_shell->userDBContext(); }

private:
    std::shared_ptr<ZMRShell> m_shell;
};

class PublishForm : public AppScreenTest {
protected:
    void SetUp() override
    {
        AppScreenTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(useAlbum(kGreen));
        recording = std::make_shared<RecordingContext>(shell);
    }
    void TearDown() override
    {
        for (auto& alert : pf::AlertView::visibleAlerts())
            alert->dismissWithClickedButtonIndex(-1, false);
        AppScreenTest::TearDown();
    }

    // Opens a publish screen and gives its form the recording context.
    std::shared_ptr<ZMRPublishController> openForm(const std::string& name)
    {
        EXPECT_TRUE(open("root:///root/fold/center/" + name));
        auto screen = topController<KRViewController>();
        EXPECT_TRUE(screen);
        if (!screen)
            return nullptr;
        std::shared_ptr<ZMRPublishController> form;
        for (const pf::Value& item : *screen->controllers())
            if (auto found = std::dynamic_pointer_cast<ZMRPublishController>(item.object()))
                form = found;
        EXPECT_TRUE(form);
        if (form)
            form->setContext(recording);
        return form;
    }
    std::vector<std::shared_ptr<KRImageView>> slots(const ZMRPublishController& form) const
    {
        std::vector<std::shared_ptr<KRImageView>> out;
        for (const pf::Value& item : *form.imageViews())
            out.push_back(std::dynamic_pointer_cast<KRImageView>(std::dynamic_pointer_cast<pf::View>(item.object())->subviews().at(0)));
        return out;
    }
    // The shown sheet's buttons, cancel last.
    std::string sheetButtons() const
    {
        auto sheet = viewOfClass<pf::ActionSheet>();
        if (!sheet)
            return "(no sheet)";
        std::string out = sheet->title().empty() ? "" : sheet->title() + ":";
        for (int i = 0; i < sheet->numberOfButtons(); ++i)
            out += " " + sheet->buttonTitleAtIndex(i);
        return out;
    }
    std::string onlyAlert() const
    {
        auto alerts = pf::AlertView::visibleAlerts();
        return alerts.size() == 1 ? alerts[0]->message() : std::to_string(alerts.size()) + " alerts";
    }

    std::shared_ptr<RecordingContext> recording;
};

}

// The body is trimmed Unicode-wide first; the feed form then wants a usual
// price and a price paid no greater; the bargain form has no usual price and
// sends 0 for it. A sent form waits locked; a refusal gives it back whole
// with the server's message.
TEST_F(PublishForm, ThreeAlertsInOrderThenOnePublishWithTheTrimmedBodyAndAmounts)
{
    const std::string kHuge(400, '9');
    struct Row {
        const char* screen;
        const char* body;
        const char* pay; // nullptr: the form has no such field
        const char* expend;
        const char* alert; // "" when it is sent
        double sentPay, sentExpend;
    } rows[] = {
        {"publish-feed", " \n\u3000\u00a0", "100", "50", "请输入内容", 0, 0},
        {"publish-feed", "好价", "", "5", "请输入一般花费", 0, 0},
        {"publish-feed", "好价", "0", "5", "请输入一般花费", 0, 0},
        {"publish-feed", "好价", "1.2.3", "1", "请输入一般花费", 0, 0},
        {"publish-feed", "好价", kHuge.c_str(), "1", "请输入一般花费", 0, 0}, // beyond a double: not an amount
        {"publish-feed", "好价", "100", "120", "实际花费应小于一般花费", 0, 0},
        {"publish-feed", "\u3000好价\n", "100", "100", "", 100, 100},
        {"publish-feed", "好价", "99.5", "", "", 99.5, 0},
        {"publish-cheap", "  ", nullptr, "3", "请输入内容", 0, 0},
        {"publish-cheap", "便宜", nullptr, "", "", 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.screen) + " " + row.body + " " + (row.pay ? row.pay : "-") + " " + row.expend);
        auto form = openForm(row.screen);
        ASSERT_TRUE(form && form->bodyTextView() && form->expendMoneyField() && form->statusView());
        ASSERT_EQ(form->payMoneyField() != nullptr, row.pay != nullptr);
        recording->position = pf::Location{31.5, 121.25, pf::Date()};
        form->bodyTextView()->setText(row.body);
        if (row.pay)
            form->payMoneyField()->setText(row.pay);
        form->expendMoneyField()->setText(row.expend);
        recording->tasks.clear();
        form->publishAction(nullptr);
        if (*row.alert) {
            EXPECT_EQ(onlyAlert(), row.alert);
            EXPECT_TRUE(tapText("确定"));
            EXPECT_TRUE(recording->tasks.empty()) << "nothing is sent";
            EXPECT_FALSE(form->statusView()->status());
            continue;
        }
        auto task = recording->lastPublish();
        ASSERT_TRUE(task);
        EXPECT_EQ(task->body().value_or(""), std::string(row.body).find("好价") != std::string::npos ? "好价" : "便宜");
        EXPECT_EQ(task->payMoney(), row.sentPay);
        EXPECT_EQ(task->expendMoney(), row.sentExpend);
        EXPECT_EQ(task->latitude(), 31.5);
        EXPECT_EQ(task->longitude(), 121.25);
        EXPECT_EQ(form->statusView()->status().value_or(""), "loading");
        EXPECT_FALSE(form->statusView()->isUserInteractionEnabled());

        form->krUploadTaskDidFailWithError(task, pf::Error{"ZMRPublishService", 0, "上传图片失败"}, proto::IZMRPublishTask());
        EXPECT_EQ(onlyAlert(), "上传图片失败");
        EXPECT_TRUE(tapText("确定"));
        EXPECT_FALSE(form->statusView()->status());
        EXPECT_TRUE(form->statusView()->isUserInteractionEnabled());
        EXPECT_EQ(form->bodyTextView()->text(), row.body) << "the form keeps its input";
        EXPECT_EQ(form->expendMoneyField()->text(), row.expend);
    }
}

// Three slots show the placeholder; the album fills the tapped one; a deleted
// picture is not sent. The sheet offers "删除" only for a filled slot and
// never "拍照" (there is no camera).
TEST_F(PublishForm, SlotsTakePicturesFromTheAlbumAndOnlyTheirOwnPicturesAreSent)
{
    auto form = openForm("publish-feed");
    ASSERT_TRUE(form);
    auto shown = slots(*form);
    ASSERT_EQ(shown.size(), 3u);
    for (const auto& slot : shown) {
        ASSERT_TRUE(slot->defaultImage());
        EXPECT_EQ(slot->image(), slot->defaultImage());
        EXPECT_TRUE(pixelIs(middleOf(slot), kSlotPlus, 6)) << "the placeholder's plus";
    }

    tap(middleOf(shown[1]));
    EXPECT_EQ(sheetButtons(), " 相册 取消");
    ASSERT_TRUE(tapText("相册"));
    auto picker = std::dynamic_pointer_cast<pf::ImagePickerController>(shell->topPresentViewController());
    ASSERT_TRUE(picker) << "the album picker, presented from the top";
    tap({40, 20 + 44 + 30}); // the album's first picture
    EXPECT_FALSE(std::dynamic_pointer_cast<pf::ImagePickerController>(shell->topPresentViewController()));
    EXPECT_NE(shown[1]->image(), shown[1]->defaultImage());
    EXPECT_TRUE(pixelIs(middleOf(shown[1]), kGreen, 6));
    EXPECT_TRUE(pixelIs(middleOf(shown[0]), kSlotPlus, 6));

    // The sheet of a filled slot deletes; cancel changes nothing.
    tap(middleOf(shown[1]));
    EXPECT_EQ(sheetButtons(), " 相册 删除 取消");
    ASSERT_TRUE(tapText("取消"));
    EXPECT_NE(shown[1]->image(), shown[1]->defaultImage());
    tap(middleOf(shown[1]));
    ASSERT_TRUE(tapText("删除"));
    EXPECT_EQ(shown[1]->image(), shown[1]->defaultImage());
    form->bodyTextView()->setText("三张里的第二张");
    form->payMoneyField()->setText("10");
    form->publishAction(nullptr);
    ASSERT_TRUE(recording->lastPublish());
    EXPECT_EQ(recording->lastPublish()->images()->count(), 0u) << "a deleted picture is not sent";
}

// The amount fields type on the keypad: "ok" moves from the usual price to
// the price paid and on to the body, "<-" and "clear" edit, and the form
// shrinks above the keypad.
TEST_F(PublishForm, AmountsTypeOnTheKeypadWhoseOkKeyMovesOn)
{
    auto form = openForm("publish-feed");
    ASSERT_TRUE(form && form->keyboardView());
    auto keypad = form->keyboardView();
    auto key = [&](const std::string& k) {
        auto button = std::make_shared<ZMRKeyButton>();
        button->setInputKey(k);
        keypad->doKeyAction(button);
        ASSERT_TRUE(settle());
    };
    tap(middleOf(form->payMoneyField()));
    EXPECT_EQ(pf::Keyboard::shared().currentView(), keypad) << "the keypad shows in place of the keyboard";
    double whole = form->contentView()->superview()->bounds().height();
    EXPECT_EQ(form->contentView()->frame().height(), whole - 216 - 44) << "the form stays above the keypad";
    ASSERT_TRUE(tapText("1"));
    for (const char* k : {"0", "0", ".", "5", ".", "<-", "<-"})
        key(k);
    EXPECT_EQ(form->payMoneyField()->text(), "100");
    ASSERT_TRUE(tapText("完成"));
    EXPECT_TRUE(form->expendMoneyField()->isFirstResponder());
    EXPECT_EQ(keypad->keyInput(), form->expendMoneyField());
    for (const char* k : {"7", "clear", "8", ".", "5"})
        key(k);
    EXPECT_EQ(form->expendMoneyField()->text(), "8.5");
    type("1.2.3abc"); // the desktop keyboard types into the first responder
    EXPECT_EQ(form->expendMoneyField()->text(), "8.5");
    key("ok");
    EXPECT_TRUE(form->bodyTextView()->isFirstResponder());
    EXPECT_EQ(form->payMoneyField()->text(), "100");

    // The return key ends the body without breaking its line.
    form->bodyTextView()->insertText("好");
    form->bodyTextView()->insertText("\n");
    EXPECT_EQ(form->bodyTextView()->text(), "好");
    ASSERT_TRUE(settle());
    EXPECT_FALSE(form->bodyTextView()->isFirstResponder());
    EXPECT_EQ(form->contentView()->frame().height(), whole - 44);
}

// Without a token a toggle starts that sign-in and stays off; with one it
// switches on; an on toggle switches off without asking anything.
TEST_F(PublishForm, VoxlyAndZZTogglesSignInWithoutATokenAndSwitchWithOne)
{
    struct Row {
        const char* button;
        bool token;
        bool on;
        bool afterwards;
        const char* call; // "" for none
    } rows[] = {
        {"Voxly", false, false, false, "voxlyLogin"},
        {"Voxly", true, false, true, ""},
        {"Voxly", false, true, false, ""},
        {"ZZ", false, false, false, "zzLogin"},
        {"ZZ", true, false, true, ""},
        {"ZZ", true, true, false, ""},
    };
    auto form = openForm("publish-cheap");
    ASSERT_TRUE(form && form->voxlyButton() && form->zzButton());
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.button) + (row.token ? " token" : "") + (row.on ? " on" : ""));
        bool voxly = std::string(row.button) == "Voxly";
        auto button = voxly ? form->voxlyButton() : form->zzButton();
        (voxly ? recording->voxly : recording->zz) = row.token ? std::optional<std::string>("tok") : std::nullopt;
        button->setSelected(row.on);
        recording->calls.clear();
        ASSERT_TRUE(tapText(row.button));
        EXPECT_EQ(button->isSelected(), row.afterwards);
        EXPECT_EQ(recording->calls.empty() ? "" : recording->calls.front(), row.call);
    }
    form->voxlyButton()->setSelected(true);
    form->zzButton()->setSelected(false);
    form->bodyTextView()->setText("x");
    form->publishAction(nullptr);
    ASSERT_TRUE(recording->lastPublish());
    EXPECT_TRUE(recording->lastPublish()->toVoxly());
    EXPECT_FALSE(recording->lastPublish()->toZZ());
}

// Natter is asked first (it alerts by itself when it cannot be used); the
// sheet's buttons send to a friend (0) or the timeline (1), and publish
// nothing.
TEST_F(PublishForm, TheNatterSheetAsksNatterFirstAndSendsToTheChosenScene)
{
    auto form = openForm("publish-feed");
    ASSERT_TRUE(form);
    recording->natterUsable = false;
    ASSERT_TRUE(tapText("纳特"));
    EXPECT_EQ(recording->calls, std::vector<std::string>{"canSendNatter alert"});
    EXPECT_EQ(sheetButtons(), "(no sheet)");

    recording->natterUsable = true;
    struct Row {
        const char* button;
        int scene;
    } rows[] = {{"好友", 0}, {"好友圈", 1}, {"取消", -1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.button);
        recording->natterScenes.clear();
        ASSERT_TRUE(tapText("纳特"));
        EXPECT_EQ(sheetButtons(), "分享到纳特: 好友 好友圈 取消");
        ASSERT_TRUE(tapButtonTitled(row.button));
        EXPECT_EQ(recording->natterScenes, row.scene < 0 ? std::vector<int>{} : std::vector<int>{row.scene});
    }
    EXPECT_FALSE(recording->lastPublish()) << "Natter publishes nothing";
}
