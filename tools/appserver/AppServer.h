#pragma once

// The local application server: answers the application's form POSTs on
// "/api" with JSON, as the production server does. It serves registration,
// the sign-in tasks (password, stored sign-in check, Voxly and ZZ tokens),
// binding, logout, every task of the application's services, the lists and
// records of the world (AppServerWorld.h), and keeps its state in an
// AppStore. It listens on 127.0.0.1 only, on its own threads. Pictures are
// served under "/images/" and answered as URLs on the origin (the Host) the
// request reached, so a stored world works on any port.
//
// Every answer carries "error-code" (0 for success), "error" when it is not
// 0, and "timestamp"; a first request from a device gets its "device-did";
// a signed-in request with "zmr-latitude" and "zmr-longitude" (not both 0)
// moves its user there;
// sign-in answers carry "auth", "auth-token", "user" and "auth-bind".
//
// A Voxly or ZZ token signs in or binds the person the provider says it
// belongs to (AppProviders.h), whatever road it came by. A token the
// provider refuses, or no answer from it, is error 15362; a binding of a
// person another account holds is 15367, "该Voxly账号已绑定其他账户" or
// "该ZZ账号已绑定其他账户"; with no address for the provider, 15368.
// Neither changes anything.
//
// Crash reports posted to "/crash" are kept in memory (and printed to
// standard error as one line each) for tests to read, as are the push
// device tokens the application's requests carry.

#include "tools/appserver/AppJson.h"
#include "tools/appserver/AppProviders.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace httplib {
class Server;
}

namespace zmr {

class AppStore;

class AppServer {
public:
    // Without a provider's address, its sign-ins and bindings are refused.
    explicit AppServer(std::shared_ptr<AppStore> store, AppProviderSettings providers = {});
    ~AppServer();

    // Binds 127.0.0.1:port (0 picks a free port) and serves on a thread of
    // its own; false when the port cannot be bound. Returns once it serves,
    // so a stop() at any moment after ends it.
    bool start(int port);
    void stop();
    int port() const { return m_port; }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(m_port) + "/api"; }

    // The JSON answer to one form body; public so that tests can look at the
    // protocol without a socket. Picture URLs go to `origin` ("http://host:port";
    // empty for this server's loopback address).
    std::string answer(const std::string& formBody, std::string origin = {});

    // Any thread: while held, answers on "/api" wait (their requests are
    // read, and counted) until release() or stop(), so that a test sees
    // what the application shows while a request is on its way.
    void hold();
    void release();
    std::size_t heldRequests() const;

    // Any thread: the form items of each crash report, oldest first.
    std::vector<Form> crashReports() const;
    // Any thread: every distinct "device-token" seen on "/api", in order.
    std::vector<std::string> deviceTokens() const;

    AppServer(const AppServer&) = delete;
    AppServer& operator=(const AppServer&) = delete;

private:
    std::shared_ptr<AppStore> m_store;
    const AppProviders m_providers;
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
    // Guards the two lists below; the server answers on many threads.
    mutable std::mutex m_seenMutex;
    std::vector<Form> m_crashReports;
    std::vector<std::string> m_deviceTokens;
    // Guards the hold; answers wait on the condition while it is on.
    mutable std::mutex m_holdMutex;
    std::condition_variable m_holdReleased;
    bool m_held = false;
    std::size_t m_heldRequests = 0;
};

}
