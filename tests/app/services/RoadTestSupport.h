#pragma once

// The application's road without screens against a real server: the shell
// with the envelope, the account and list services, the API service and the
// HTTP service, pointed at a URL of the test's choosing.

#include "AppServerProcess.h"
#include "AuthTestSupport.h"

#include "app/services/ZMRAuthTasks.h"

#include <memory>
#include <string>

// The services of the application's configuration, with the API service's
// "url" set and a short time-out; the recorder takes the follow-list and,
// when `recordPoints`, the points tasks.
pf::DictionaryRef roadConfig(const std::string& apiUrl, double timeout = 5, bool recordPoints = true);

namespace zmr {
class AppServer;
class AppStore;
}

// Registers the test classes, empties the shared list cache, points
// busRecord() at `record` and starts the local server in this process on a
// free loopback port over the demo world, asking the program's stand-in
// providers. Wrap in ASSERT_NO_FATAL_FAILURE.
void startSeededWorld(BusRecord& record, std::shared_ptr<zmr::AppStore>& store, std::unique_ptr<zmr::AppServer>& server);

// Sends the task with the recorder as delegate and runs the main loop until
// the recorder heard one more outcome; false on time-out.
bool sendAndWait(const std::shared_ptr<ZMRShell>& shell, const pf::Protocol* type, const std::shared_ptr<KRUplinkTask>& task,
                 const std::shared_ptr<UplinkRecorder>& recorder, double seconds = 10);

// A fresh home, a running tools/appserver and a shell the test starts.
class RoadBus : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    void startShell(const pf::DictionaryRef& config);
    // Creates and launches a shell over the real server with the screens and
    // start pages of the cfg.plist in `resources` and `bundle` as its bundle.
    // Wrap in ASSERT_NO_FATAL_FAILURE; the caller's host advances it.
    void launchShippedShell(const std::string& resources, const std::shared_ptr<pf::Bundle>& bundle);
    // Hides the launched shell's window, dismisses its alerts, drops the
    // application's delegate and every window, and lets the main loop idle.
    void closeLaunchedShell();

    static std::shared_ptr<ZMRRegisterTask> registration(const std::string& account, const std::string& password,
                                                         const std::string& nick);
    static std::shared_ptr<ZMRLoginTask> login(const std::string& account, const std::string& password);
    // Registers and signs in ("secret1"), then forgets the outcomes heard; the user id.
    long long signUp(const std::string& account, const std::string& nick = "");

    TemporaryHome home;
    BusRecord bus;
    AppServerProcess server;
    std::shared_ptr<ZMRShell> shell;
    std::shared_ptr<UplinkRecorder> recorder = std::make_shared<UplinkRecorder>();
    // Whether signUp() waits for the sign-in's own points request to land.
    bool waitForPoints = false;
};
