#include "TableRig.h"

#include "framework/core/KRController.h"
#include "framework/data/KRTableViewCellDelegate.h"
#include "framework/dom/KRDOMActionElement.h"
#include "framework/ui/KRImageView.h"
#include "platform/controls/Label.h"
#include "tests/framework/ui/StyleTestSupport.h"

#include <gtest/gtest.h>

namespace {

std::shared_ptr<KRTableViewCell> load(const char* name)
{
    return KRTableViewCell::tableViewCellWithNibName(name, &testBundle());
}

pf::Value row(const char* title)
{
    return pf::Value(pf::Dictionary::create({{"title", pf::Value(std::string(title))}}));
}

std::string title(const std::shared_ptr<pf::TableViewCell>& cell)
{
    for (const auto& view : cell->subviews())
        if (auto label = std::dynamic_pointer_cast<pf::Label>(view))
            return label->text();
    return {};
}

class Heard : public pf::Object, public KRTableViewCellDelegate {
public:
    std::vector<pf::ObjectRef> heard;
    void krTableViewCellDoAction(KRTableViewCell&, const pf::ObjectRef& action) override { heard.push_back(action); }
};

// Only a file whose root is a cell makes one; a reused cell withdraws the old
// download before asking for new images, and the network waits a turn.
TEST(KRTableViewCell, LoadsFillsAndReuses)
{
    EXPECT_FALSE(load("PlainRoot"));
    auto cell = load("TitleCell");
    ASSERT_TRUE(cell);
    auto bus = std::make_shared<FakeBus>();
    cell->setContext(bus);
    cell->setDataItem(row("第一行"));
    EXPECT_EQ(title(cell), "第一行");
    EXPECT_EQ(bus->calls.size(), 1u); // the local caches only
    pf::RunLoop::main().runUntilIdle();
    EXPECT_EQ(bus->calls.size(), 2u);
    std::dynamic_pointer_cast<KRImageView>(cell->subviews().at(1))->setLoading(true);
    bus->calls.clear();
    cell->setDataItem(row("第二行"));
    ASSERT_FALSE(bus->calls.empty());
    EXPECT_EQ(bus->calls.front(), "cancel");
    pf::RunLoop::main().runUntilIdle();
}

// The context's style sheet dresses the cell's views, and the layout rules
// place them for every item.
TEST(KRTableViewCell, StyledAndPlacedByItsContainers)
{
    auto bus = std::make_shared<StyledBus>();
    bus->sheet->setStyleController(styleControllerWith({styleEntry("cellTitle", "numberOfLines", pf::Value(3))}));

    auto cell = load("PlacedCell");
    ASSERT_TRUE(cell);
    std::shared_ptr<pf::Label> label;
    for (const auto& view : cell->subviews())
        for (const auto& inner : view->subviews())
            if (auto found = std::dynamic_pointer_cast<pf::Label>(inner))
                label = found;
    ASSERT_TRUE(label);
    cell->setContext(bus);
    EXPECT_EQ(label->numberOfLines(), 3);
    cell->setDataItem(row("一"));
    EXPECT_EQ(label->frame(), (pf::Rect{12, 4, 296, 36}));
}

// Links need a non-empty href; action elements and action senders pass as they are.
TEST(KRTableViewCell, ActionsReachDelegate)
{
    auto cell = std::make_shared<KRTableViewCell>();
    auto rows = std::make_shared<Heard>();
    cell->setDelegate(rows);
    auto view = KRDOMView::create();
    const std::pair<const char*, const char*> links[] = {{"a", "u1"}, {"a", ""}, {"img", "u2"}, {"area", "u3"}};
    for (auto [name, href] : links) {
        auto element = KRDOMElement::create(name);
        element->setAttributeValue(std::string_view(href), "href");
        cell->krDOMViewDoActionElement(*view, *element);
    }
    auto element = KRDOMActionElement::create();
    cell->krDOMViewDoActionElement(*view, *element);
    cell->doAction(std::make_shared<pf::Label>());
    std::string heard;
    for (const auto& action : rows->heard)
        heard += dynamic_cast<IKRAction*>(action.get())->actionName() + ":" +
                 dynamic_cast<IKRAction*>(action.get())->userInfo().stringValue().value_or("") + " ";
    EXPECT_EQ(heard, "url:u1 url:u3 " + element->actionName() + ": ");
}

}
