// The exchange form on the fixture, against the seeded world: the points
// check on entry, the form's checks, an exchange, a refused one, and a form
// opened without a prize.

#include "tests/app/screens/AppScreenTest.h"

#include "app/screens/prizes/ZMRPrizeBuyViewController.h"
#include "app/screens/prizes/ZMRPrizeListViewController.h"
#include "framework/core/KRDataOutlet.h"
#include "framework/data/KRDataSource.h"
#include "framework/ui/KRFoldViewController.h"
#include "framework/db/KRSqliteBinding.h"
#include "framework/ui/KRStatusView.h"
#include "platform/controls/AlertView.h"
#include "platform/controls/NavigationController.h"
#include "platform/controls/ScrollView.h"
#include "platform/controls/TextField.h"
#include "platform/foundation/Collections.h"

#include <algorithm>
#include <limits>

namespace {

constexpr long long kDemo = 10001;

class PrizeBuyScreen : public AppScreenTest {
protected:
    // Alerts are the screen's, not the fixture's: none may reach the next test.
    void TearDown() override
    {
        for (const auto& alert : pf::AlertView::visibleAlerts())
            alert->dismissWithClickedButtonIndex(0, false);
        AppScreenTest::TearDown();
    }
    // The seeded prize `pid` as the prize screens hand it on.
    pf::Value prize(long long pid)
    {
        auto json = store->prizeJson(pid, origin());
        EXPECT_TRUE(json);
        pf::Value value = json ? decodeJSONValue(*json) : pf::Value();
        return value.isDictionary() ? value : pf::Value(pf::Dictionary::create());
    }
    std::shared_ptr<ZMRPrizeBuyViewController> openForm(const pf::Value& focus, long long balance)
    {
        shell->setIntegral(balance);
        shell->setFocusValue(focus, "prize");
        EXPECT_TRUE(open("root:///root/fold/center/prize")); // a fresh form each time
        EXPECT_TRUE(open("root:///root/fold/center/prize/prize-buy"));
        return topController<ZMRPrizeBuyViewController>();
    }
    static std::string alertMessage()
    {
        auto alerts = pf::AlertView::visibleAlerts();
        return alerts.empty() ? "(none)" : alerts.back()->message();
    }
    void fill(ZMRPrizeBuyViewController& form, const std::vector<std::string>& texts)
    {
        const std::shared_ptr<pf::TextField> fields[] = {form.addressField(), form.postCodeField(), form.nameField(),
                                                         form.phoneField(), form.otherField()};
        for (size_t i = 0; i < 5; ++i)
            fields[i]->setText(i < texts.size() ? texts[i] : "");
    }
    void closeAlerts()
    {
        for (const auto& alert : pf::AlertView::visibleAlerts())
            alert->dismissWithClickedButtonIndex(0, false);
        EXPECT_TRUE(settle());
    }
};

TEST(PrizeBuyPoints, TheBalanceLessThePriceSaturates)
{
    constexpr long long kMax = std::numeric_limits<long long>::max();
    constexpr long long kMin = std::numeric_limits<long long>::min();
    struct Row {
        long long balance, price, left;
    } rows[] = {{1000, 100, 900}, {100, 100, 0}, {99, 100, -1}, {kMin, 1, kMin}, {kMax, -1, kMax}, {0, kMin, kMax}};
    for (const Row& row : rows)
        EXPECT_EQ(ZMRPrizeBuyViewController::pointsLeft(row.balance, row.price), row.left)
            << row.balance << " - " << row.price;
}

TEST_F(PrizeBuyScreen, ShortOfPointsAlertsAndGoesBackAnEqualBalancePasses)
{
    pf::Value item = prize(1); // 100 points
    auto form = openForm(item, 100);
    ASSERT_TRUE(form);
    EXPECT_EQ(item.dictionary()->get("coin").longLongValue(), 0);
    EXPECT_EQ(alertMessage(), "(none)");
    EXPECT_TRUE(textFrame("兑换后剩余积分 0"));

    item = prize(1);
    form = openForm(item, 99);
    ASSERT_TRUE(form);
    EXPECT_EQ(item.dictionary()->get("coin").longLongValue(), -1) << "stored even when negative";
    EXPECT_EQ(alertMessage(), "您的积分不足，无法兑换奖品");
    ASSERT_TRUE(tapText("确定"));
    EXPECT_EQ(topURL(), "root:///root/fold/center/prize");
}

TEST_F(PrizeBuyScreen, TheFirstMissingFieldIsAlertedAndNothingIsSent)
{
    ASSERT_TRUE(store->addPoints(kDemo, 5000));
    auto form = openForm(prize(1), 5000);
    ASSERT_TRUE(form);
    const long long before = store->points(kDemo);
    struct Row {
        std::vector<std::string> texts;
        const char* message;
    } rows[] = {
        {{" \n\u3000", "", "", ""}, "请输入收货地址"},
        {{"某路1号", " ", "张三", "123"}, "请输入邮编"},
        {{"某路1号", "100000", "", "123"}, "请输入收货人"},
        {{"某路1号", "100000", "张三", "\t"}, "请输入电话"},
    };
    for (const Row& row : rows) {
        fill(*form, row.texts);
        ASSERT_TRUE(tapText("确认兑换"));
        EXPECT_EQ(alertMessage(), row.message);
        closeAlerts();
    }
    EXPECT_EQ(store->points(kDemo), before);
    EXPECT_EQ(topURL(), "root:///root/fold/center/prize/prize-buy");
}

TEST_F(PrizeBuyScreen, AnExchangeGoesBackAndASecondIsRefusedWithTheServersMessage)
{
    ASSERT_TRUE(store->addPoints(kDemo, 5000));
    const long long before = store->points(kDemo);
    auto form = openForm(prize(1), before);
    ASSERT_TRUE(form);
    fill(*form, {"  某路1号 ", "100000", "张三", "13800000000", ""}); // an empty note is fine
    form.reset(); // the stack alone keeps the screen, as in the application
    ASSERT_TRUE(tapText("确认兑换"));
    ASSERT_TRUE(waitFor([&] { return topURL() == "root:///root/fold/center/prize"; })) << topURL();
    EXPECT_EQ(store->points(kDemo), before - 100);
    EXPECT_TRUE(textFrame("成功兑换奖品"));

    form = openForm(prize(1), before - 100);
    ASSERT_TRUE(form);
    fill(*form, {"某路1号", "100000", "张三", "13800000000", "备注"});
    ASSERT_TRUE(tapText("确认兑换"));
    ASSERT_TRUE(waitFor([&] { return alertMessage() == "已兑换过此奖品"; })) << alertMessage();
    EXPECT_TRUE(waitFor([&] { return topURL() == "root:///root/fold/center/prize"; })) << "15366 goes back";
    EXPECT_EQ(store->points(kDemo), before - 100);
}

TEST_F(PrizeBuyScreen, ARefusalOtherThanAlreadyExchangedKeepsTheFormFilled)
{
    // The seed has a prize on sale with none left: the server refuses it (13573).
    pf::Value soldOut;
    for (long long pid = 1; pid <= 12 && soldOut.isNil(); ++pid) {
        pf::Value item = prize(pid);
        auto d = item.dictionary();
        if (d->get("count").longLongValue() == 0)
            soldOut = item;
    }
    ASSERT_FALSE(soldOut.isNil()) << "the seed has a prize with none left";
    ASSERT_TRUE(store->addPoints(kDemo, 100000));
    auto form = openForm(soldOut, 100000);
    ASSERT_TRUE(form);
    fill(*form, {"某路1号", "100000", "张三", "13800000000", ""});
    ASSERT_TRUE(tapText("确认兑换"));
    ASSERT_TRUE(waitFor([&] { return alertMessage() != "(none)"; }));
    closeAlerts();
    EXPECT_EQ(topURL(), "root:///root/fold/center/prize/prize-buy");
    EXPECT_EQ(form->addressField()->text(), "某路1号");
    EXPECT_TRUE(form->statusView()->isUserInteractionEnabled());
}

TEST_F(PrizeBuyScreen, WithoutAPrizeNothingIsSentAndTheFormGoesBack)
{
    ASSERT_TRUE(store->addPoints(kDemo, 5000));
    const long long before = store->points(kDemo);
    for (pf::Value focus : {pf::Value(), pf::Value("1"), pf::Value(pf::Dictionary::create({{"salePrice", 1}}))}) {
        auto form = openForm(focus, 5000);
        EXPECT_TRUE(waitFor([&] { return topURL() == "root:///root/fold/center/prize"; })) << focus.description();
    }
    EXPECT_EQ(store->points(kDemo), before);
}

TEST_F(PrizeBuyScreen, ReturnWalksTheFieldsAndTheNoteEndsEditing)
{
    ASSERT_TRUE(store->addPoints(kDemo, 5000));
    auto form = openForm(prize(1), 5000);
    ASSERT_TRUE(form);
    const std::shared_ptr<pf::TextField> fields[] = {form->addressField(), form->postCodeField(), form->nameField(),
                                                     form->phoneField(), form->otherField()};
    fields[0]->becomeFirstResponder();
    for (int i = 0; i < 5; ++i) {
        ASSERT_TRUE(fields[i]->isFirstResponder()) << i;
        EXPECT_TRUE(form->textFieldShouldReturn(*fields[i]));
        EXPECT_TRUE(settle());
    }
    for (const auto& field : fields)
        EXPECT_FALSE(field->isFirstResponder());
}

}

