#include "platform/graphics/Image.h"
#include "tests/platform/graphics/PixelProbe.h"

#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

using pf::test::pixelIs;

namespace {

const std::string kForm = std::string(ZMR_TEST_SOURCE_DIR) + "/tests/resources/interface/StyledForm.xml";

int runInterfaceView(const std::string& arguments)
{
    std::string command = std::string(INTERFACEVIEW_PATH) + " " + kForm + arguments + " --headless >/dev/null 2>&1";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Some pixel of `area` is close to `colour` (text of that colour was drawn).
::testing::AssertionResult inkOf(const pf::Bitmap& bitmap, const pf::Rect& area, const pf::Color& colour)
{
    for (double y = area.minY(); y < area.maxY(); y += 0.5)
        for (double x = area.minX(); x < area.maxX(); x += 0.5)
            if (bitmap.pixelAtPoint({x, y}).near(pf::toRgba8(colour), 40))
                return ::testing::AssertionSuccess();
    pf::test::writeFailurePng(bitmap);
    return ::testing::AssertionFailure() << "no ink of " << pf::test::describe(pf::toRgba8(colour));
}

}

TEST(InterfaceView, DressesFillsAndPlacesAFormFromStylesAndData)
{
    // "@2x": the picture reads back at the screen's scale, so probes are in points.
    std::string shot = "/tmp/zmr-form-" + std::to_string(getpid()) + "@2x.png";
    std::string data = std::string(ZMR_TEST_SOURCE_DIR) + "/tests/resources/form.json";
    ASSERT_EQ(runInterfaceView(" --styles Styles --data " + data + " --shot " + shot), 0);
    auto image = pf::Image::contentsOfFile(shot);
    std::remove(shot.c_str());
    ASSERT_TRUE(image.ok());
    const pf::Bitmap& frame = *image.value()->bitmap();

    const pf::Color page = pf::Color::rgb(0xf7 / 255.0, 0xe3 / 255.0, 0xdb / 255.0);
    const pf::Color accent = pf::Color::rgb(0xf2 / 255.0, 0x6c / 255.0, 0x4f / 255.0), ink = pf::Color::rgb(0.2, 0.2, 0.2);
    // The screen's view starts under the 20 pt status bar.
    EXPECT_TRUE(pixelIs(frame, {5, 30}, page)) << "the page style";
    EXPECT_TRUE(pixelIs(frame, {40, 215}, accent)) << "the button's style, at the card's foot";
    EXPECT_TRUE(inkOf(frame, {32, 60, 256, 28}, accent)) << "the title, filled and styled";
    EXPECT_TRUE(inkOf(frame, {102, 104, 180, 30}, ink)) << "the nickname, placed";
    EXPECT_EQ(runInterfaceView(" --styles NoSuchStyles"), 1);
    EXPECT_EQ(runInterfaceView(" --data " + kForm), 1) << "not JSON";
}

TEST(InterfaceView, ShowsTheApplicationsDocumentScreenWithItsTemplate)
{
    std::string shot = "/tmp/zmr-start-" + std::to_string(getpid()) + "@2x.png";
    std::string command = std::string(INTERFACEVIEW_PATH) + " " + ZMR_TEST_SOURCE_DIR
                          + "/resources/interface/Start.xml --shot " + shot + " >/dev/null 2>&1";
    int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    auto image = pf::Image::contentsOfFile(shot);
    std::remove(shot.c_str());
    ASSERT_TRUE(image.ok());
    // The start template's welcome line, under the status bar.
    EXPECT_TRUE(inkOf(*image.value()->bitmap(), {30, 55, 130, 30}, pf::Color::rgb(0xf2 / 255.0, 0x6c / 255.0, 0x4f / 255.0)));
    status = std::system((std::string(INTERFACEVIEW_PATH) + " --help >/dev/null").c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(InterfaceView, DressesAScreenFileWithTheApplicationsStyles)
{
    struct Row {
        const char* file;
        pf::Point at;
        pf::Color colour;
    } rows[] = {
        {"Menu", {5, 300}, pf::Color::rgb(0x3d / 255.0, 0x34 / 255.0, 0x31 / 255.0)},     // the menu's dark page
        {"Register", {40, 290}, pf::Color::rgb(0xf2 / 255.0, 0x6c / 255.0, 0x4f / 255.0)}, // its button
    };
    for (const auto& row : rows) {
        std::string shot = "/tmp/zmr-" + std::string(row.file) + "-" + std::to_string(getpid()) + "@2x.png";
        std::string command = std::string(INTERFACEVIEW_PATH) + " " + ZMR_TEST_SOURCE_DIR + "/resources/interface/"
                              + row.file + ".xml --shot " + shot + " >/dev/null 2>&1";
        int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << row.file;
        auto image = pf::Image::contentsOfFile(shot);
        std::remove(shot.c_str());
        ASSERT_TRUE(image.ok()) << row.file;
        EXPECT_TRUE(pixelIs(*image.value()->bitmap(), row.at, row.colour, 12)) << row.file;
    }
}
