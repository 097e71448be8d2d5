// Links: zmr_services pf_host
// Decodes arbitrary bytes as JSON and hands whatever comes out to the shell
// as a push message. Nothing may crash or leak; at most one toast shows, and
// it is gone once its time has passed.
#include "tests/fuzz/FontLeakSuppressions.h"

#include "app/services/ZMRServicesRegistration.h"
#include "app/services/ZMRShell.h"
#include "framework/core/KRCoreRegistration.h"
#include "framework/core/KRJSON.h"
#include "framework/ui/KRUIRegistration.h"
#include "platform/foundation/Collections.h"
#include "platform/host/HeadlessHost.h"
#include "platform/ui/Application.h"
#include "platform/ui/Window.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::size_t shownAlerts(pf::HeadlessHost& host)
{
    std::size_t count = 0;
    for (const auto& window : host.screen().windows())
        count += window->windowLevel() >= pf::WindowLevel::Alert && !window->isHidden();
    return count;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool registered = (registerCoreClasses(), registerUIClasses(), registerServicesClasses(), true);
    (void)registered;
    static pf::HeadlessHost host;
    // No services: the points task finds nobody, as when offline.
    static auto shell = ZMRShell::create(pf::Dictionary::create(), nullptr);
    pf::Value payload = KRJSON::decodeText(std::string(reinterpret_cast<const char*>(data), size));
    shell->applicationDidReceiveRemoteNotification(pf::Application::shared(), payload);
    if (shownAlerts(host) > 1)
        std::abort();
    host.advance(2);
    if (shownAlerts(host) != 0)
        std::abort();
    return 0;
}
