#include "ControlsTestSupport.h"

#include "platform/controls/BarItem.h"
#include "platform/controls/Button.h"
#include "platform/controls/ControlsRegistration.h"
#include "platform/controls/NavigationBar.h"
#include "platform/controls/TableView.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/ClassBuilder.h"
#include "platform/ui/InterfaceFile.h"
#include "platform/ui/ViewController.h"

namespace pf::test {
namespace {

// An owner whose actions interface files can name.
class Screenish final : public ViewController {
public:
    void doTap(const ObjectRef& sender) { taps.push_back(sender); }
    std::vector<ObjectRef> taps;
};

class KeyedControls : public HostTest {
protected:
    void SetUp() override
    {
        HostTest::SetUp();
        registerControlsClasses();
        static bool registered = false;
        if (!registered) {
            ClassBuilder<Screenish>("Screenish").superclass<ViewController>().action("doTap", &Screenish::doTap).commit();
            registered = true;
        }
    }
    ErrorOr<std::vector<ObjectRef>> load(const std::string& body, const std::shared_ptr<Screenish>& owner)
    {
        auto file = InterfaceFile::parse("<interface owner=\"Screenish\">" + body + "</interface>", "Keyed", bundle);
        if (!file)
            return file.error();
        return file.value()->instantiate(owner);
    }
    Bundle bundle{"/nonexistent"};
};

TEST_F(KeyedControls, InterfaceFilesConnectEventsAndStateKeys)
{
    auto owner = std::make_shared<Screenish>();
    auto objects = load(R"(<object id="b" class="Button"><rect name="frame">{{0, 0}, {100, 40}}</rect>
        <string name="title">好</string><color name="titleColorHighlighted">#ff0000</color>
        <color name="titleColorDisabled">#00ff00 0.5</color>
        <action event="touchUpInside" target="owner" name="doTap"/></object>
      <object id="i" class="BarButtonItem"><string name="title">完成</string>
        <action event="touchUpInside" target="owner" name="doTap"/></object>)",
                        owner);
    ASSERT_TRUE(objects) << objects.error().description;
    auto button = std::dynamic_pointer_cast<Button>(objects.value()[0]);
    ASSERT_TRUE(button);
    EXPECT_EQ(button->titleColorForState(ControlStates::Highlighted), Color::rgb(1, 0, 0));
    EXPECT_EQ(button->titleColorForState(ControlStates::Disabled), Color::rgb(0, 1, 0, 0.5));
    EXPECT_EQ(button->titleColorForState(ControlStates::Selected), Color::whiteColor()); // the normal colour
    window->addSubview(button);
    host->tap({50, 20});
    ASSERT_EQ(owner->taps.size(), 1u);
    EXPECT_EQ(owner->taps[0], button);
    std::static_pointer_cast<BarButtonItem>(objects.value()[1])->sendAction();
    EXPECT_EQ(owner->taps.size(), 2u);

