#pragma once

// URLs handed from one application of the device to another. A running
// application listens on a local socket beside its registry entry
// ("<bundle id>.socket", mode 0600, in the private registry folder); a
// sender writes one JSON line, {"url": …, "source": …}, and the receiver
// answers "ok" once it has taken the URL; the URL is acted on only after
// that answer was written, so a sender told nothing never sees it arrive.
// Connections are read side by side, each within 2 s (less than the
// sender's 3 s wait), so a slow or silent one holds up no other; when more
// than a handful wait at once the oldest is closed. An application that does not run
// is started with its registry command and "--open-url URL
// --source-application ID" appended.
//
// Nothing from another process is trusted: a peer must run as our user, a
// message is read up to kMaxMessageSize within a few seconds and must be
// exactly one line holding an object of exactly those two strings, the URL
// must parse, be at most kMaxURLLength long and have a scheme the receiver
// answers, and the source must be a bundle identifier (or empty). Anything
// else is dropped with no answer; drops are logged at most once a second
// (with their number), and the inbox never waits for its log.

#include "platform/foundation/AppRegistry.h"
#include "platform/foundation/URL.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace pf {

struct IncomingURL {
    URL url;
    std::string sourceApplication;
};

class URLInbox {
public:
    static constexpr std::size_t kMaxURLLength = 1u << 20;
    static constexpr std::size_t kMaxMessageSize = kMaxURLLength + 1024;

    // Called on the main queue, never inside the call that read the message.
    using Receiver = std::function<void(const IncomingURL&)>;

    // Listens for `app`; a stale socket left by a process that ended is
    // replaced. An error when another live process listens for it, or the
    // registry is refused.
    static ErrorOr<std::unique_ptr<URLInbox>> open(const InstalledApp& app, Receiver receiver);
    // Stops listening and removes the socket. Main thread.
    ~URLInbox();

    // One message as the socket hands it over: checked, then posted to
    // `receiver` on the main queue. Answers whether it was taken. Any thread.
    static bool takeMessage(std::string_view message, const InstalledApp& app, const Receiver& receiver);
    static std::optional<IncomingURL> parseMessage(std::string_view message, const InstalledApp& app);
    // The line a sender writes; nothing for a URL over kMaxURLLength.
    static std::optional<std::string> message(const URL& url, const std::string& sourceApplication);

    enum class Delivery { Delivered, NotRunning, Failed };
    // Writes `message` to the running app `bundleIdentifier` and waits (3 s
    // at most in all) for its answer. Any thread.
    static Delivery send(const std::string& bundleIdentifier, const std::string& message);
    // Starts `app` with the URL, from an argument list (never a shell),
    // and reaps it on a thread of its own. Any thread.
    static bool start(const InstalledApp& app, const URL& url, const std::string& sourceApplication);

    URLInbox(const URLInbox&) = delete;
    URLInbox& operator=(const URLInbox&) = delete;

private:
    struct Impl;
    explicit URLInbox(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

}
