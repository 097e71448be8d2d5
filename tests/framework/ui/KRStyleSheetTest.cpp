#include "framework/ui/KRStyleOutletContainer.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Device.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/Text.h"
#include "platform/ui/Screen.h"
#include "platform/ui/View.h"
#include "tests/framework/ui/StyleTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <unistd.h>

namespace {

std::string describe(const KRStyleSelection& selection)
{
    std::string text;
    for (const auto& [key, style] : selection)
        text += key + "=" + *style->value().stringValue() + " ";
    return text;
}

TEST(KRStyleSheet, ColourTexts)
{
    struct Row { const char* text; pf::Color expected; } rows[] = {
        {"#00ff00 0.5", {0, 1, 0, 0.5}}, {"#00FF00 0.5", {0, 1, 0, 0.5}},
        {"#f26c4f", {242 / 255.0, 108 / 255.0, 79 / 255.0, 1}}, {"#abc", {0xab / 255.0, 0xc / 255.0, 0, 1}},
        {"red", {0, 0, 0, 1}}, {"#000000 nan", {0, 0, 0, 1}}, {"#000000 7", {0, 0, 0, 1}}, {"#000000 -2", {0, 0, 0, 0}},
    };
    for (const auto& row : rows) {
        pf::Color c = KRStyleSheet::styleValueColor(row.text), e = row.expected;
        EXPECT_TRUE(std::fabs(c.red - e.red) + std::fabs(c.green - e.green) + std::fabs(c.blue - e.blue)
                        + std::fabs(c.alpha - e.alpha) < 1e-6) << row.text;
    }
}

TEST(KRStyleSheet, FontTexts)
{
    struct Row { const char* text; bool found; double size; pf::FontWeight weight; bool italic; } rows[] = {
        {"14 bold", true, 14, pf::FontWeight::Bold, false},
        {"14", true, 14, pf::FontWeight::Regular, false},
        {"12 italic", true, 12, pf::FontWeight::Regular, true},
        {"16 Helvetica-Bold", true, 16, pf::FontWeight::Bold, false},
        {"bold", true, 0, pf::FontWeight::Regular, false},
        {"16 NoSuchFontAnywhere", false, 0, pf::FontWeight::Regular, false},
    };
    for (const auto& row : rows) {
        auto font = KRStyleSheet::styleValueFont(row.text);
        ASSERT_EQ(font.has_value(), row.found) << row.text;
        EXPECT_TRUE(!font || (font->size() == row.size && font->weight() == row.weight && font->italic() == row.italic))
            << row.text;
    }
    // A scanned size of 0 (or worse) still measures as readable 1 pt text.
    auto measured = [](double size) {
        return pf::TextMeasurer::system().measure("Ab", pf::TextStyle{pf::Font::system(size)}, 1000);
    };
    for (double size : {0.0, -3.0, std::nan("")})
        EXPECT_EQ(measured(size).width, measured(1).width) << size;
    EXPECT_EQ(KRStyleSheet::styleValueEdge("{1, 2.5, 3, 4}"), (pf::EdgeInsets{1, 2.5, 3, 4}));
}

TEST(KRStyleSheet, LaterWordsAndEntriesWin)
{
    KRStyleSheet sheet;
    sheet.setStyleController(styleControllerWith({styleEntry("base", "a", "base-a"), styleEntry("base", "b", "base-b"),
                                             styleEntry("title", "b", "title-b"), styleEntry("title", "c", "title-c"),
                                             styleEntry("title", "b", "title-b2")}));
    struct Row { const char* names; const char* expected; } rows[] = {
        {"base title", "a=base-a b=title-b2 c=title-c "},
        {"title base", "b=base-b c=title-c a=base-a "},
        {"base  missing", "a=base-a b=base-b "},
        {" ", ""},
        {"Base", ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(describe(*sheet.selectorStyle(row.names)), row.expected) << row.names;
}

struct VersionCounter final : KRStyleSheetObserver {
    void styleSheetVersionDidChange(KRStyleSheet&, int, int) override { ++calls; }
    int calls = 0;
};

TEST(KRStyleSheet, VersionStepsAndCacheDrops)
{
    KRStyleSheet sheet;
    auto counter = std::make_shared<VersionCounter>();
    sheet.addObserver(counter);
    auto first = styleControllerWith({styleEntry("t", "k", "one")});
    sheet.setStyleController(first);
    sheet.setStyleController(first);
    EXPECT_EQ(sheet.version(), 1);
    EXPECT_EQ(counter->calls, 1);
    EXPECT_EQ(describe(*sheet.selectorStyle("t")), "k=one ");

    // Setting the collection again is seen at once, and so is any change in
    // place of an entry or of the collection, cached lookup or not.
    first->setStyles(std::make_shared<pf::Array>(std::vector<pf::Value>{pf::ObjectRef(styleEntry("t", "k", "two"))}));
    EXPECT_EQ(describe(*sheet.selectorStyle("t")), "k=two ");
    KRStyleRef other = styleEntry("u", "k", "other");
    struct Row {
        const char* change;
        std::function<void()> make;
        const char* t;
    };
    for (const Row& row : std::vector<Row>{
             {"value edited", [&] { first->styles()->at(0).objectAs<KRStyle>()->setValue("three"); }, "k=three "},
             {"entry added", [&] { first->styles()->add(pf::ObjectRef(other)); }, "k=three "},
             {"added entry renamed", [&] { other->setName("t"); }, "k=other "},
             {"key edited", [&] { other->setKey("j"); }, "k=three j=other "},
             {"entry replaced", [&] { first->styles()->set(1, pf::ObjectRef(styleEntry("t", "j", "new"))); }, "k=three j=new "},
             {"entry removed", [&] { first->styles()->removeAt(0); }, "j=new "},
             {"old entry edited", [&] { other->setValue("gone"); }, "j=new "},
         }) {
        sheet.selectorStyle("t"); // cached
        row.make();
        EXPECT_EQ(describe(*sheet.selectorStyle("t")), row.t) << row.change;
    }
    first->setStyles(std::make_shared<pf::Array>(std::vector<pf::Value>{pf::ObjectRef(styleEntry("t", "k", "three"))}));

    sheet.setStyleController(styleControllerWith({styleEntry("t", "k", "four")}));
    EXPECT_EQ(sheet.version(), 2);
    EXPECT_EQ(describe(*sheet.selectorStyle("t")), "k=four ");
    counter.reset();
    sheet.setVersion(5); // a released observer is skipped
}

struct OrderObserver final : KRStyleSheetObserver {
    OrderObserver(std::string* log, char name) : log(log), name(name) {}
    void styleSheetVersionDidChange(KRStyleSheet&, int, int) override { *log += name; }
    std::string* log;
    char name;
};

TEST(KRStyleSheet, ObserversAreToldInOrderAndReleasedOnesDoNotPileUp)
{
    KRStyleSheet sheet;
    std::string log;
    auto a = std::make_shared<OrderObserver>(&log, 'a');
    auto b = std::make_shared<OrderObserver>(&log, 'b');
    auto c = std::make_shared<OrderObserver>(&log, 'c');
    for (const auto& observer : {c, a, b})
        sheet.addObserver(observer);
    sheet.addObserver(a); // again: moves to the end, told once
    sheet.removeObserver(b.get());
    sheet.setVersion(1);
    EXPECT_EQ(log, "ca");

    // A long list's containers come and go; the sheet keeps only live ones.
    auto shared = std::make_shared<KRStyleSheet>();
    std::vector<std::shared_ptr<KRStyleOutletContainer>> live;
    for (int i = 0; i < 5000; i++) {
        auto container = std::make_shared<KRStyleOutletContainer>();
        container->setStyleSheet(shared);
        if (i % 1000 == 0)
            live.push_back(container);
    }
    EXPECT_EQ(shared->observerCount(), live.size());
    // Observers released without removing themselves stay bounded too.
    for (int i = 0; i < 5000; i++)
        sheet.addObserver(std::make_shared<OrderObserver>(&log, 'x'));
    EXPECT_LT(sheet.observerCount(), 200u);
    log.clear();
    sheet.setVersion(2);
    EXPECT_EQ(log, "ca");
    EXPECT_EQ(sheet.observerCount(), 2u);
}

class StyleImages : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() / ("kr_style_images_" + std::to_string(getpid()));
        std::filesystem::create_directories(dir / "skin");
        bundle = std::make_shared<pf::Bundle>(dir.string());
        sheet.setStyleController(styleControllerWith({}, bundle.get()));
        saved = pf::DeviceProfile::current();
    }
    void TearDown() override
    {
        setScale(saved.scale);
        std::filesystem::remove_all(dir);
    }
    void write(const std::string& name, int pixelWidth, int pixelHeight = 4)
    {
        ASSERT_FALSE(pf::Bitmap::create(pixelWidth, pixelHeight).value()->writePng((dir / name).string()));
    }
    void setScale(double scale)
    {
        pf::DeviceProfile profile = pf::DeviceProfile::current();
        profile.scale = scale;
        pf::DeviceProfile::setCurrent(profile);
        pf::Screen::main().updateFromDeviceProfile();
    }
    // The pixel width of the image read, 0 for none.
    int widthOf(const char* text)
    {
        pf::ImageRef image = sheet.styleValueImage(text);
        return image ? int(std::lround(image->size().width * image->scale())) : 0;
    }
    std::filesystem::path dir;
    std::shared_ptr<pf::Bundle> bundle;
    KRStyleSheet sheet;
    pf::DeviceProfile saved;
};

TEST_F(StyleImages, FilesTwinsAndCaps)
{
    write("skin/plain.png", 10);
    write("skin/plain@2x.png", 20);
    write("skin/only@2x.png", 22);
    struct Row { double scale; const char* text; int width; } rows[] = {
        {2, "skin/plain.png", 20},
        {1, "skin/plain.png", 10},
        {1, "skin/only.png", 22},
        {1, "/skin/plain.png", 10},
        {1, "skin/../skin/plain.png", 0},
        {1, "../plain.png", 0},
        {1, "skin/missing.png", 0},
    };
    for (const auto& row : rows) {
        setScale(row.scale);
        sheet.didReceiveMemoryWarning();
        EXPECT_EQ(widthOf(row.text), row.width) << row.text << " at scale " << row.scale;
    }
    setScale(1);
    write("pic.png", 10);
    EXPECT_EQ(widthOf("pic.png"), 10);
    write("pic.png", 30); // cached until the memory warning
    EXPECT_EQ(widthOf("pic.png"), 10);
    sheet.didReceiveMemoryWarning();
    EXPECT_EQ(widthOf("pic.png"), 30);

    write("big.png", 64, 64);
    struct CapRow { const char* text; double left, top; } caps[] = {
        {"big.png 10 12", 10, 12}, {"big.png 10.7 12", 10, 12}, {"big.png 10 0", 0, 0},
        {"big.png nan 3", 0, 0}, {"big.png", 0, 0}};
    for (const auto& row : caps) {
        pf::ImageRef image = sheet.styleValueImage(row.text);
        ASSERT_TRUE(image) << row.text;
        EXPECT_TRUE(image->capInsets().left == row.left && image->capInsets().top == row.top) << row.text;
    }
}

TEST(KRStyleSheet, StylesFileLoads)
{
    KRStyleSheet sheet;
    sheet.setStyleController(std::make_shared<KRStyleController>());
    const KRStyleSelection& selection = *sheet.selectorStyle("pageBackground accent");
    ASSERT_EQ(selection.size(), 2u);
    EXPECT_EQ(selection[0].first, "backgroundColor");
    EXPECT_EQ(selection[1].first, "textColor");
}

}
