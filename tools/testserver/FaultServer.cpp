#include "tools/testserver/FaultServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace zmr {

namespace {

constexpr std::size_t maxHead = 64 * 1024;
constexpr std::size_t maxBody = 64 * 1024 * 1024;

bool sendAll(int socket, const std::string& bytes)
{
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        ssize_t n = ::send(socket, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

// Closing with a zero linger time sends a reset instead of the orderly end.
void resetAndClose(int socket)
{
    linger option{1, 0};
    ::setsockopt(socket, SOL_SOCKET, SO_LINGER, &option, sizeof option);
    ::close(socket);
}

std::string lowercased(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The request's path without its query and its "Content-Length"; false when
// the head is not one we can read.
bool parseHead(const std::string& head, std::string& path, std::size_t& length)
{
    auto lineEnd = head.find("\r\n");
    std::string first = head.substr(0, lineEnd);
    auto space = first.find(' ');
    auto secondSpace = space == std::string::npos ? std::string::npos : first.find(' ', space + 1);
    if (secondSpace == std::string::npos)
        return false;
    path = first.substr(space + 1, secondSpace - space - 1);
    path = path.substr(0, path.find('?'));
    length = 0;
    std::string lower = lowercased(head);
    auto field = lower.find("\r\ncontent-length:");
    if (field != std::string::npos) {
        char* end = nullptr;
        unsigned long long value = std::strtoull(lower.c_str() + field + 17, &end, 10);
        if (value > maxBody)
            return false;
        length = static_cast<std::size_t>(value);
    }
    return true;
}

std::string answerHead(int status, const std::string& body)
{
    const char* type = body.starts_with('<') ? "text/html; charset=utf-8" : "application/json";
    return "HTTP/1.1 " + std::to_string(status) + " Scripted\r\nContent-Type: " + type + "\r\nContent-Length: "
           + std::to_string(body.size()) + "\r\n\r\n";
}

}

FaultServer::FaultServer(Fault fault) : m_fault(fault)
{
    if (::pipe2(m_wake, O_CLOEXEC) != 0)
        return;
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listener < 0)
        return;
    // A small receive buffer (inherited by every connection) makes a large
    // request body wait in the client, so that a reset reaches it while it
    // is still writing.
    int small = 4096;
    ::setsockopt(m_listener, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t size = sizeof address;
    if (::bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(m_listener, 64) != 0
        || ::getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        return;
    m_port = ntohs(address.sin_port);
    m_acceptThread = std::thread([this] { acceptLoop(); });
}

FaultServer::~FaultServer()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_released.notify_all();
    if (m_wake[1] >= 0) {
        char byte = 1;
        [[maybe_unused]] auto written = ::write(m_wake[1], &byte, 1);
    }
    if (m_acceptThread.joinable())
        m_acceptThread.join();
    std::vector<std::thread> connections;
    {
        std::lock_guard lock(m_mutex);
        connections.swap(m_connections);
    }
    for (auto& connection : connections)
        connection.join();
    if (m_listener >= 0)
        ::close(m_listener);
    for (int fd : m_wake) {
        if (fd >= 0)
            ::close(fd);
    }
}

std::string FaultServer::url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

void FaultServer::setFault(Fault fault)
{
    std::lock_guard lock(m_mutex);
    m_fault = fault;
}

void FaultServer::setTarget(std::string bodyPart)
{
    std::lock_guard lock(m_mutex);
    m_target = std::move(bodyPart);
}

void FaultServer::setAnswerer(Answerer answerer)
{
    std::lock_guard lock(m_mutex);
    m_answerer = std::move(answerer);
}

void FaultServer::setReply(int status, std::string body)
{
    std::lock_guard lock(m_mutex);
    m_reply = Reply{status, std::move(body)};
}

void FaultServer::release()
{
    {
        std::lock_guard lock(m_mutex);
        ++m_releases;
    }
    m_released.notify_all();
}

std::size_t FaultServer::count(const std::string& path, const std::string& bodyPart) const
{
    std::lock_guard lock(m_mutex);
    std::size_t count = 0;
    for (const auto& [requestPath, body] : m_requests)
        count += requestPath == path && body.find(bodyPart) != std::string::npos;
    return count;
}

bool FaultServer::waitReadable(int socket)
{
    for (;;) {
        pollfd fds[2] = {{socket, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        int ready = ::poll(fds, 2, -1);
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0 || m_stopping.load() || (fds[1].revents & POLLIN))
            return false;
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR))
            return true;
    }
}

void FaultServer::acceptLoop()
{
    while (waitReadable(m_listener)) {
        int socket = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket < 0)
            continue;
        std::lock_guard lock(m_mutex);
        m_connections.emplace_back([this, socket] { serve(socket); });
    }
}

void FaultServer::serve(int socket)
{
    std::string buffer;
    std::size_t served = 0; // requests of this connection
    for (;;) {
        if (!waitReadable(socket))
            break;
        Fault fault;
        bool targeted;
        {
            std::lock_guard lock(m_mutex);
            fault = m_fault;
            targeted = m_target.empty() && !m_answerer;
        }
        // Before a request is read, only a fault for every request applies.
        if (fault == Fault::ResetUnread && targeted && buffer.empty()) {
            resetAndClose(socket);
            return;
        }
        // The head, then the body it declares.
        std::size_t headEnd;
        bool closed = false;
        char chunk[16384];
        // The socket is readable here, and again before every later read.
        while ((headEnd = buffer.find("\r\n\r\n")) == std::string::npos && buffer.size() <= maxHead) {
            ssize_t n = ::recv(socket, chunk, sizeof chunk, 0);
            if (n <= 0) {
                closed = true;
                break;
            }
            buffer.append(chunk, static_cast<std::size_t>(n));
            if (buffer.find("\r\n\r\n") == std::string::npos && !waitReadable(socket)) {
                closed = true;
                break;
            }
        }
        std::string path;
        std::size_t length = 0;
        if (closed || headEnd == std::string::npos || !parseHead(buffer.substr(0, headEnd), path, length))
            break;
        std::size_t total = headEnd + 4 + length;
        while (buffer.size() < total) {
            if (!waitReadable(socket)) {
                closed = true;
                break;
            }
            ssize_t n = ::recv(socket, chunk, std::min(sizeof chunk, total - buffer.size()), 0);
            if (n <= 0) {
                closed = true;
                break;
            }
            buffer.append(chunk, static_cast<std::size_t>(n));
        }
        if (closed)
            break;
        std::string body = buffer.substr(headEnd + 4, length);
        buffer.erase(0, total);
        ++served;
        Reply reply;
        Answerer answerer;
        // A release once the request is counted sends its answer, though the
        // server may still be at work on it.
        unsigned releases = 0;
        {
            std::lock_guard lock(m_mutex);
            m_requests.emplace_back(path, body);
            releases = m_releases;
            reply = m_reply;
            answerer = m_answerer;
            // In front of a real server, no target breaks nothing.
            targeted = m_target.empty() ? !m_answerer : body.find(m_target) != std::string::npos;
        }
        std::string answer;
        if (answerer) {
            answer = answerer(body);
            if (!targeted)
                reply = Reply{200, answer};
        }
        if (!targeted)
            fault = Fault::None;
        if (fault == Fault::Held) {
            // The server acted; its answer waits.
            std::unique_lock lock(m_mutex);
            m_released.wait(lock, [&] { return m_releases != releases || m_stopping.load(); });
            if (m_stopping.load())
                break;
            if (answerer)
                reply = Reply{200, answer};
            fault = Fault::None;
        }
        switch (fault) {
        case Fault::None:
        case Fault::Held: // released above
        case Fault::ResetUnread: // a request already under way is answered
            if (!sendAll(socket, answerHead(reply.status, reply.body) + reply.body))
                goto done;
            continue;
        case Fault::DropReused:
            if (served > 1)
                goto done;
            if (!sendAll(socket, answerHead(reply.status, reply.body) + reply.body))
                goto done;
            continue;
        case Fault::CloseAfterRequest:
            goto done;
        case Fault::ResetAfterRequest:
            resetAndClose(socket);
            return;
        case Fault::Oversized: {
            std::string huge = R"({"error-code":0,"pad":")" + std::string(17 * 1024 * 1024, 'a') + R"("})";
            sendAll(socket, answerHead(200, huge) + huge);
            goto done;
        }
        case Fault::CutAnswer:
            sendAll(socket, answerHead(reply.status, reply.body) + reply.body.substr(0, reply.body.size() / 2));
            goto done;
        case Fault::Silent:
            // Until the client gives up or the server stops.
            while (waitReadable(socket) && ::recv(socket, chunk, sizeof chunk, 0) > 0) {
            }
            goto done;
        }
    }
done:
    ::close(socket);
}

}
