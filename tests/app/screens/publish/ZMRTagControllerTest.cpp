#include "tests/app/screens/AppScreenTest.h"

#include "app/screens/publish/ZMRTagController.h"
#include "app/screens/publish/ZMRTagItemControl.h"
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
    void keep(const std::string& list)
    {
        auto db = shell->appDBContext();
        ASSERT_TRUE(db && db->db()->execture("DELETE FROM [ZMRTagObject]"));
        std::istringstream words(list);
        for (std::string word; words >> word;) {
            auto tag = std::make_shared<ZMRTagObject>();
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
    // "title@x" of each button and "|" with the content width; the geometry
    // of each is checked on the way.
    std::string dump() const
    {
        std::string out;
        pf::TextStyle style{pf::Font::system(12)};
        style.numberOfLines = 1;
        double x = 0;
        for (const auto& item : items()) {
            std::string title = item->title().value_or("");
            out += title + (item->isSelected() ? "*" : "") + " ";
            EXPECT_EQ(item->frame(), pf::Rect(x, 103, pf::TextMeasurer::system().measure(title, style, 0).width + 40, 24)) << title;
            EXPECT_EQ(item->dataObject() ? item->dataObject()->tag().value_or("?") : "(none)", title);
            x = item->frame().maxX();
        }
        EXPECT_EQ(content->contentSize().width, x);
        return out;
    }
    void tapItem(int index) { tap({items().at(static_cast<std::size_t>(index))->frame().midX(), 115}); }

    std::shared_ptr<pf::ScrollView> content = std::make_shared<pf::ScrollView>(pf::Rect{0, 0, 320, 230});
    std::shared_ptr<ZMRTagController> strip = std::make_shared<ZMRTagController>();
};

}

// The row is built when the controller gets its context and rebuilt on
// reload: buttons as wide as their titles plus 40, side by side, centred in
// the row's height, reused in order with their selection whatever their new
// tag, leftovers removed. A finger toggles a tag.
TEST_F(TagStrip, TheRowFollowsTheTagListAndFingersToggleItsButtons)
{
    keep("打折 包邮 限时 新品 满减 团购 秒杀 清仓 会员 返现");
    pf::Screen::main().keyWindow()->addSubview(content);
    strip->setContentView(content);
    strip->setContext(shell);
    for (int index : {1, 3, 2, 2})
        tapItem(index);
    EXPECT_EQ(dump(), "打折 包邮* 限时 新品* 满减 团购 秒杀 清仓 会员 返现 ");
    std::string selected;
    for (const auto& tag : strip->selectedDataObjects())
        selected += tag->tag().value_or("?") + " ";
    EXPECT_EQ(selected, "包邮 新品 ");
    // A tag switched on shows its orange mark left of its title.
    for (int index : {0, 1}) {
        pf::Point mark{items()[static_cast<std::size_t>(index)]->frame().x() + 23, 115};
        EXPECT_EQ(pixelIs(mark, pf::Color::rgb(241 / 255.0, 97 / 255.0, 60 / 255.0), 40), index == 1) << index;
        // The mark keeps clear of its title: its 5-point right inset moves
        // the centred image half that way.
        auto item = items()[static_cast<std::size_t>(index)];
        EXPECT_EQ(item->titleRect().x() - item->imageRect().maxX(), 2.5) << index;
    }

    struct Row {
        const char* tags;
        const char* row;
    } rows[] = {
        {"一 二 三 四 五 六 七 八", "一 二* 三 四* 五 六 七 八 "},
        {"一个很长很长很长很长很长很长很长很长很长的标签 二", "一个很长很长很长很长很长很长很长很长很长的标签 二* "},
        {"", ""},
        {"甲 乙", "甲 乙 "},
    };
    auto before = items();
    for (const Row& row : rows) {
        keep(row.tags);
        strip->reloadData();
        EXPECT_EQ(dump(), row.row) << row.tags;
        auto now = items();
        for (std::size_t i = 0; i < now.size() && !before.empty(); ++i)
            EXPECT_EQ(now[i], before.at(i)) << row.tags << " reuses its buttons";
        before = now;
    }
    EXPECT_TRUE(strip->selectedDataObjects().empty());
}
