#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "tests/platform/graphics/PixelProbe.h"
#include "tools/zzserver/ZZServer.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

using pf::test::pixelIs;

namespace {

// Runs zzsdkview against the stand-in, trusting its CA. OpenSSL keeps the
// state of its one-time start for good, which only a full unwind can tell
// apart from a leak of ours.
int runZZSdkView(const zmr::ZZServer& server, const std::string& caPath, const std::string& arguments)
{
    std::string command = "ZMR_CA_FILE=" + caPath + " LSAN_OPTIONS=suppressions=" + ZMR_TEST_SOURCE_DIR
        + "/tests/platform/lsan.supp:fast_unwind_on_malloc=0:malloc_context_size=12 " + ZZSDKVIEW_PATH + " --resources " + ZZ_RESOURCES_DIR
        + " --zz-server " + server.httpOrigin() + " --zz-server-https " + server.httpsOrigin() + arguments
        + " >/dev/null 2>&1";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}

// The program signs in through the stand-in's login page, and with a picture
// uploads the framed square or shoots the set-portrait screen.
TEST(ZZSdkView, SetsThePortraitAndShootsTheScreen)
{
    zmr::ZZServer server;
    ASSERT_TRUE(server.isRunning());
    std::string tag = std::filesystem::temp_directory_path().string() + "/zmr-zzsdkview-" + std::to_string(getpid());
    std::string caPath = tag + "-ca.pem", picture = tag + ".png", shot = tag + "-shot@2x.png";
    ASSERT_TRUE(server.writeCA(caPath));
    auto bitmap = pf::Bitmap::create(400, 600, 1).value();
    bitmap->fill(pf::Color::rgb(0, 0.8, 0));
    ASSERT_FALSE(bitmap->writePng(picture));

    EXPECT_EQ(runZZSdkView(server, caPath, " --portrait " + picture + " --headless"), 0);
    auto uploads = server.received("/user/set_user_face");
    ASSERT_EQ(uploads.size(), 1u);
    bool png = false;
    for (const auto& part : uploads[0].parts)
        png = png || (part.name == "picture" && part.filename == "portrait" && part.content.rfind("\x89PNG", 0) == 0);
    EXPECT_TRUE(png) << "the square as a PNG part under the program's file name";

    EXPECT_EQ(runZZSdkView(server, caPath, " --portrait " + picture + " --shot " + shot), 0);
    auto image = pf::Image::contentsOfFile(shot);
    ASSERT_TRUE(image.ok());
    const pf::Bitmap& frame = *image.value()->bitmap();
    const double band = (568 - 320) / 2.0;
    EXPECT_TRUE(pixelIs(frame, { 160, band + 60 }, pf::Color::rgb(0, 0.8, 0))) << "the picture in the frame";
    EXPECT_TRUE(pixelIs(frame, { 160, band - 40 }, pf::Color::rgb(0, 0.32, 0))) << "shaded above it";
    EXPECT_TRUE(pixelIs(frame, { 160, band + 0.25 }, pf::Color::whiteColor())) << "the frame's line";
    EXPECT_TRUE(pixelIs(frame, { 0.25, band + 60 }, pf::Color::whiteColor())) << "the frame's left side";
    EXPECT_EQ(server.received("/user/set_user_face").size(), 1u) << "a shot uploads nothing";

    EXPECT_EQ(runZZSdkView(server, caPath, " --portrait " + tag + "-missing.png --headless"), 1);
    EXPECT_EQ(runZZSdkView(server, caPath, " --portrait"), 2) << "a picture option without a picture";
    for (const auto& path : { caPath, picture, shot })
        std::remove(path.c_str());
}
