// The ledger entry form: its amount and scroll rules, the shipped screen
// over the keypad and the system keyboard, and entries sent to the local
// server.

#include "tests/app/screens/AppScreenTest.h"

#include "app/screens/ledger/ZMRBooksEditController.h"
#include "app/screens/publish/ZMRClassifyController.h"
#include "app/screens/publish/ZMRClassifyItemControl.h"
#include "app/screens/ledger/ZMRPublishBooksViewController.h"
#include "app/screens/shared/ZMRKeyboardFit.h"
#include "app/services/ZMRContext.h"
#include "app/services/ZMRTaskTypes.h"
#include "framework/core/IKRUIViewController.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/AlertView.h"
#include "platform/controls/Keyboard.h"
#include "platform/controls/ScrollView.h"
#include "platform/controls/TextField.h"
#include "platform/ui/Screen.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

}

TEST(ZMRBooksEditRules, AmountsAreTheLeadingFiniteNumberAndScrollsStayInsideTheBody)
{
    struct Amount {
        const char* text;
        double amount;
    } amounts[] = {
        {"", 0}, {"0", 0}, {"0.00", 0}, {".", 0}, {"12", 12}, {"12.5", 12.5}, {".5", 0.5}, {"1.2.3", 1.2},
        {"  7", 7}, {"+3", 3}, {"abc", 0}, {"5元", 5}, {"1e999", 0}, {"inf", 0}, {"nan", 0}, {"-inf", 0},
    };
    for (const Amount& row : amounts)
        EXPECT_EQ(ZMRBooksEditController::amountOf(row.text), row.amount) << row.text;

    struct Scroll {
        double content, bounds, focus, target;
    } scrolls[] = {
        {504, 288, 40, 176},   // the remark above the keyboard
        {504, 504, 40, 0},     // nothing to scroll
        {300, 504, 40, 0},     // a body shorter than its view
        {504, 288, 300, 0},    // a focus taller than the room: the top
        {504, 288, -50, 216},  // never past the end
        {kNaN, 288, 40, 0}, {504, kInf, 40, 0}, {504, 288, kNaN, 0}, {kInf, 288, 40, 0},
    };
    for (const Scroll& row : scrolls)
        EXPECT_EQ(ZMRBooksEditController::scrollTarget(row.content, row.bounds, row.focus), row.target)
            << row.content << " " << row.bounds << " " << row.focus;

    // What a keyboard frame covers of the screen: a hiding keyboard's end
    // frame lies below the screen and covers nothing.
    const double screen = pf::Screen::main().bounds().height();
    struct Cover {
        pf::Rect keyboard;
        double cover;
    } covers[] = {
        {{0, screen - 216, 320, 216}, 216}, {{0, screen, 320, 216}, 0}, {{0, screen - 100, 320, 216}, 100},
        {{0, screen + 50, 320, 216}, 0},    {{0, 0, 320, screen + 500}, screen}, {{}, 0},
        {{0, screen - 216, 320, kNaN}, 0},  {{0, kNaN, 320, 216}, 0},
    };
    for (const Cover& row : covers)
        EXPECT_EQ(ZMRKeyboardCover(row.keyboard), row.cover) << row.keyboard.y() << " " << row.keyboard.height();
}

namespace {

class PublishBooksScreen : public AppScreenTest {
protected:
    void SetUp() override
    {
        AppScreenTest::SetUp();
        ASSERT_TRUE(open("root:///root/fold/center/home/publish-books"));
        ASSERT_TRUE(screen()) << "the ledger entry screen is on top";
        form = findForm();
        ASSERT_TRUE(form && form->moneyField() && form->remarkField() && form->keyboardView() && form->contentView() &&
                    form->statusView() && form->classifyController());
    }

