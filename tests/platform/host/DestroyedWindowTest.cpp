// The desktop host in a real window on a virtual display (Xvfb), its window
// destroyed by another X11 client as a window tool does it.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// Last: its macros (None, Bool) would rename the test library's own names.
#include <X11/Xlib.h>

namespace {

// A pipe from a command run through the shell, closed when dropped.
struct Command {
    explicit Command(const std::string& command)
        : pipe(popen(command.c_str(), "r"))
    {
    }
    ~Command()
    {
        if (pipe)
            pclose(pipe);
    }
    // The next line with its end; nothing at the end of the output.
    std::optional<std::string> line()
    {
        char buffer[4096];
        if (!pipe || !std::fgets(buffer, sizeof buffer, pipe))
            return std::nullopt;
        return buffer;
    }
    std::string rest()
    {
        std::string text;
        while (auto next = line())
            text += *next;
        return text;
    }
    // The exit status, once the output has been read.
    int status()
    {
        int status = pclose(pipe);
        pipe = nullptr;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    FILE* pipe;
};

// The top-level window titled `title`, once it shows.
::Window viewableWindow(Display* display, const std::string& title)
{
    ::Window root = 0, parent = 0, *children = nullptr, found = 0;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        XWindowAttributes attributes;
        if (XFetchName(display, children[i], &name) && name && title == name
            && XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable)
            found = children[i];
        if (name)
            XFree(name);
    }
    if (children)
        XFree(children);
    return found;
}

}

TEST(DesktopWindowDestroyed, ByAnotherClientTheHostEndsAsAClosedWindowDoes)
{
    // The server picks a display number no other server holds and prints
    // it once it takes clients.
    Command server("exec 2>/dev/null; echo $$; exec Xvfb -displayfd 1 -nolisten tcp -screen 0 1024x768x24");
    auto serverPid = server.line();
    auto number = server.line();
    struct Stop {
        std::optional<std::string>& pid;
        ~Stop()
        {
            if (pid)
                kill(std::stoi(*pid), SIGTERM);
        }
    } stop{serverPid};
    ASSERT_TRUE(number) << "no virtual display: Xvfb (scripts/deps.sh installs it) did not start";
    const std::string display = ":" + number->substr(0, number->size() - 1);
    const std::string title = "pf-host-destroyed-" + std::to_string(getpid());

    // Other tests of this program ask SDL for its dummy driver. The OpenGL
    // driver SDL loads for the window, and unloads as its video ends, leaves
    // blocks that no longer name their library: the leak check is off.
    Command host("timeout -k 5 60 env -u SDL_VIDEODRIVER -u WAYLAND_DISPLAY ASAN_OPTIONS=detect_leaks=0 DISPLAY="
                 + display + " " + REPAINTING_WINDOW_PATH + " " + title + " 2>&1");
    std::string said;
    auto running = host.line();
    for (; running && *running != "running\n"; running = host.line())
        said += *running;
    ASSERT_TRUE(running) << said;
    Display* client = XOpenDisplay(display.c_str());
    ASSERT_TRUE(client) << display;
    ::Window window = 0;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!(window = viewableWindow(client, title)) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (window)
        XDestroyWindow(client, window);
    XCloseDisplay(client);
    ASSERT_NE(window, 0u) << "the window did not show";

    said += host.rest();
    EXPECT_EQ(host.status(), 0) << said;
    EXPECT_EQ(said.find("X Error"), std::string::npos) << said;
    EXPECT_NE(said.find("closed"), std::string::npos) << "the host's run ends as after a close: " << said;
}
