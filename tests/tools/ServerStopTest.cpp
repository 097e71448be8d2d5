// The local servers as programs: once they say they listen, a SIGTERM at
// once ends them, however early it comes.

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <string>
#include <vector>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Starts `program` on a free port, waits for its first line on standard
// output, sends SIGTERM at once and waits up to `limit` for it to end; false
// when it did not (it is then killed).
bool stopsWithin(const char* program, std::chrono::milliseconds limit)
{
    int out[2];
    if (pipe(out) != 0)
        return false;
    std::string port = "--port", anyPort = "0";
    std::vector<char*> argv{const_cast<char*>(program), port.data(), anyPort.data(), nullptr};
    pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execv(program, argv.data());
        _exit(127);
    }
    close(out[1]);
    if (pid < 0) {
        close(out[0]);
        return false;
    }
    std::string said;
    pollfd fd{out[0], POLLIN, 0};
    while (said.find('\n') == std::string::npos && poll(&fd, 1, 30000) > 0) {
        char buffer[256];
        ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        said.append(buffer, static_cast<std::size_t>(n));
    }
    close(out[0]);
    EXPECT_NE(said.find("listening on http://127.0.0.1:"), std::string::npos) << program << ": " << said;
    auto sent = Clock::now();
    kill(pid, SIGTERM);
    int status = 0;
    pid_t ended = 0;
    while ((ended = waitpid(pid, &status, WNOHANG)) == 0 && Clock::now() - sent < limit)
        usleep(1000);
    if (ended == pid) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << program << " ended with status " << status;
        return true;
    }
    kill(pid, SIGKILL);
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return false;
}

}

TEST(ServerStop, AStopRightAfterTheBannerEndsTheServer)
{
    // A lost stop serves for good; a sanitized exit on a loaded machine
    // takes a fraction of a second, so the limit is far from both.
    for (const char* program : {APPSERVER_PATH, ANALYTICSSERVER_PATH}) {
        for (int run = 0; run < 20; ++run)
            ASSERT_TRUE(stopsWithin(program, std::chrono::seconds(10))) << program << " ran on after a stop (run " << run + 1 << ")";
    }
}
