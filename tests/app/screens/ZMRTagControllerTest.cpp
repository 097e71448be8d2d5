#include "AppScreenTest.h"

#include "app/screens/ZMRTagController.h"
#include "app/screens/ZMRTagItemControl.h"
#include "app/services/ZMRClassifyObject.h"
#include "framework/db/KRDBContext.h"
#include "framework/db/KRSqlite.h"
#include "platform/controls/ScrollView.h"
#include "platform/graphics/Text.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

#include <sstream>

namespace {

class TagStrip : public AppScreenTest {
protected:
    // Replaces the application's tag list with the blank-separated tags.
    void keep(const std::string& tags)
    {
        auto db = shell->appDBContext();
        ASSERT_TRUE(db && db->db()->execture("DELETE FROM [ZMRTagObject]"));
        std::istringstream words(tags);
        long long tid = 0;
        for (std::string word; words >> word;) {
            auto tag = std::make_shared<ZMRTagObject>();
            tag->setTid(++tid);
            tag->setTag(word);
            ASSERT_TRUE(db->insertObject(tag));
        }
    }
    std::vector<std::shared_ptr<ZMRTagItemControl>> items() const
    {
        std::vector<std::shared_ptr<ZMRTagItemControl>> out;
        for (const auto& view : content->subviews())
            if (auto item = std::dynamic_pointer_cast<ZMRTagItemControl>(view))
                out.push_back(item);
        return out;
    }
    // "title@x" for each button, then "|" and the content width; widths are
    // checked against the title's own.
    std::string dump() const
    {
        std::string out;
        pf::TextStyle style;
        style.font = pf::Font::system(12);
        style.numberOfLines = 1;
        for (const auto& item : items()) {
            std::string title = item->title().value_or("");
            out += title + "@" + std::to_string(static_cast<int>(item->frame().x())) + " ";
            EXPECT_DOUBLE_EQ(item->frame().width(), pf::TextMeasurer::system().measure(title, style, 0).width + 40) << title;
            EXPECT_EQ(item->frame().y(), 13) << title; // centred in 50
            EXPECT_EQ(item->frame().height(), 24) << title;
            EXPECT_EQ(item->dataObject() ? item->dataObject()->tag().value_or("?") : "(none)", title);
        }
        return out + "|" + std::to_string(static_cast<int>(content->contentSize().width));
    }
    static void tapItem(ZMRTagItemControl& item) { item.sendActionsForControlEvents(pf::ControlEvent::TouchUpInside); }

    std::shared_ptr<pf::ScrollView> content = std::make_shared<pf::ScrollView>(pf::Rect{0, 0, 320, 50});
    std::shared_ptr<ZMRTagController> strip = std::make_shared<ZMRTagController>();
};

}

// The row is built from the tag list when the controller gets its context,
// and rebuilt on reload: buttons reused in order with their selection,
// leftovers removed, the content as wide as the row.
TEST_F(TagStrip, TheRowFollowsTheTagListReusingItsButtons)
{
    keep("打折 包邮 限时 新品 满减 团购 秒杀 清仓 会员 返现");
    strip->setContentView(content);
    strip->setContext(shell);
    ASSERT_EQ(items().size(), 10u);
    std::string first = dump();
    EXPECT_TRUE(first.starts_with("打折@0 包邮@")) << first;
    auto before = items();
    tapItem(*before[1]);
    tapItem(*before[3]);
    tapItem(*before[5]);
    tapItem(*before[5]); // twice: off again
    std::string selected;
    for (const auto& tag : strip->selectedDataObjects())
        selected += tag->tag().value_or("?") + " ";
    EXPECT_EQ(selected, "包邮 新品 ");

    struct Row {
        const char* tags;
        std::size_t buttons;
    } rows[] = {
        {"一 二 三 四 五 六 七 八", 8},
        {"一个很长很长很长很长很长很长很长很长的标签 二", 2},
        {"", 0},
        {"甲 乙 丙", 3},
    };
    for (const Row& row : rows) {
        keep(row.tags);
        strip->reloadData();
        auto now = items();
        ASSERT_EQ(now.size(), row.buttons) << row.tags;
        for (std::size_t i = 0; i < now.size() && i < before.size() && row.buttons <= before.size(); ++i)
            EXPECT_EQ(now[i], before[i]) << row.tags;
        dump();
        double end = now.empty() ? 0 : now.back()->frame().maxX();
        EXPECT_EQ(content->contentSize().width, end) << row.tags;
        before = now;
    }
    // Three new buttons after none: nothing selected any more; before, the
    // second button kept its selection through the reloads.
    EXPECT_TRUE(strip->selectedDataObjects().empty());
}

// A finger on the screen toggles a tag; the selection stays with the
// button through a reload that gives it another tag.
TEST_F(TagStrip, ASelectionSurvivesAReloadThatRetitlesItsButton)
{
    keep("打折 包邮 限时");
    content->setFrame({0, 100, 320, 50});
    pf::Screen::main().keyWindow()->addSubview(content);
    strip->setContentView(content);
    strip->setContext(shell);
    pf::Point second{items()[1]->frame().midX(), 125};
    tap(second);
    tap({items()[2]->frame().midX(), 125});
    tap({items()[2]->frame().midX(), 125});
    ASSERT_EQ(strip->selectedDataObjects().size(), 1u);
    EXPECT_EQ(strip->selectedDataObjects()[0]->tag(), "包邮");
    keep("甲 乙 丙 丁");
    strip->reloadData();
    ASSERT_EQ(items().size(), 4u);
    ASSERT_EQ(strip->selectedDataObjects().size(), 1u);
    EXPECT_EQ(strip->selectedDataObjects()[0]->tag(), "乙");
    EXPECT_EQ(dump().substr(0, 5), "甲@0");
}