namespace {

TEST_F(PrizeBuyScreen, TheFormShrinksAboveTheKeyboardAndScrollsTheEditedFieldIntoView)
{
    ASSERT_TRUE(store->addPoints(kDemo, 5000));
    auto form = openForm(prize(1), 5000);
    ASSERT_TRUE(form);
    auto content = form->contentView();
    const double top = content->frame().y();
    auto restHeight = [&] { return content->superview()->bounds().height() - top; };

    auto phone = form->phoneField();
    pf::Rect at = phone->convertRectToView(phone->bounds(), nullptr);
    tap({at.midX(), at.midY()});
    ASSERT_TRUE(phone->isFirstResponder());
    EXPECT_EQ(content->frame().height(), restHeight() - 216) << "clear of the keyboard";
    // The phone field's bottom plus 60 points shows above the keyboard.
    const double expected = phone->frame().maxY() + 60 - content->bounds().height();
    ASSERT_GT(expected, 0);
    EXPECT_NEAR(content->contentOffset().y, expected, 0.5);

    form->doCancelInputAction(nullptr);
    EXPECT_TRUE(settle());
    EXPECT_EQ(content->frame().height(), restHeight());
    EXPECT_LE(content->contentOffset().y, std::max(0.0, content->contentSize().height - content->bounds().height()))
        << "not scrolled over blank space once the keyboard went";

    // A field that stops editing within 0.1 s cancels its own scroll, and only its own.
    content->setFrame({content->frame().x(), top, content->frame().width(), 200});
    content->setContentOffset({0, 0});
    form->textFieldDidBeginEditing(*phone);
    form->textFieldDidEndEditing(*phone);
    EXPECT_TRUE(settle());
    EXPECT_EQ(content->contentOffset().y, 0);
    form->textFieldDidBeginEditing(*phone);
    form->textFieldDidEndEditing(*form->addressField());
    EXPECT_TRUE(settle());
    EXPECT_GT(content->contentOffset().y, 0);
}

}

