#include "ControlsTestSupport.h"

#include "platform/controls/DateFormatter.h"
#include "platform/controls/DatePicker.h"
#include "platform/controls/PickerView.h"

#include <cstdlib>
#include <ctime>

namespace pf::test {
namespace {

class LocalZone : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* tz = std::getenv("TZ");
        m_saved = tz ? std::optional<std::string>(tz) : std::nullopt;
        setenv("TZ", "Asia/Shanghai", 1);
        tzset();
    }
    void TearDown() override
    {
        if (m_saved)
            setenv("TZ", m_saved->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    std::optional<std::string> m_saved;
};

TEST_F(LocalZone, FormatterParsesStrictlyAndRoundTrips)
{
    struct Row {
        const char* format;
        const char* text;
        std::optional<double> seconds; // nothing: must fail
    };
    const Row rows[] = {
        {"yyyy-MM-dd", "2013-02-28", 1361980800},
        {"yyyy-MM-dd", "2013-02-30", std::nullopt},
        {"yyyy-MM-dd", "2012-02-29", 1330444800},
        {"yyyy-MM-dd", "2013-13-01", std::nullopt},
        {"yyyy-MM-dd", "2013-2-28", std::nullopt}, // padded fields want two digits
        {"yyyy-M-d", "2013-2-8", 1360252800},
        {"yyyy-MM-dd", "2013-02-28x", std::nullopt},
        {"yyyy-MM-dd", "13-02-28", std::nullopt},
        {"yyyy-MM-dd HH:mm:ss", "2013-02-28 23:59:59", 1362067199},
        {"yyyy-MM-dd HH:mm:ss", "2013-02-28 24:00:00", std::nullopt},
        {"yyyy年M月d日", "2013年2月28日", 1361980800},
        {"'at' HH:mm", "at 08:30", 1800 /* 1970-01-01 08:30 in +8 */},
        {"yy/MM/dd", "13/02/28", 1361980800},
        {"yyyy-MM-dd", "", std::nullopt},
    };
    for (const Row& row : rows) {
        DateFormatter formatter(row.format);
        auto date = formatter.dateFromString(row.text);
        ASSERT_EQ(date.has_value(), row.seconds.has_value()) << row.format << " " << row.text;
        if (!date)
            continue;
        EXPECT_EQ(date->seconds, *row.seconds) << row.text;
        EXPECT_EQ(formatter.stringFromDate(*date), row.text);
    }
}

class Fruit final : public PickerViewDataSource, public PickerViewDelegate {
public:
    int numberOfComponentsInPickerView(PickerView&) override { return 2; }
    int pickerViewNumberOfRowsInComponent(PickerView&, int c) override { return c == 0 ? 10 : 3; }
    std::string pickerViewTitleForRow(PickerView&, int row, int c) override { return (c ? "b" : "a") + std::to_string(row); }
    void pickerViewDidSelectRow(PickerView&, int row, int c) override { picked.push_back({c, row}); }
    std::vector<std::pair<int, int>> picked;
};

class Wheels : public HostTest {};

TEST_F(Wheels, DraggingAndTappingTurnAWheel)
{
    auto fruit = std::make_shared<Fruit>();
    auto picker = std::make_shared<PickerView>(Rect(0, 0, 320, 216));
    picker->setDataSource(fruit);
    picker->setDelegate(fruit);
    window->addSubview(picker);
    struct Row {
        Point from, to;
        int component, row;
    };
    const Row rows[] = {
        {{80, 150}, {80, 150 - 2 * PickerView::RowHeight}, 0, 2}, // up two rows
        {{80, 150}, {80, 150 - 40 * PickerView::RowHeight}, 0, 9}, // past the end stops at the last
        {{240, 150}, {240, 300}, 1, 0},                            // already first: no report
        {{80, 108 + PickerView::RowHeight}, {80, 108 + PickerView::RowHeight}, 0, 9}, // tap below: beyond the last
        {{80, 108 - PickerView::RowHeight}, {80, 108 - PickerView::RowHeight}, 0, 8}, // tap above: one back
    };
    for (const Row& row : rows) {
        host->drag(row.from, row.to, 0.2, 4);
        EXPECT_EQ(picker->selectedRowInComponent(row.component), row.row) << row.to.y;
    }
    EXPECT_EQ(fruit->picked, (std::vector<std::pair<int, int>>{{0, 2}, {0, 9}, {0, 8}}));
    EXPECT_EQ(picker->selectedRowInComponent(5), -1);
}

TEST_F(Wheels, DatePickerKeepsDatesRealAndInRange)
{
    setenv("TZ", "Asia/Shanghai", 1);
    tzset();
    DateFormatter day("yyyy-MM-dd");
    auto picker = std::make_shared<DatePicker>();
    picker->setDatePickerMode(DatePickerMode::Date);
    picker->setMinimumDate(day.dateFromString("2000-01-01"));
    picker->setMaximumDate(day.dateFromString("2020-12-31"));
    int changes = 0;
    picker->addAction([&](Control&) { ++changes; }, ControlEvent::ValueChanged);
    window->addSubview(picker);
    picker->setDate(*day.dateFromString("2013-01-31"));
    auto& wheels = *picker->pickerView();
    EXPECT_EQ(wheels.numberOfRowsInComponent(0), 21);
    EXPECT_EQ(wheels.selectedRowInComponent(0), 13);
    // Turning the month to February keeps the day real: the 28th.
    double monthX = wheels.frame().width() / 2;
    host->drag({monthX, 150}, {monthX, 150 - PickerView::RowHeight}, 0.2, 4);
    EXPECT_EQ(day.stringFromDate(picker->date()), "2013-02-28");
    EXPECT_EQ(wheels.numberOfRowsInComponent(2), 28);
    EXPECT_EQ(changes, 1);
    picker->setDate(*day.dateFromString("1999-05-05"));
    EXPECT_EQ(day.stringFromDate(picker->date()), "2000-01-01");
    unsetenv("TZ");
    tzset();
}

}
}