    std::shared_ptr<ZMRPublishBooksViewController> screen() const
    {
        return topController<ZMRPublishBooksViewController>();
    }
    std::shared_ptr<ZMRBooksEditController> findForm() const
    {
        auto shown = screen();
        auto controllers = shown ? shown->controllers() : nullptr;
        for (std::size_t i = 0; controllers && i < controllers->count(); ++i)
            if (auto found = controllers->at(i).objectAs<ZMRBooksEditController>())
                return found;
        return nullptr;
    }
    void tapView(const pf::ViewRef& view)
    {
        ASSERT_TRUE(view);
        pf::Rect frame = view->convertRectToView(view->bounds(), nullptr);
        tap({frame.midX(), frame.midY()});
    }
    // Taps keypad keys by the keys they stand for, blank-separated.
    void keys(const std::string& list)
    {
        std::istringstream in(list);
        for (std::string name; in >> name;)
            tapView(findView([&](const pf::View& view) {
                auto key = dynamic_cast<const ZMRKeyButton*>(&view);
                return key && key->inputKey() == name;
            }));
    }
    void expectAlert(const std::string& message)
    {
        auto alerts = pf::AlertView::visibleAlerts();
        ASSERT_EQ(alerts.size(), 1u) << message;
        EXPECT_EQ(alerts[0]->message(), message);
        EXPECT_TRUE(tapText("确定"));
    }
    std::size_t bookCount()
    {
        return store->books(10001, 0, std::numeric_limits<long long>::max()).size();
    }

    std::shared_ptr<ZMRBooksEditController> form;
};

}

// The amount comes from the keypad alone, the system keyboard never shows
// for it; the remark brings the keyboard, and the body shortens above it
// and scrolls the remark into view once.
TEST_F(PublishBooksScreen, KeypadFillsTheAmountAndTheBodyMakesRoomForTheKeyboard)
{
    auto money = form->moneyField();
    auto content = form->contentView();
    const double fullHeight = content->frame().height();
    keys("5"); // nothing focused yet
    EXPECT_TRUE(money->isFirstResponder());
    EXPECT_EQ(money->text(), "5");
    EXPECT_EQ(pf::Keyboard::shared().frame().height(), 0) << "the amount never brings the system keyboard";
    keys("<- <- 1 2 . 5 . 0");
    EXPECT_EQ(money->text(), "12.50");
    keys("clear");
    EXPECT_EQ(money->text(), "");
    keys("<- 3");
    EXPECT_EQ(money->text(), "3");
    type("1.2.3abc"); // the desktop keyboard types into the first responder
    money->deleteBackward();
    EXPECT_EQ(money->text(), "3");
    keys("ok");
    EXPECT_FALSE(money->isFirstResponder());
    EXPECT_EQ(content->frame().height(), fullHeight);

    tapView(form->remarkField());
    EXPECT_EQ(pf::TextField::editingField(), form->remarkField());
    ASSERT_TRUE(waitFor([&] { return content->frame().height() == fullHeight - pf::Keyboard::PanelHeight; }));
    ASSERT_TRUE(waitFor([&] {
        return content->contentOffset().y ==
               ZMRBooksEditController::scrollTarget(content->contentSize().height, content->bounds().height(),
                                                     form->remarkField()->frame().height());
    }));
    EXPECT_GT(content->contentOffset().y, 0);
    pf::Rect remark = form->remarkField()->convertRectToView(form->remarkField()->bounds(), nullptr);
    EXPECT_LE(remark.maxY(), pf::Keyboard::shared().frame().y()) << "the remark shows above the keyboard";
    EXPECT_EQ(form->focusRect(), pf::Rect()) << "the focus is used once";

    // A later frame change shortens the body again without scrolling.
    content->setContentOffset({0, 0});
    form->krKeyboardControllerWillChangedFrame(*form->keyboardController(), {0, 268, 320, 300});
    ASSERT_TRUE(settle());
    EXPECT_EQ(content->frame().height(), content->superview()->bounds().height() - 300 - content->frame().y());
    EXPECT_EQ(content->contentOffset().y, 0);
    // A keyboard taller than the room leaves no negative height.
    form->krKeyboardControllerWillChangedFrame(*form->keyboardController(), {0, 0, 320, 2000});
    ASSERT_TRUE(settle());
    EXPECT_EQ(content->frame().height(), 0);

    form->remarkField()->resignFirstResponder();
    ASSERT_TRUE(waitFor([&] { return content->frame().height() == fullHeight; }));

    // Once more as a person goes: the remark scrolled up above the keyboard,
    // then the keyboard goes. The whole form shows again from its top, not
    // scrolled up over blank space with the amount out of sight.
    tapView(form->remarkField());
    ASSERT_TRUE(waitFor([&] { return content->contentOffset().y > 0; }));
    form->remarkField()->resignFirstResponder();
    ASSERT_TRUE(waitFor([&] { return content->frame().height() == fullHeight; }));
    ASSERT_TRUE(settle());
    EXPECT_EQ(content->contentOffset().y, 0);
    pf::Rect amount = money->convertRectToView(money->bounds(), nullptr);
    EXPECT_GE(amount.minY(), content->convertRectToView(content->bounds(), nullptr).minY()) << "the amount shows";
}

