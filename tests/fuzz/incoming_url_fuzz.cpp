// Links: zmr_services pf_host
// Hands arbitrary bytes to the application as a message from its socket,
// through the same checks and hand-over as the listener, with the shell as
// the delegate. Nothing may crash or leak; a message is taken only when it
// reads back the same, carries one of the app's schemes and fits the cap;
// a taken one reaches the shell between will-enter-foreground and
// did-become-active when the app was in the background, and the app is
// active afterwards either way. The same bytes, as a log line, are redacted
// in bounded size.
#include "tests/fuzz/FontLeakSuppressions.h"

#include "app/services/ZMRServicesRegistration.h"
#include "app/services/ZMRShell.h"
#include "framework/core/KRCoreRegistration.h"
#include "framework/ui/KRUIRegistration.h"
#include "platform/foundation/ApplicationNotifications.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/URLInbox.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/Application.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Every dropped or routed message says so in the log; not needed here.
    static bool registered = (pf::setLogLevel(pf::LogLevel::Error), registerCoreClasses(), registerUIClasses(),
                              registerServicesClasses(), true);
    (void)registered;
    static pf::HeadlessHost host;
    static auto shell = ZMRShell::create(pf::Dictionary::create(), nullptr);
    static const pf::InstalledApp self{
        "com.zomaru.app", {"corvana101452831", "ZZ060C0C1F", "vx2871042569", "nt6f2c91d04ab37e58"}, {"/bin/true"}};
    static std::vector<std::string> steps;
    static auto owner = std::make_shared<int>(0);
    static bool launched = [] {
        pf::Application::shared().setDelegate(shell);
        for (const char* name : {pf::ApplicationWillEnterForegroundNotification, pf::ApplicationDidBecomeActiveNotification})
            pf::NotificationCenter::defaultCenter().addObserver(name, owner,
                                                                [name](const pf::Notification&) { steps.push_back(name); });
        return pf::Application::shared().launch();
    }();
    if (!launched)
        std::abort();

    std::string message(reinterpret_cast<const char*>(data), size);
    if (pf::redactSecrets(message).size() > 3 * size)
        std::abort();
    bool background = size % 2 == 1;
    if (background)
        pf::Application::shared().enterBackground();
    steps.clear();
    auto parsed = pf::URLInbox::parseMessage(message, self);
    bool taken = pf::URLInbox::takeMessage(message, self, [](const pf::IncomingURL& incoming) {
        pf::Application::shared().receiveURL(incoming.url, incoming.sourceApplication);
    });
    if (taken != parsed.has_value())
        std::abort();
    if (taken) {
        const std::string text = parsed->url.absoluteString();
        auto again = pf::URLInbox::message(parsed->url, parsed->sourceApplication);
        auto reread = again ? pf::URLInbox::parseMessage(*again, self) : std::nullopt;
        if (text.size() > pf::URLInbox::kMaxURLLength || !self.answersScheme(parsed->url.scheme()) || !reread
            || reread->url.absoluteString() != text || reread->sourceApplication != parsed->sourceApplication)
            std::abort();
    }
    pf::RunLoop::main().runUntilIdle();
    std::vector<std::string> expected;
    if (taken && background)
        expected = {pf::ApplicationWillEnterForegroundNotification, pf::ApplicationDidBecomeActiveNotification};
    if (steps != expected)
        std::abort();
    // Back in front for the next input.
    pf::Application::shared().enterForeground();
    if (pf::Application::shared().applicationState() != pf::ApplicationState::Active)
        std::abort();
    return 0;
}
