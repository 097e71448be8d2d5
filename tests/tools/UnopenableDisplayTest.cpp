// Programs that show a window, started on a display that does not answer:
// each says so and ends with a failure instead of running on unseen.

#include "tests/platform/host/AbsentDisplay.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

struct Ended {
    int status = -1; // 124 when the time limit stopped it
    std::string said;
};

// Runs `command` through the shell under a time limit, its error output
// with its standard output.
Ended run(const std::string& command)
{
    Ended ended;
    FILE* pipe = popen(("timeout -k 5 30 " + command + " 2>&1").c_str(), "r");
    if (!pipe)
        return ended;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        ended.said.append(buffer, n);
    int status = pclose(pipe);
    ended.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return ended;
}

}

TEST(UnopenableDisplay, AWindowedProgramSaysWhichDisplayAndEndsWithAFailure)
{
    char pattern[] = "/tmp/zmr-display-XXXXXX";
    const std::string root = mkdtemp(pattern), display = pf::test::absentDisplay();
    // A display named, SDL choosing its driver itself; OpenSSL keeps the
    // state of its one-time start, which only a full unwind tells apart
    // from a leak of ours.
    const std::string environment = "env -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER DISPLAY=" + display + " ZMR_HOME=" + root
        + "/home ZMR_DEVICE_DIR=" + root + "/device LSAN_OPTIONS=suppressions=" + ZMR_TEST_SOURCE_DIR
        + "/tests/platform/lsan.supp:fast_unwind_on_malloc=0:malloc_context_size=12 ";
    struct Row {
        const char* program;
        std::string arguments;
    } rows[] = {
        {ZOMARU_PATH, std::string(" --resources ") + ZZ_RESOURCES_DIR},
        {INTERFACEVIEW_PATH, std::string(" ") + ZMR_TEST_SOURCE_DIR + "/tests/resources/interface/StyledForm.xml"},
        // Its sign-in starts before the window: toward a closed loopback port.
        {ZZSDKVIEW_PATH, std::string(" --resources ") + ZZ_RESOURCES_DIR
                             + " --zz-server http://127.0.0.1:9 --zz-server-https https://127.0.0.1:9"},
    };
    for (const auto& row : rows) {
        std::string name = std::filesystem::path(row.program).filename().string();
        Ended ended = run(environment + row.program + row.arguments);
        EXPECT_EQ(ended.status, 1) << name << ": " << ended.said;
        EXPECT_NE(ended.said.find(name + ": no desktop window: cannot open the display " + display), std::string::npos)
            << name << ": " << ended.said;
    }
    std::filesystem::remove_all(root);
}