// Zero amounts are refused on the spot; an entry typed on the keypad with
// two categories and a remark reaches the server, "保存成功" shows and the
// screen goes back to home.
TEST_F(PublishBooksScreen, AKeypadEntryReachesTheServerAndTheScreenGoesBack)
{
    const std::size_t before = bookCount();
    ASSERT_TRUE(tapText("保存"));
    expectAlert("请输入金额");
    keys("0 . 0 0");
    ASSERT_TRUE(tapText("保存"));
    expectAlert("请输入金额");
    EXPECT_EQ(bookCount(), before) << "nothing is sent for a zero amount";

    keys("clear 1 2 . 5 ok");
    auto chooser = form->classifyController();
    std::vector<std::shared_ptr<ZMRClassifyItemControl>> buttons;
    for (const auto& view : chooser->contentView()->subviews())
        if (auto button = std::dynamic_pointer_cast<ZMRClassifyItemControl>(view))
            buttons.push_back(button);
    ASSERT_GE(buttons.size(), 3u) << "the seeded categories are synced into the strip";
    tapView(buttons[0]);
    tapView(buttons[2]);
    std::vector<long long> chosen{buttons[0]->dataObject()->cid(), buttons[2]->dataObject()->cid()};
    tapView(form->remarkField());
    type("午饭");
    form->remarkField()->resignFirstResponder();
    ASSERT_TRUE(settle());
    ASSERT_TRUE(tapText("保存"));
    ASSERT_TRUE(waitFor([&] { return topURL() == "root:///root/fold/center/home"; })) << topURL();
    EXPECT_TRUE(textFrame("保存成功"));

    auto books = store->books(10001, 0, std::numeric_limits<long long>::max());
    ASSERT_EQ(books.size(), before + 1);
    const auto& sent = *std::max_element(books.begin(), books.end(), [](const auto& a, const auto& b) { return a.bid < b.bid; });
    EXPECT_EQ(sent.expendMoney, 12.5);
    EXPECT_EQ(sent.payMoney, 12.5);
    EXPECT_EQ(sent.remark, "午饭");
    EXPECT_EQ(sent.cids, chosen);
    auto here = std::dynamic_pointer_cast<ZMRContext>(shell)->location();
    EXPECT_EQ(sent.latitude, here ? here->latitude : 0);
    EXPECT_EQ(sent.longitude, here ? here->longitude : 0);
}

// The form is the entry's sender: a screen left while its entry is on its
// way does not take the entry back, and its answer finds no one.
TEST_F(PublishBooksScreen, LeavingTheScreenNeverWithdrawsASentEntry)
{
    const std::size_t before = bookCount();
    keys("8 ok");
    form->doSubmitAction(nullptr);
    EXPECT_EQ(form->statusView()->status(), "loading");
    EXPECT_FALSE(form->statusView()->isUserInteractionEnabled());
    std::weak_ptr<ZMRBooksEditController> gone = form;
    form.reset();
    ASSERT_TRUE(open("root:///root/fold/center/home"));
    EXPECT_TRUE(gone.expired()) << "the form went with its screen";
    ASSERT_TRUE(waitFor([&] { return bookCount() == before + 1; }));
    EXPECT_FALSE(textFrame("保存成功"));
}

// A refusal gives the form back and shows the server's message; answers of
// other tasks change nothing.
TEST_F(PublishBooksScreen, ARefusalGivesTheFormBackWithTheServerMessage)
{
    form->statusView()->setStatus("loading");
    form->statusView()->setUserInteractionEnabled(false);
    pf::Error error{"ZMRBooksService", 99999, "记账失败了"};
    form->krUploadTaskDidFailWithError(nullptr, error, proto::IZMRBooksSearchTask());
    EXPECT_EQ(form->statusView()->status(), "loading");
    EXPECT_TRUE(pf::AlertView::visibleAlerts().empty());
    form->krUploadTaskDidFailWithError(nullptr, error, proto::IZMRBooksCreateTask());
    EXPECT_EQ(form->statusView()->status(), std::nullopt);
    EXPECT_TRUE(form->statusView()->isUserInteractionEnabled());
    ASSERT_TRUE(settle());
    expectAlert("记账失败了");
    EXPECT_TRUE(screen()) << "the screen stays for another try";
}
