// A stand-in for the Voxly app, for tests and scripts/run.sh: a real
// process that answers the Voxly SDK as the app would, by a script.
//
//   voxlyapp --install [--version 1.0] [--script NAME] [--expires-in N]
//       writes its registry entry ("example.voxly.app", answering
//       "mainvoxly" and, unless --version 1.0, "voxlysdk"); the entry
//       starts it with the same script whenever a URL comes.
//   voxlyapp --script NAME --open-url URL [--source-application ID]
//       takes "voxlysdk://request?id=…": reads the request from its named
//       board, else the general one, checks it, writes the answer on the
//       same kind of board and opens "vx<appkey>://response?id=…".
//
// Scripts: approve (a token; userInfo "expires_in"), deny (-3), cancel
// (-1), and garbage: wrong-id, request-class, no-expiry, no-archive,
// 40mib, foreign-request. One line on standard output says what it did.

#include "framework/util/KRMD5String.h"
#include "platform/foundation/AppRegistry.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Pasteboard.h"
#include "platform/foundation/URL.h"
#include "platform/foundation/URLInbox.h"
#include "sdk/voxly/VXBaseRequest.h"
#include "sdk/voxly/VXBaseResponse.h"
#include "sdk/voxly/VoxlySDK.h"
#include "sdk/voxly/VoxlySDK3rdApp.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const char* kBundle = "example.voxly.app";

struct Options {
    bool install = false;
    std::string version = "2.1";
    std::string script = "approve";
    std::string expiresIn = "7200";
    std::string url;
};

int fail(const std::string& why)
{
    std::printf("voxlyapp: %s\n", why.c_str());
    return 1;
}

void useBoards(bool named)
{
    auto profile = pf::DeviceProfile::current();
    profile.systemVersion = named ? "6.1" : "7.0";
    pf::DeviceProfile::setCurrent(profile);
}

bool wake(const std::string& text)
{
    auto url = pf::URL::create(text);
    auto app = url ? pf::AppRegistry::appForScheme(url->scheme()) : std::nullopt;
    auto message = url ? pf::URLInbox::message(*url, kBundle) : std::nullopt;
    if (!app || !message)
        return false;
    auto delivery = pf::URLInbox::send(app->bundleIdentifier, *message);
    return delivery == pf::URLInbox::Delivery::Delivered
        || (delivery == pf::URLInbox::Delivery::NotRunning && pf::URLInbox::start(*app, *url, kBundle));
}

int install(const Options& options, const char* self)
{
    pf::InstalledApp app{kBundle, {"mainvoxly"}, {std::filesystem::canonical("/proc/self/exe").string(), "--script",
                                                  options.script, "--expires-in", options.expiresIn}};
    (void)self;
    if (options.version != "1.0")
        app.urlSchemes.push_back("voxlysdk");
    if (auto error = pf::AppRegistry::registerApp(app))
        return fail("cannot install: " + error->description);
    std::printf("voxlyapp: installed %s\n", options.version.c_str());
    return 0;
}

int answer(const Options& options)
{
    auto url = pf::URL::create(options.url);
    if (!url || url->host() != "request")
        return fail("not a request: " + options.url);
    auto id = VoxlySDK::queryValueWithName("id", options.url);
    if (!id)
        return fail("no id");
    bool named = true;
    useBoards(true);
    auto request = VXBaseRequest::objectFromPasteboardWithID(*id, "2.2");
    if (!request) {
        named = false;
        useBoards(false);
        request = VXBaseRequest::objectFromPasteboardWithID(*id, "2.2");
    }
    if (!request || !request->app() || !request->app()->appKey)
        return fail("no request for " + *id);
    std::string appKey = *request->app()->appKey;
    auto response = request->makeAssociatedResponse();
    response->requestID = request->requestID();
    if (auto message = request->validate())
        response->statusCode = VoxlySDK::kUnsupportedStatusCode;
    auto authorize = std::dynamic_pointer_cast<VXAuthorizeResponse>(response);
    const std::string& script = options.script;
    if (response->statusCode == 0 && authorize && (script == "approve" || script == "no-expiry" || script == "wrong-id"
                                                   || script == "foreign-request" || script == "request-class")) {
        authorize->userID = "20001";
        authorize->accessToken = "vx-" + krMD5String(std::string_view(*id)).substr(0, 16);
        long long seconds = std::atoll(options.expiresIn.c_str());
        if (script != "no-expiry")
            authorize->expirationDate = pf::Date{pf::Date::now().seconds + static_cast<double>(seconds)};
        response->setUserInfo(pf::Dictionary::create({{"expires_in", options.expiresIn}, {"uid", "20001"}}));
    } else if (script == "deny") {
        response->statusCode = -3;
    } else if (script == "cancel") {
        response->statusCode = -1;
    }
    if (script == "foreign-request")
        response->requestID = VXDataTransferObject::UUID();
    response->setApp(std::make_shared<VoxlySDK3rdApp>());
    response->app()->bundleID = kBundle;
    std::string responseID = *response->responseID();
    auto items = response->transferObjectsForPasteboard();
    if (script == "wrong-id") {
        response->setObjectID(VXDataTransferObject::UUID());
        items = response->transferObjectsForPasteboard();
    } else if (script == "request-class") {
        auto fake = VXAuthorizeRequest::request();
        fake->setRequestID(responseID);
        items[0] = {{"transferObject", *pf::KeyedArchiver::archivedDataWithRootObject(fake->dictionary())}};
    } else if (script == "no-archive") {
        items[0] = {{"transferObject", pf::Bytes{'n', 'o', 't', ' ', 'a', 'n', ' ', 'a', 'r', 'c', 'h', 'i', 'v', 'e'}}};
    } else if (script == "40mib") {
        items.push_back({{"padding", pf::Bytes(40u << 20, 0)}});
    }
    auto board = VoxlySDK::pasteboardWithName(VXDataTransferObject::pasteboardNameWithID("response", responseID), true);
    board->setPersistent(true);
    board->setItems(items);
    std::string back = VXDataTransferObject::open3rdAppSchemeWithID("response", responseID, appKey);
    if (!wake(back))
        return fail("could not open " + back);
    std::printf("voxlyapp: %s %s on the %s board\n", script.c_str(), request->className(), named ? "named" : "general");
    return 0;
}

}

int main(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        if (arg == "--install")
            options.install = true;
        else if (arg == "--version")
            options.version = next();
        else if (arg == "--script")
            options.script = next();
        else if (arg == "--expires-in")
            options.expiresIn = next();
        else if (arg == "--open-url")
            options.url = next();
        else if (arg == "--source-application")
            next();
        else
            return fail("unknown argument " + arg);
    }
    static const std::set<std::string> scripts{"approve", "deny", "cancel", "wrong-id", "request-class",
                                               "no-expiry", "no-archive", "40mib", "foreign-request"};
    if (!scripts.count(options.script))
        return fail("unknown script " + options.script);
    if (options.install)
        return install(options, argv[0]);
    if (options.url.empty())
        return fail("nothing to do");
    return answer(options);
}
