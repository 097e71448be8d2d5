#include "AppServerProcess.h"

#include "StandInProviders.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

AppServerProcess::AppServerProcess(std::vector<std::string> extraArguments)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return;
    std::vector<std::string> arguments = {ZMR_APPSERVER_PATH, "--port", "0"};
    arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
    auto providers = standInProviders().arguments();
    arguments.insert(arguments.end(), providers.begin(), providers.end());
    std::vector<char*> argv;
    for (auto& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    m_pid = fork();
    if (m_pid == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    if (m_pid < 0) {
        close(pipeFds[0]);
        return;
    }
    // The first line names the address: "appserver listening on <url>".
    std::string line;
    pollfd fd{pipeFds[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && poll(&fd, 1, 5000) > 0) {
        char buffer[256];
        ssize_t n = read(pipeFds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        line.append(buffer, static_cast<std::size_t>(n));
    }
    close(pipeFds[0]);
    auto at = line.find("http://");
    auto end = line.find('\n');
    if (at != std::string::npos && end != std::string::npos)
        m_url = line.substr(at, end - at);
}

AppServerProcess::~AppServerProcess()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGCONT);
    ::kill(m_pid, SIGTERM);
    int status = 0;
    while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
}

void AppServerProcess::freeze()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGSTOP);
    // The signal lands asynchronously: wait until the server has really
    // stopped, or a request sent right after could still be answered.
    int status = 0;
    while (waitpid(m_pid, &status, WUNTRACED) < 0 && errno == EINTR) {
    }
}

void AppServerProcess::kill()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGKILL);
    int status = 0;
    while (waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
}
