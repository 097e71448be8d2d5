// zzsdkview --resources DIR [--zz-server URL --zz-server-https URL]
//           [--portrait PICTURE] [--shot PNG] [--headless]
//
// Shows the ZZ SDK's own screens outside the application: it signs in with
// ZZ (the in-app login page of the ZZ server), then, with --portrait, opens
// the set-portrait screen for PICTURE and uploads the chosen square. Headless
// (or with --headless) it approves the page and chooses the square itself
// and ends once the upload has answered, printing "设置成功" on success. With
// --shot the login page (with --portrait, the set-portrait screen) is written
// to PNG and the program ends. DIR is the build's resources copy (with the signed script
// package).

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/RunLoop.h"
#include "platform/graphics/Image.h"
#include "platform/host/HeadlessHost.h"
#include "platform/host/HostRunner.h"
#include "platform/ui/Screen.h"
#include "platform/ui/UiRegistration.h"
#include "platform/ui/Window.h"
#include "platform/web/WebViewPages.h"
#include "sdk/zz/APIResponse.h"
#include "sdk/zz/CVLoginViewKit.h"
#include "sdk/zz/CVOSDKServers.h"
#include "sdk/zz/CorvanaOAuth.h"
#include "sdk/zz/SetUserHeaderImageUiKit.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Viewer final : CorvanaSessionDelegate {
    pf::ImageRef portrait;
    std::weak_ptr<CorvanaOAuth> session;
    bool signedIn = false;
    bool finished = false;
    int status = 1;
    void corvanaDidLogin() override
    {
        signedIn = true;
        std::printf("zzsdkview: signed in\n");
        auto live = session.lock();
        if (!portrait || !live) {
            finished = true;
            status = 0;
            return;
        }
        live->setUserHeadpic(portrait, std::string("portrait"));
    }
    void corvanaDidNotLogin(bool cancelled) override
    {
        std::printf("zzsdkview: not signed in%s\n", cancelled ? " (cancelled)" : "");
        finished = true;
    }
    void corvanaDidNotNetWork() override
    {
        std::printf("zzsdkview: no network\n");
        finished = true;
    }
    void setUserHeadpicResponse(const Response& response) override
    {
        bool ok = response && response->retCode() == 0;
        std::printf("zzsdkview: %s\n", ok ? "设置成功" : response && response->errorMsg() ? response->errorMsg()->c_str() : "设置出错了");
        status = ok ? 0 : 1;
        finished = true;
    }
};

bool waitFor(const std::function<bool()>& condition, pf::HeadlessHost* host = nullptr)
{
    return pf::RunLoop::main().runUntil([&] {
        if (host)
            host->advance(0.05);
        return condition();
    }, pf::Seconds(60));
}

std::shared_ptr<pf::WebView> loginPage(const std::shared_ptr<CorvanaOAuth>& session)
{
    auto kit = session->loginViewKit();
    auto controller = kit ? kit->webViewController() : nullptr;
    auto web = controller ? controller->webview() : nullptr;
    return web && !web->isLoading() && !web->title().empty() ? web : nullptr;
}

}

int main(int argc, char** argv)
{
    std::vector<std::string> arguments(argv + 1, argv + argc);
    auto options = pf::HostOptions::take(arguments);
    std::string resources, http, https, portraitPath;
    bool taken = pf::takeOptionValue(arguments, "--resources", resources)
        && pf::takeOptionValue(arguments, "--zz-server", http) && pf::takeOptionValue(arguments, "--zz-server-https", https)
        && pf::takeOptionValue(arguments, "--portrait", portraitPath);
    if (!options || !taken || !arguments.empty() || resources.empty()) {
        std::fprintf(stderr, "usage: zzsdkview --resources DIR [--zz-server URL --zz-server-https URL] "
                             "[--portrait PICTURE] [--shot PNG] [--headless]\n");
        return 2;
    }
    options->program = "zzsdkview";
    if ((!http.empty() && !CVOSDKServers::setHttpOrigin(http)) || (!https.empty() && !CVOSDKServers::setHttpsOrigin(https))) {
        std::fprintf(stderr, "zzsdkview: not an origin of the right scheme\n");
        return 2;
    }
    pf::Bundle::setMain(std::make_shared<pf::Bundle>(resources));
    pf::registerUiClasses();
    pf::useHtmlDocumentsInWebViews();
    auto viewer = std::make_shared<Viewer>();
    if (!portraitPath.empty()) {
        auto picture = pf::Image::contentsOfFile(portraitPath);
        if (!picture) {
            std::fprintf(stderr, "zzsdkview: cannot read %s\n", portraitPath.c_str());
            return 1;
        }
        viewer->portrait = *picture;
    }
    // Headless, the host's clock drives the windows' slides from the start.
    bool automatic = options->shotPath || options->headless || !pf::hasDisplay();
    std::optional<pf::HeadlessHost> headless;
    if (automatic)
        headless.emplace(pf::Screen::main());
    auto window = pf::Window::create();
    window->setBackgroundColor(pf::Color::whiteColor());
    window->makeKeyAndVisible();
    auto info = pf::Bundle::main()->infoDictionary();
    auto zz = info ? info->dictionary("ZZ") : nullptr;
    auto session = CorvanaOAuth::initWithAppId(zz ? zz->get("appid").stringOr() : std::string(), viewer);
    viewer->session = session;
    session->authorize({ "get_user_info", "add_share" }, false);

    if (!automatic)
        return pf::runHost(*options, pf::Screen::main());

    pf::HeadlessHost& host = *headless;
    if (!waitFor([&] { return loginPage(session) || viewer->finished; }, &host) || !loginPage(session)) {
        std::fprintf(stderr, "zzsdkview: the login page did not show\n");
        return 1;
    }
    host.advance(0.5);
    auto shoot = [&] {
        if (auto error = host.writePng(*options->shotPath)) {
            std::fprintf(stderr, "zzsdkview: cannot write %s: %s\n", options->shotPath->c_str(), error->description.c_str());
            return 1;
        }
        return 0;
    };
    if (options->shotPath && !viewer->portrait)
        return shoot();
    loginPage(session)->followLinkWithText("授权");
    if (!waitFor([&] { return viewer->signedIn || viewer->finished; }, &host) || viewer->finished)
        return viewer->status;
    auto kit = session->setUserHeaderImageKit().get();
    if (!waitFor([&] { return kit && kit->screen() && kit->screen()->image(); }, &host)) {
        std::fprintf(stderr, "zzsdkview: the set-portrait screen did not show\n");
        return 1;
    }
    if (options->shotPath) {
        // The set-portrait screen, once its nickname has come.
        waitFor([&] { return kit->screen()->nick().has_value(); }, &host);
        host.advance(0.5);
        return shoot();
    }
    kit->screen()->selectBtnClick();
    waitFor([&] { return viewer->finished; }, &host);
    return viewer->status;
}
