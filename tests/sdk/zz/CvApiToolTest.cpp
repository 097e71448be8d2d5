#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/PropertyListWriter.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "sdk/zz/CvApiTool.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

using Text = std::optional<std::string>;

TEST(CvApiTool, TokenTransformRoundTripsAndRefusesBadInput)
{
    struct Row {
        Text text, key, enciphered;
    } rows[] = {
        { "abc", "k", "0a0908" },         // a shorter key repeats
        { "ab", "abcdef", "0000" },       // a longer key is cut
        { "", "k", "" },
        { "\xC3\xA9t\xC3\xBF", "\x01", "e875fe" }, // characters below 256 beyond ASCII
        { "abc", "", std::nullopt },
        { std::nullopt, "k", std::nullopt },
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CvApiTool::encryAccessToken(row.text, row.key), row.enciphered) << *row.key;
        if (row.enciphered) {
            EXPECT_EQ(CvApiTool::decodeAccessToken(row.enciphered, row.key), row.text);
        }
    }
    // Wider characters give longer digit runs.
    EXPECT_EQ(CvApiTool::encryAccessToken("\xE4\xB8\xAD", "a"), "4e4c");
    for (const char* bad : { "0a0", "0g", "zz", "+1" })
        EXPECT_EQ(CvApiTool::decodeAccessToken(bad, "k"), std::nullopt) << bad;

    struct Pair {
        const char* text;
        std::optional<int> value;
    } pairs[] = { { "00", 0 }, { "fF", 255 }, { "A0", 160 }, { "0", std::nullopt }, { "123", std::nullopt },
                  { "g0", std::nullopt }, { " 1", std::nullopt } };
    for (const auto& pair : pairs)
        EXPECT_EQ(CvApiTool::NSString16toNSNumber(pair.text), pair.value) << pair.text;
}

TEST(CvApiTool, SDKInfoRandomKeysAndCounters)
{
    auto info = CvApiTool::SDKInfo();
    EXPECT_EQ(info->keys(), (std::vector<std::string> { "sdkv", "sdkp", "status_os", "status_machine", "status_version" }));
    EXPECT_FALSE(info->string("status_machine")->empty());

    std::string first = CvApiTool::random16Str();
    EXPECT_EQ(first.size(), 16u);
    EXPECT_EQ(first.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_NE(CvApiTool::random16Str(), first);
    long long a = std::stoll(CvApiTool::seq());
    EXPECT_EQ(std::stoll(CvApiTool::seq()), a + 1);
}

TEST(CvApiTool, SchemesAreFoundOnlyUnderTheirList)
{
    char pattern[] = "/tmp/zz-bundle-XXXXXX";
    std::string folder = mkdtemp(pattern);
    auto info = pf::Dictionary::create({
        { "CFBundleURLTypes",
          pf::Array::create({ pf::Dictionary::create({ { "CFBundleURLName", "only" } }), "not a dictionary",
                              pf::Dictionary::create({ { "CFBundleURLSchemes", pf::Array::create({ "corvana100" }) } }) }) },
        { "corvanaSDKResource", pf::Dictionary::create({ { "path", "x" } }) },
    });
    ASSERT_FALSE(pf::writePropertyListFile(folder + "/Info.plist", info));
    auto previous = pf::Bundle::main();
    pf::Bundle::setMain(std::make_shared<pf::Bundle>(folder));

    struct Row {
        Text scheme;
        bool registered;
    } rows[] = { { "corvana100", true }, { "Corvana100", false }, { "only", false }, { std::nullopt, false } };
    for (const auto& row : rows)
        EXPECT_EQ(CvApiTool::isRegistSchemeInfoPlistFile(row.scheme), row.registered) << row.scheme.value_or("nil");
    EXPECT_EQ(CvApiTool::jsIsRegistSchemeInfoPlistFile(pf::Dictionary::create({ { "appSchema", "corvana100" } })), "YES");
    EXPECT_EQ(CvApiTool::jsIsRegistSchemeInfoPlistFile(pf::Dictionary::create({ { "appSchema", "x" } })), "NO");
    EXPECT_EQ(CvApiTool::jsIsRegistSchemeInfoPlistFile(pf::Dictionary::create()), std::nullopt);
    ASSERT_NE(CvApiTool::getAppDefinePath(), nullptr);

    pf::Bundle::setMain(previous);
    std::filesystem::remove_all(folder);
}

TEST(CvApiTool, WindowsMoveAsideExceptKeptAndSystemOnes)
{
    double width = pf::Screen::main().bounds().size.width;
    struct Row {
        double level;
        bool kept;
        bool moves;
    } rows[] = { { pf::WindowLevel::Normal, false, true }, { pf::WindowLevel::Normal, true, false },
                 { pf::WindowLevel::StatusBar, false, false }, { pf::WindowLevel::Alert, false, false } };
    std::vector<pf::WindowRef> windows, keep;
    for (const auto& row : rows) {
        auto window = pf::Window::create();
        window->setWindowLevel(row.level);
        window->setHidden(false);
        windows.push_back(window);
        if (row.kept)
            keep.push_back(window);
    }
    for (bool animation : { false, true }) {
        CvApiTool::MoveAllWindowOutOfScreen(keep, animation);
        for (std::size_t i = 0; i < windows.size(); ++i)
            EXPECT_EQ(windows[i]->frame().origin.x, rows[i].moves ? width : 0) << i;
        CvApiTool::MoveAllWindowIntoScreen(keep, animation);
        for (const auto& window : windows)
            EXPECT_EQ(window->frame().origin.x, 0);
    }
    for (const auto& window : windows)
        window->setHidden(true);

    // Out of sight means no corner on the screen, so a window wider and
    // taller than the screen is out of sight too.
    pf::Size screen = pf::Screen::main().bounds().size;
    struct Frame {
        pf::Rect frame;
        bool off;
    } frames[] = {
        { pf::Rect(0, 0, screen.width, screen.height), false },
        { pf::Rect(screen.width - 1, screen.height - 1, 50, 50), false },
        { pf::Rect(screen.width, 0, screen.width, screen.height), true },
        { pf::Rect(-10, -10, screen.width + 20, screen.height + 20), true },
    };
    for (const Frame& row : frames)
        EXPECT_EQ(CvApiTool::isWindowOffScreen(row.frame), row.off) << row.frame.origin.x;
}
