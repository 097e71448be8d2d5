// The month ledger screen end to end: opened from the side menu over the
// seeded ledger of the local server, kept in line with the server, and
// stepped a month back and forth. The calendar runs in the fixed zone
// "CST-8".

#include "tests/app/screens/AppScreenTest.h"

#include "app/screens/ledger/ZMRBooksController.h"
#include "app/screens/ledger/ZMRBooksDataSource.h"
#include "app/screens/ledger/ZMRBooksViewController.h"
#include "framework/core/IKRUIViewController.h"
#include "framework/db/KRDBContext.h"
#include "framework/db/KRSqlite.h"
#include "framework/ui/KRFoldViewController.h"
#include "platform/controls/Button.h"
#include "platform/controls/Label.h"
#include "platform/controls/NavigationController.h"
#include "platform/foundation/Calendar.h"
#include "platform/foundation/NumberFormatter.h"
#include "tests/platform/foundation/PinnedZone.h"

#include <chrono>
#include <cstdio>

namespace {

struct ZoneCST8 : pf::test::PinnedZone {
    ZoneCST8() : PinnedZone("CST-8") {}
};

class BooksScreen : public AppScreenTest {
protected:
    // Reached as a person reaches it: the side menu's "账本".
    void SetUp() override
    {
        AppScreenTest::SetUp();
        auto root = std::dynamic_pointer_cast<pf::NavigationController>(shell->rootViewController());
        auto drawer = std::dynamic_pointer_cast<KRFoldViewController>(root ? root->topViewController() : nullptr);
        ASSERT_TRUE(drawer);
        drawer->focusLeft(false);
        ASSERT_TRUE(settle());
        ASSERT_TRUE(tapText("账本"));
        auto top = shell->rootViewController()->topController();
        screen = std::dynamic_pointer_cast<ZMRBooksViewController>(top);
        ASSERT_TRUE(screen) << "the ledger is on top";
        EXPECT_EQ(top->alias(), "books");
        books = screen->booksController();
        ASSERT_TRUE(books && books->dateLabel() && books->expendMoneyLabel() && books->nextButton() && books->prevButton());
    }

    // The server's total of the month holding `date`, as the ledger shows it.
    std::string serverTotal(pf::Date date)
    {
        auto window = ZMRBooksDataSource::monthWindow(date, pf::Date::now());
        double sum = 0;
        for (const auto& book : store->books(10001, static_cast<long long>(window->start), static_cast<long long>(window->end)))
            sum += book.expendMoney;
        pf::NumberFormatter format;
        format.setUsesGroupingSeparator(true);
        format.setMaximumFractionDigits(2);
        return "¥ " + format.stringFromNumber(sum);
    }
    static std::string title(pf::Date date)
    {
        auto parts = pf::Calendar::components(date);
        char text[32];
        std::snprintf(text, sizeof text, "%d年%02d月", parts->year, parts->month);
        return text;
    }
    pf::Date shown() const { return *books->dataSource()->valueForKey("date").date(); }
    bool showsTotal(const std::string& total)
    {
        return waitFor([&] { return books->expendMoneyLabel()->text() == total; });
    }

    ZoneCST8 zone;
    std::shared_ptr<ZMRBooksViewController> screen;
    std::shared_ptr<ZMRBooksController> books;
};

}

// The seeded month opens with its total and today's band on top. Entries
// added elsewhere arrive with the next sync, which every month step sends; a
// step back shows the previous month and its total, a step forward this month
// again with the new entry. Without the server, a step shows the stored month
// and a notice that it is not up to date.
TEST_F(BooksScreen, OpensOnTheSeededMonthAndStepsBackAndForthSyncingAnEntryAddedElsewhere)
{
    const pf::Date now = pf::Date::now();
    EXPECT_EQ(books->dateLabel()->text(), title(now));
    const std::string total = serverTotal(now);
    EXPECT_NE(total, "¥ 0") << "the demo ledger has entries this month";
    ASSERT_TRUE(showsTotal(total)) << books->expendMoneyLabel()->text() << " / " << total;
    EXPECT_TRUE(textFrame(total));
    EXPECT_FALSE(books->nextButton()->isEnabled()) << "no month after this one";
    // The table starts with today's title band, latest day first.
    auto today = pf::Calendar::components(now);
    std::string day = std::to_string(today->day) + "日";
    auto band = textFrame(day);
    ASSERT_TRUE(band) << day;
    EXPECT_TRUE(pixelIs({300, band->midY()}, pf::Color::fromRgbHex(0xf2f2f2)));
    EXPECT_TRUE(pixelIs({300, 100}, pf::Color::whiteColor())) << "the month header";

    zmr::AppBook book;
    book.uid = 10001;
    book.expendMoney = book.payMoney = 66;
    book.remark = "补记的午饭";
    book.createTime = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    ASSERT_TRUE(store->addBook(book));
    EXPECT_FALSE(textFrame("补记的午饭")) << "nothing changes before the sync";

    ASSERT_TRUE(tapText("上月"));
    const pf::Date previous = shown();
    EXPECT_EQ(books->dateLabel()->text(), title(previous));
    EXPECT_TRUE(books->nextButton()->isEnabled());
    const std::string before = serverTotal(previous);
    EXPECT_NE(before, "¥ 0") << "the demo ledger has entries last month";
    ASSERT_TRUE(showsTotal(before)) << books->expendMoneyLabel()->text() << " / " << before;

    ASSERT_TRUE(tapText("下月"));
    EXPECT_EQ(books->dateLabel()->text(), title(now));
    EXPECT_FALSE(books->nextButton()->isEnabled());
    ASSERT_TRUE(showsTotal(serverTotal(now)));
    EXPECT_TRUE(waitFor([&] { return textFrame("补记的午饭").has_value(); })) << "the new entry is a row of today";
    // An entry opens nothing: a tap marks the row only while the finger is down.
    auto entry = textFrame("补记的午饭");
    ASSERT_TRUE(entry);
    pf::Point beside{entry->maxX() + 4, entry->midY()};
    pf::Rgba8 plain = render()->pixelAtPoint(beside);
    pf::Color unmarked = pf::Color::rgb(plain.r / 255.0, plain.g / 255.0, plain.b / 255.0);
    ASSERT_TRUE(tapText("补记的午饭"));
    EXPECT_FALSE(books->tableView()->indexPathForSelectedRow());
    EXPECT_TRUE(pixelIs(beside, unmarked));

    // With the server gone the stored month still shows, and the ledger says
    // it could not be brought up to date rather than pass for complete.
    server->stop();
    ASSERT_TRUE(tapText("上月"));
    ASSERT_TRUE(waitFor([&] { return viewWithText(ZMRBooksController::kNotUpToDateNotice) != nullptr; }));
    EXPECT_EQ(books->expendMoneyLabel()->text(), before);
    EXPECT_NE(before, "¥ 0");
    // With nothing of a month stored, no total is known: "¥ 0" would say
    // nothing was spent.
    ASSERT_TRUE(shell->userDBContext()->db()->execture("DELETE FROM [ZMRBooksObject]"));
    ASSERT_TRUE(tapText("上月"));
    EXPECT_TRUE(waitFor([&] { return books->expendMoneyLabel()->text() == ZMRBooksController::kUnknownTotal; }));
    EXPECT_TRUE(textFrame(ZMRBooksController::kUnknownTotal));
}
