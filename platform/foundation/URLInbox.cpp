#include "platform/foundation/URLInbox.h"

#include "platform/foundation/Log.h"
#include "platform/foundation/ProgramStart.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Text.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace pf {

namespace {

using Json = nlohmann::json;

using Clock = std::chrono::steady_clock;

// A sender waits this long for the answer in all; the receiver gives each
// connection less, so an answer it writes still finds its sender waiting.
constexpr auto kSenderWait = std::chrono::seconds(3);
constexpr auto kConnectionDeadline = std::chrono::seconds(2);
// Connections read side by side; when all are taken the oldest is dropped,
// so a newcomer never waits on slow or silent ones.
constexpr std::size_t kMaxConnections = 16;
constexpr std::string_view kAnswer = "ok\n";
// Closed connections are logged at most once in this time.
constexpr auto kDropReportInterval = std::chrono::seconds(1);

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(FileDescriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept
    {
        if (this != &other) {
            reset();
            m_fd = std::exchange(other.m_fd, -1);
        }
        return *this;
    }
    int get() const { return m_fd; }
    explicit operator bool() const { return m_fd >= 0; }
    void reset()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

std::string socketName(const std::string& bundleIdentifier) { return bundleIdentifier + ".socket"; }

// A socket address for `name` in `dir`. Paths longer than a socket address
// holds go through the folder's descriptor, which `dirHolder` keeps open.
std::optional<std::pair<sockaddr_un, socklen_t>> addressFor(const std::string& dir, const std::string& name,
                                                            FileDescriptor& dirHolder)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string path = dir + "/" + name;
    if (path.size() >= sizeof address.sun_path) {
        dirHolder = FileDescriptor(::open(dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        if (!dirHolder)
            return std::nullopt;
        path = "/proc/self/fd/" + std::to_string(dirHolder.get()) + "/" + name;
        if (path.size() >= sizeof address.sun_path)
            return std::nullopt;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return std::pair{address, static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1)};
}

void setTimeouts(int fd)
{
    timeval timeout{std::chrono::duration_cast<std::chrono::seconds>(kSenderWait).count(), 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
}

int millisecondsUntil(Clock::time_point deadline)
{
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left + 1, 0, 60'000));
}

bool peerIsOurUser(int fd)
{
    ucred credentials{};
    socklen_t length = sizeof credentials;
    return getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 && credentials.uid == geteuid();
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t n = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Reads until the peer stops writing, a line ends or `limit` bytes came;
// nothing when more than `limit` would come or `deadline` passes first.
std::optional<std::string> readLine(int fd, std::size_t limit, Clock::time_point deadline)
{
    std::string text;
    char buffer[16384];
    for (;;) {
        pollfd one{fd, POLLIN, 0};
        int ready = poll(&one, 1, millisecondsUntil(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return std::nullopt;
        ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            return text;
        if (text.size() + static_cast<std::size_t>(n) > limit)
            return std::nullopt;
        text.append(buffer, static_cast<std::size_t>(n));
        if (text.back() == '\n')
            return text;
    }
}

// One connection being read by the inbox.
struct Connection {
    FileDescriptor fd;
    Clock::time_point deadline;
    std::string text;
};

enum class ReadState { More, Done, Refused };

// Takes what `connection` has now without waiting: Done once a line ended or
// the peer stopped writing, Refused when it sent too much or failed.
ReadState readAvailable(Connection& connection, std::size_t limit)
{
    char buffer[16384];
    for (;;) {
        ssize_t n = ::recv(connection.fd.get(), buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK ? ReadState::More : ReadState::Refused;
        if (n == 0)
            return ReadState::Done;
        if (connection.text.size() + static_cast<std::size_t>(n) > limit)
            return ReadState::Refused;
        connection.text.append(buffer, static_cast<std::size_t>(n));
        if (connection.text.back() == '\n')
            return ReadState::Done;
    }
}

}

struct URLInbox::Impl {
    InstalledApp app;
    Receiver receiver;
    std::string path;
    ino_t socketInode = 0;
    FileDescriptor listener;
    FileDescriptor wakeRead, wakeWrite;
    std::thread thread;

    std::vector<Connection> connections;

    // A flood of connections must not flood the log, nor may a log nobody
    // reads stop the inbox: closed connections are counted and written at
    // most once a kDropReportInterval, each line with the number closed
    // since the last, and never waiting for the log.
    int unreportedDrops = 0;
    std::string latestDrop;
    Clock::time_point lastDropLine = Clock::time_point::min();

    void dropped(std::string why)
    {
        ++unreportedDrops;
        latestDrop = std::move(why);
        reportDrops();
    }

    void reportDrops()
    {
        auto now = Clock::now();
        if (unreportedDrops == 0 || now < nextDropLine())
            return;
        bool written = unreportedDrops == 1
            ? logWithoutWaiting("URL inbox: %s", latestDrop.c_str())
            : logWithoutWaiting("URL inbox: closed %d connections since the last line; the latest: %s",
                                unreportedDrops, latestDrop.c_str());
        lastDropLine = now;
        if (written)
            unreportedDrops = 0;
    }

    Clock::time_point nextDropLine() const
    {
        return lastDropLine == Clock::time_point::min() ? lastDropLine : lastDropLine + kDropReportInterval;
    }

    // Every connection is read side by side under its own deadline, so a
    // slow or silent peer holds nobody else up.
    void serve()
    {
        for (;;) {
            std::vector<pollfd> fds{{listener.get(), POLLIN, 0}, {wakeRead.get(), POLLIN, 0}};
            auto soonest = unreportedDrops ? nextDropLine() : Clock::time_point::max();
            for (const auto& connection : connections) {
                fds.push_back({connection.fd.get(), POLLIN, 0});
                soonest = std::min(soonest, connection.deadline);
            }
            int timeout = soonest == Clock::time_point::max() ? -1 : millisecondsUntil(soonest);
            if (poll(fds.data(), fds.size(), timeout) < 0) {
                if (errno == EINTR)
                    continue;
                log("URL inbox: %s", std::strerror(errno));
                return;
            }
            if (fds[1].revents)
                return;
            // Newest last, so the oldest is the first to give way.
            std::vector<Connection> still;
            auto now = Clock::now();
            for (std::size_t i = 0; i < connections.size(); ++i) {
                Connection& connection = connections[i];
                ReadState state = fds[i + 2].revents ? readAvailable(connection, kMaxMessageSize) : ReadState::More;
                if (state == ReadState::Done)
                    answer(connection);
                else if (state == ReadState::Refused)
                    dropped("a message was too large, or its connection failed");
                else if (now >= connection.deadline)
                    dropped("a sender stalled; its connection was closed");
                else
                    still.push_back(std::move(connection));
            }
            connections = std::move(still);
            if (fds[0].revents)
                acceptOne();
            reportDrops();
        }
    }

    void acceptOne()
    {
        FileDescriptor peer(accept4(listener.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (!peer) {
            // Out of descriptors: the connection stays queued, so wait a
            // little instead of spinning on it.
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
                poll(nullptr, 0, 100);
            return;
        }
        if (!peerIsOurUser(peer.get())) {
            dropped("a peer of another user was turned away");
            return;
        }
        if (connections.size() >= kMaxConnections) {
            dropped("too many senders at once; the oldest was closed");
            connections.erase(connections.begin());
        }
        connections.push_back({std::move(peer), Clock::now() + kConnectionDeadline, {}});
    }

    // The URL is acted on only once its sender was told "ok": a sender that
    // hears nothing reports a failure, and its URL must not arrive anyway.
    void answer(Connection& connection)
    {
        auto incoming = parseMessage(connection.text, app);
        if (!incoming) {
            dropped("dropped a message that is not a URL for " + app.bundleIdentifier);
            return;
        }
        ssize_t sent = ::send(connection.fd.get(), kAnswer.data(), kAnswer.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent != static_cast<ssize_t>(kAnswer.size())) {
            dropped("the sender left before its answer; the URL was dropped");
            return;
        }
        RunLoop::main().post([receiver = receiver, incoming = std::move(*incoming)] { receiver(incoming); });
    }
};

URLInbox::URLInbox(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

URLInbox::~URLInbox()
{
    char wake = 1;
    while (::write(m_impl->wakeWrite.get(), &wake, 1) < 0 && errno == EINTR) {
    }
    if (m_impl->thread.joinable())
        m_impl->thread.join();
    // Only our own socket: a later instance may have replaced it.
    struct stat st;
    if (lstat(m_impl->path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_ino == m_impl->socketInode)
        ::unlink(m_impl->path.c_str());
}

ErrorOr<std::unique_ptr<URLInbox>> URLInbox::open(const InstalledApp& app, Receiver receiver)
{
    auto fail = [](const std::string& what) { return Error{"pf::URLInbox", 1, what}; };
    if (!AppRegistry::isValidBundleIdentifier(app.bundleIdentifier))
        return fail("not a bundle identifier: \"" + app.bundleIdentifier + "\"");
    auto dir = AppRegistry::directory();
    if (!dir)
        return dir.error();
    auto impl = std::make_unique<Impl>();
    impl->app = app;
    impl->receiver = std::move(receiver);
    impl->path = *dir + "/" + socketName(app.bundleIdentifier);
    FileDescriptor dirHolder;
    auto address = addressFor(*dir, socketName(app.bundleIdentifier), dirHolder);
    if (!address)
        return fail("no socket address for " + impl->path);

    struct stat st;
    if (lstat(impl->path.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode))
            return fail(impl->path + " is in the way");
        FileDescriptor probe(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (probe && connect(probe.get(), reinterpret_cast<const sockaddr*>(&address->first), address->second) == 0)
            return fail("another process already listens for " + app.bundleIdentifier);
        ::unlink(impl->path.c_str()); // stale: its process ended without removing it
    }
    impl->listener = FileDescriptor(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!impl->listener)
        return fail(std::string("socket: ") + std::strerror(errno));
    // The private folder keeps other users out even before the chmod.
    if (bind(impl->listener.get(), reinterpret_cast<const sockaddr*>(&address->first), address->second) != 0)
        return fail("bind " + impl->path + ": " + std::strerror(errno));
    if (lstat(impl->path.c_str(), &st) != 0 || chmod(impl->path.c_str(), 0600) != 0)
        return fail("socket " + impl->path + " vanished");
    impl->socketInode = st.st_ino;
    if (listen(impl->listener.get(), 16) != 0)
        return fail(std::string("listen: ") + std::strerror(errno));
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return fail(std::string("pipe: ") + std::strerror(errno));
    impl->wakeRead = FileDescriptor(pipeFds[0]);
    impl->wakeWrite = FileDescriptor(pipeFds[1]);
    Impl* raw = impl.get();
    impl->thread = std::thread([raw] { raw->serve(); });
    return std::unique_ptr<URLInbox>(new URLInbox(std::move(impl)));
}

std::optional<IncomingURL> URLInbox::parseMessage(std::string_view message, const InstalledApp& app)
{
    if (message.size() > kMaxMessageSize || message.empty() || message.back() != '\n'
        || message.find('\n') != message.size() - 1 || !isValidUtf8(message))
        return std::nullopt;
    int members = 0;
    bool flat = true;
    Json json = Json::parse(
        message.substr(0, message.size() - 1),
        [&](int depth, Json::parse_event_t event, Json&) {
            if (event == Json::parse_event_t::key && depth == 1)
                ++members;
            if ((event == Json::parse_event_t::object_start || event == Json::parse_event_t::array_start) && depth > 0)
                flat = false;
            return true;
        },
        false);
    if (!flat || members != 2 || !json.is_object() || json.size() != 2 || !json.contains("url")
        || !json.contains("source") || !json["url"].is_string() || !json["source"].is_string())
        return std::nullopt;
    const auto& text = json["url"].get_ref<const std::string&>();
    const auto& source = json["source"].get_ref<const std::string&>();
    if (text.size() > kMaxURLLength || (!source.empty() && !AppRegistry::isValidBundleIdentifier(source)))
        return std::nullopt;
    // Only a URL that reads back as the very same text: the parser is
    // lenient with some malformed authorities and would hand on another URL.
    auto url = URL::create(text);
    if (!url || url->absoluteString() != text || url->scheme().empty() || !app.answersScheme(url->scheme()))
        return std::nullopt;
    return IncomingURL{*url, source};
}

bool URLInbox::takeMessage(std::string_view message, const InstalledApp& app, const Receiver& receiver)
{
    auto incoming = parseMessage(message, app);
    if (!incoming) {
        log("URL inbox: dropped a message that is not a URL for %s", app.bundleIdentifier.c_str());
        return false;
    }
    RunLoop::main().post([receiver, incoming = std::move(*incoming)] { receiver(incoming); });
    return true;
}

std::optional<std::string> URLInbox::message(const URL& url, const std::string& sourceApplication)
{
    std::string text = url.absoluteString();
    if (text.size() > kMaxURLLength)
        return std::nullopt;
    Json json = {{"url", text}, {"source", sourceApplication}};
    return json.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}

URLInbox::Delivery URLInbox::send(const std::string& bundleIdentifier, const std::string& message)
{
    if (!AppRegistry::isValidBundleIdentifier(bundleIdentifier))
        return Delivery::Failed;
    auto dir = AppRegistry::directory();
    if (!dir)
        return Delivery::Failed;
    FileDescriptor dirHolder;
    auto address = addressFor(*dir, socketName(bundleIdentifier), dirHolder);
    FileDescriptor peer(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!address || !peer)
        return Delivery::Failed;
    auto started = Clock::now();
    setTimeouts(peer.get());
    if (connect(peer.get(), reinterpret_cast<const sockaddr*>(&address->first), address->second) != 0) {
        int error = errno;
        if (error == ENOENT || error == ECONNREFUSED)
            return Delivery::NotRunning;
        log("URL delivery to %s: %s", bundleIdentifier.c_str(), std::strerror(error));
        return Delivery::Failed;
    }
    if (!peerIsOurUser(peer.get()) || !writeAll(peer.get(), message))
        return Delivery::Failed;
    shutdown(peer.get(), SHUT_WR);
    auto answer = readLine(peer.get(), kAnswer.size(), started + kSenderWait);
    return answer == kAnswer ? Delivery::Delivered : Delivery::Failed;
}

bool URLInbox::start(const InstalledApp& app, const URL& url, const std::string& sourceApplication)
{
    std::vector<std::string> arguments = app.command;
    if (arguments.empty())
        return false;
    arguments.insert(arguments.end(), {"--open-url", url.absoluteString(), "--source-application", sourceApplication});
    return startDetachedProgram(arguments, ProgramLookup::AbsolutePath);
}

}