namespace {

// The seeded balance as a person spends it: an exchange says "成功兑换奖品" and
// the menu shows the points left; the same prize again is refused (15366);
// a prize dearer than what is left raises the tag-100 alert, whose button
// goes back.
TEST_F(PrizeBuyScreen, TheSeededPointsBuyAPrizeTheMenuFollowsAndThenTheyRunShort)
{
    auto drawer = [&] {
        auto root = std::dynamic_pointer_cast<pf::NavigationController>(shell->rootViewController());
        return std::dynamic_pointer_cast<KRFoldViewController>(root ? root->topViewController() : nullptr);
    };
    auto menuShows = [&](const std::string& text) {
        EXPECT_TRUE(open("root:///root/fold/center/prizelist")); // the drawer on top again
        auto fold = drawer();
        if (!fold)
            return false;
        fold->focusLeft(false);
        bool shown = waitFor([&] { return viewWithText(text) != nullptr; });
        fold->focusCenter(false);
        return settle() && shown;
    };
    ASSERT_EQ(store->points(kDemo), 1000);
    ASSERT_TRUE(menuShows("积分 1000")) << "the menu asks for the balance";
    auto buyFromDetails = [&](long long pid) {
        // From the list, as a person goes: a prize's details each time anew.
        EXPECT_TRUE(open("root:///root/fold/center/prizelist"));
        EXPECT_TRUE(open("root:///root/fold/center/prizelist/prize-details?pid=" + std::to_string(pid)));
        EXPECT_TRUE(waitFor([&] { return textFrame("立即兑换").has_value(); }));
        EXPECT_TRUE(settle());
        EXPECT_TRUE(tapText("立即兑换"));
        return topController<ZMRPrizeBuyViewController>();
    };
    const std::string details = "root:///root/fold/center/prizelist/prize-details";
    // What the list shows of prize 1, and what the server holds.
    auto listed = [&](const std::shared_ptr<ZMRPrizeListViewController>& list) {
        auto source = list ? list->dataController()->dataSource() : nullptr;
        for (std::size_t i = 0; source && i < source->count(); ++i)
            if (dataForKeyPath(source->dataObjectAtIndex(i), "pid").longLongValue() == 1)
                return dataForKeyPath(source->dataObjectAtIndex(i), "count").longLongValue();
        return -1LL;
    };
    auto held = [&] { return dataForKeyPath(prize(1), "count").longLongValue(); };
    ASSERT_TRUE(open("root:///root/fold/center/prizelist"));
    auto list = topController<ZMRPrizeListViewController>();
    ASSERT_TRUE(list && list->dataController());
    ASSERT_TRUE(waitFor([&] { return listed(list) == held(); }));
    const long long countBefore = held();

    auto form = buyFromDetails(1); // 100 points
    ASSERT_TRUE(form);
    fill(*form, {"某路1号", "100000", "张三", "13800000000", ""});
    form.reset();
    ASSERT_TRUE(tapText("确认兑换"));
    ASSERT_TRUE(waitFor([&] { return textFrame("成功兑换奖品").has_value(); }));
    EXPECT_TRUE(waitFor([&] { return topURL().rfind(details, 0) == 0 && topURL().find("prize-buy") == std::string::npos; }))
        << topURL();
    EXPECT_EQ(store->points(kDemo), 900);
    // Back on the list, prize 1 shows the count its details show.
    ASSERT_NE(held(), countBefore);
    ASSERT_TRUE(open("root:///root/fold/center/prizelist"));
    EXPECT_EQ(topController<ZMRPrizeListViewController>(), list) << "the same list, shown again";
    EXPECT_TRUE(waitFor([&] { return listed(list) == held(); })) << listed(list) << " / " << held();
    EXPECT_TRUE(menuShows("积分 900"));

    form = buyFromDetails(1);
    ASSERT_TRUE(form);
    fill(*form, {"某路1号", "100000", "张三", "13800000000", ""});
    form.reset();
    ASSERT_TRUE(tapText("确认兑换"));
    ASSERT_TRUE(waitFor([&] { return alertMessage() == "已兑换过此奖品"; })) << alertMessage();
    closeAlerts();
    EXPECT_EQ(store->points(kDemo), 900);

    form = buyFromDetails(8); // 1,150 points
    ASSERT_TRUE(form);
    ASSERT_TRUE(waitFor([&] { return alertMessage() == "您的积分不足，无法兑换奖品"; })) << alertMessage();
    ASSERT_TRUE(tapText("确定"));
    EXPECT_TRUE(waitFor([&] { return topURL().find("prize-buy") == std::string::npos; })) << topURL();
    EXPECT_EQ(store->points(kDemo), 900);
}

}