    struct Row {
        const char* body;
        const char* error; // part of the message
    };
    const Row rows[] = {
        {R"(<object class="Button"><action event="scrolled" target="owner" name="doTap"/></object>)", "scrolled"},
        {R"(<object class="BarButtonItem"><action event="valueChanged" target="owner" name="doTap"/></object>)",
         "valueChanged"},
        {R"(<object class="Button"><string name="titleColorPressed">x</string></object>)", "titleColorPressed"},
    };
    for (const Row& row : rows) {
        auto failed = load(row.body, std::make_shared<Screenish>());
        ASSERT_FALSE(failed) << row.body;
        EXPECT_NE(failed.error().description.find(row.error), std::string::npos) << failed.error().description;
    }
}

TEST_F(KeyedControls, NavigationBarOffersTheWayBack)
{
    auto bar = std::make_shared<NavigationBar>(Rect(0, 0, 320, 44));
    window->addSubview(bar);
    auto first = std::make_shared<NavigationItem>("首页");
    auto second = std::make_shared<NavigationItem>("详情");
    int backs = 0;
    auto back = std::make_shared<BarButtonItem>("返回首页", BarButtonItemStyle::Bordered);
    back->setTarget(nullptr, [&](Object&, BarButtonItem&) { ++backs; });
    first->setBackBarButtonItem(back);
    bar->setItems({first, second});
    host->render();
    EXPECT_EQ(bar->textContent(), "详情");
    EXPECT_TRUE(host->tapViewWithText("返回首页"));
    EXPECT_EQ(backs, 1);
    second->setRightBarButtonItem(std::make_shared<BarButtonItem>("保存", BarButtonItemStyle::Done));
    host->render(); // the bar notices the item changed
    EXPECT_TRUE(host->findViewWithText("保存"));
    second->setHidesBackButton(true);
    host->render();
    EXPECT_FALSE(host->findViewWithText("返回首页"));
    EXPECT_EQ(bar->popNavigationItem(), second);
    EXPECT_EQ(bar->textContent(), "首页");
}

TEST_F(KeyedControls, SystemRefreshItemDrawsItsArrowAndActsOnItsTarget)
{
    auto owner = std::make_shared<Screenish>();
    std::vector<Object*> reloaded;
    auto item = std::make_shared<BarButtonItem>(BarButtonSystemItem::Refresh, owner,
                                                [&](Object& target, BarButtonItem&) { reloaded.push_back(&target); });
    EXPECT_EQ(item->systemItem(), BarButtonSystemItem::Refresh);
    EXPECT_FALSE(item->title());
    Color tint = Color::rgb(0, 0, 1);
    auto view = makeBarButtonView(item, tint);
    ASSERT_TRUE(view);
    view->setFrame({100, 100, view->frame().width(), 44});
    window->addSubview(view);
    Point c = view->center();
    // The ring's lowest point (the image centred, the ring 1 point below its centre).
    EXPECT_EQ(probe({c.x, c.y + 1 + 7.5}), (Rgba8{0, 0, 255, 255}));
    EXPECT_EQ(probe({c.x, c.y + 1}), (Rgba8{255, 255, 255, 255})) << "the ring is open inside";
    EXPECT_EQ(probe({c.x - 20, c.y}), (Rgba8{255, 255, 255, 255}));
    host->tap(c);
    EXPECT_EQ(reloaded, (std::vector<Object*>{owner.get()}));
    owner.reset();
    host->tap(c);
    EXPECT_EQ(reloaded.size(), 1u) << "a released target is not called";
}

TEST_F(KeyedControls, ScrollToRowPlacesItWhereAsked)
{
    class Rows final : public TableViewDataSource {
    public:
        int tableViewNumberOfRowsInSection(TableView&, int) override { return 100; }
        std::shared_ptr<TableViewCell> tableViewCellForRowAtIndexPath(TableView&, const IndexPath&) override
        {
            return std::make_shared<TableViewCell>();
        }
    };
    auto rows = std::make_shared<Rows>();
    auto table = std::make_shared<TableView>(Rect(0, 0, 320, 440));
    table->setDataSource(rows);
    window->addSubview(table);
    table->reloadData();
    struct Row {
        int row;
        TableViewScrollPosition position;
        double offset;
    };
    const Row rows_[] = {
        {50, TableViewScrollPosition::Top, 50 * 44},
        {50, TableViewScrollPosition::Middle, 50 * 44 + 22 - 220},
        {50, TableViewScrollPosition::Bottom, 51 * 44 - 440},
        {40, TableViewScrollPosition::None, 40 * 44},           // above: to the top edge
        {60, TableViewScrollPosition::None, 61 * 44 - 440},     // below: to the bottom edge
        {60, TableViewScrollPosition::None, 61 * 44 - 440},     // visible: stays
        {99, TableViewScrollPosition::Top, 100 * 44 - 440},     // clamped to the end
        {0, TableViewScrollPosition::Bottom, 0},
        {500, TableViewScrollPosition::Top, 0},                 // no such row: nothing moves
    };
    for (const Row& row : rows_) {
        table->scrollToRowAtIndexPath({0, row.row}, row.position, false);
        EXPECT_DOUBLE_EQ(table->contentOffset().y, row.offset) << row.row;
        EXPECT_TRUE(table->cellForRowAtIndexPath({0, std::min(row.row, 99)}) || row.row == 500);
    }
}

}
}
