#include "DataTestSupport.h"

#include "framework/core/KRController.h"
#include "framework/data/KRTableViewCell.h"
#include "framework/data/KRTableViewCellDelegate.h"
#include "framework/data/TableViewKRTableViewCell.h"
#include "framework/dom/KRDOMActionElement.h"
#include "framework/dom/KRDOMElement.h"
#include "framework/ui/KRImageView.h"
#include "platform/controls/Label.h"
#include "platform/controls/TableView.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace {

const pf::Bundle& testBundle()
{
    static pf::Bundle bundle(std::string(std::getenv("ZMR_SOURCE_DIR")) + "/tests/resources");
    return bundle;
}

pf::Value row(const std::string& title)
{
    auto dict = std::make_shared<pf::Dictionary>();
    dict->set("title", pf::Value(title));
    return pf::Value(dict);
}

std::shared_ptr<pf::Label> titleLabel(KRTableViewCell& cell)
{
    for (const auto& view : cell.subviews())
        if (auto label = std::dynamic_pointer_cast<pf::Label>(view))
            return label;
    return nullptr;
}

class Actions : public pf::Object, public KRTableViewCellDelegate {
public:
    std::vector<pf::ObjectRef> heard;
    void krTableViewCellDoAction(KRTableViewCell&, const pf::ObjectRef& action) override { heard.push_back(action); }
};

TEST(KRTableViewCell, LoadsOnlyCellRootedFiles)
{
    EXPECT_TRUE(KRTableViewCell::tableViewCellWithNibName("TitleCell", &testBundle()));
    EXPECT_FALSE(KRTableViewCell::tableViewCellWithNibName("PlainRoot", &testBundle()));
    EXPECT_FALSE(KRTableViewCell::tableViewCellWithNibName("NoSuchFile", &testBundle()));
}

// Outlets fill the views from the item; a reused cell withdraws the old
// downloads before asking for new images, and the network waits a turn.
TEST(KRTableViewCell, FillsAndReusesWithdrawingFirst)
{
    auto cell = KRTableViewCell::tableViewCellWithNibName("TitleCell", &testBundle());
    ASSERT_TRUE(cell);
    auto bus = std::make_shared<FakeBus>();
    cell->setContext(bus);
    cell->setDataItem(row("第一行"));
    EXPECT_EQ(titleLabel(*cell)->text(), "第一行");
    EXPECT_EQ(bus->calls, (std::vector<std::string>{"handle"})); // the local caches only
    pf::RunLoop::main().runUntilIdle();
    EXPECT_EQ(bus->calls, (std::vector<std::string>{"handle", "handle"}));

    auto image = std::dynamic_pointer_cast<KRImageView>(cell->subviews().back());
    image->setLoading(true); // the first row's download under way
    bus->calls.clear();
    cell->setDataItem(row("第二行"));
    pf::RunLoop::main().runUntilIdle();
    EXPECT_EQ(titleLabel(*cell)->text(), "第二行");
    ASSERT_FALSE(bus->calls.empty());
    EXPECT_EQ(bus->calls.front(), "cancel");

    // A reuse before the turn leaves one network request, for the last item.
    image->setLoading(false);
    bus->calls.clear();
    cell->setDataItem(row("3"));
    cell->setDataItem(row("4"));
    pf::RunLoop::main().runUntilIdle();
    EXPECT_EQ(std::count(bus->calls.begin(), bus->calls.end(), "handle"), 3);
}

TEST(KRTableViewCell, MarkupLinksAndActionsReachDelegate)
{
    auto cell = std::make_shared<KRTableViewCell>();
    auto heard = std::make_shared<Actions>();
    cell->setDelegate(heard);
    auto view = KRDOMView::create();
    struct Row {
        const char* name;
        const char* href;
        const char* url; // null: nothing sent
    } rows[] = {
        {"a", "http://127.0.0.1/x", "http://127.0.0.1/x"},
        {"a", "", nullptr},
        {"a", nullptr, nullptr},
        {"img", "http://127.0.0.1/y", nullptr},
        {"area", "z", "z"},
    };
    for (const Row& r : rows) {
        heard->heard.clear();
        auto element = KRDOMElement::create(r.name);
        if (r.href)
            element->setAttributeValue(std::string_view(r.href), "href");
        cell->krDOMViewDoActionElement(*view, *element);
        if (!r.url) {
            EXPECT_TRUE(heard->heard.empty()) << r.name;
            continue;
        }
        ASSERT_EQ(heard->heard.size(), 1u) << r.name;
        auto* action = dynamic_cast<IKRAction*>(heard->heard[0].get());
        ASSERT_TRUE(action);
        EXPECT_EQ(action->actionName(), "url");
        EXPECT_EQ(action->userInfo().stringValue().value_or(""), r.url);
    }
    heard->heard.clear();
    auto actionElement = KRDOMActionElement::create();
    cell->krDOMViewDoActionElement(*view, *actionElement);
    ASSERT_EQ(heard->heard.size(), 1u);
    EXPECT_EQ(heard->heard[0], actionElement);
    heard->heard.clear();
    auto button = std::make_shared<KRAction>();
    cell->doAction(button);
    cell->doAction(std::make_shared<pf::Label>()); // not an action: ignored
    ASSERT_EQ(heard->heard.size(), 1u);
    EXPECT_EQ(heard->heard[0], button);
}

class Rows : public pf::Object, public pf::TableViewDataSource {
public:
    std::vector<pf::Value> items;
    int made = 0;
    int tableViewNumberOfRowsInSection(pf::TableView&, int) override { return static_cast<int>(items.size()); }
    std::shared_ptr<pf::TableViewCell> tableViewCellForRowAtIndexPath(pf::TableView&, const pf::IndexPath& path) override
    {
        ++made;
        auto cell = KRTableViewCell::tableViewCellWithNibName("TitleCell", &testBundle());
        cell->setDataItem(items.at(path.row));
        return cell;
    }
};

// Rows changed in place show again without new cells; a table showing none reloads.
TEST(KRTableViewCell, ApplyDataOutletRebindsVisibleCells)
{
    auto table = std::make_shared<pf::TableView>(pf::Rect(0, 0, 320, 200));
    auto rows = std::make_shared<Rows>();
    table->setDataSource(rows);
    table->layoutIfNeeded();
    rows->items = {row("甲"), row("乙")};
    applyDataOutlet(*table);
    table->layoutIfNeeded();
    ASSERT_EQ(table->visibleCells().size(), 2u);
    rows->items[1].dictionary()->set("title", pf::Value(std::string("丙")));
    const int made = rows->made;
    applyDataOutlet(*table);
    EXPECT_EQ(rows->made, made);
    auto second = std::dynamic_pointer_cast<KRTableViewCell>(table->visibleCells().at(1));
    EXPECT_EQ(titleLabel(*second)->text(), "丙");
    pf::RunLoop::main().runUntilIdle();
}

}
