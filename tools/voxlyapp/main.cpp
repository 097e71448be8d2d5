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
// Scripts: approve (a token of the Voxly stand-ins' one person, which the
// web stand-in knows; userInfo "expires_in"), deny (-3), cancel
// (-1), and garbage: wrong-id, request-class, no-expiry, no-archive,
// 40mib, foreign-request. One line on standard output says what it did.

#include "platform/foundation/AppRegistry.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/Device.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Pasteboard.h"
#include "platform/foundation/URL.h"
#include "sdk/voxly/VXBaseRequest.h"
#include "sdk/voxly/VXBaseResponse.h"
#include "sdk/voxly/VoxlySDK.h"
#include "sdk/voxly/VoxlySDK3rdApp.h"
#include "tools/peerapp/PeerApp.h"
#include "tools/voxlyweb/VoxlyWebServer.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

const peerapp::App kApp{"voxlyapp", "example.voxly.app", "approve",
                        {"approve", "deny", "cancel", "wrong-id", "request-class", "no-expiry", "no-archive", "40mib", "foreign-request"},
                        {{"--version", "2.1"}, {"--expires-in", "7200"}}, {}};

int fail(const std::string& why)
{
    return peerapp::fail(kApp, why);
}

void useBoards(bool named)
{
    auto profile = pf::DeviceProfile::current();
    profile.systemVersion = named ? "6.1" : "7.0";
    pf::DeviceProfile::setCurrent(profile);
}

int install(const peerapp::Command& options)
{
    pf::InstalledApp app{kApp.bundle, {"mainvoxly"}, {std::filesystem::canonical("/proc/self/exe").string(), "--script",
                                                  options.script, "--expires-in", options.option("--expires-in")}};
    if (options.option("--version") != "1.0")
        app.urlSchemes.push_back("voxlysdk");
    if (auto error = pf::AppRegistry::registerApp(app))
        return fail("cannot install: " + error->description);
    std::printf("voxlyapp: installed %s\n", options.option("--version").c_str());
    return 0;
}

int answer(const peerapp::Command& options)
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
        authorize->userID = zmr::VoxlyWebServer::uid();
        authorize->accessToken = zmr::VoxlyWebServer::freshToken();
        long long seconds = std::atoll(options.option("--expires-in").c_str());
        if (script != "no-expiry")
            authorize->expirationDate = pf::Date{pf::Date::now().seconds + static_cast<double>(seconds)};
        response->setUserInfo(pf::Dictionary::create({{"expires_in", options.option("--expires-in")}, {"uid", zmr::VoxlyWebServer::uid()}}));
    } else if (script == "deny") {
        response->statusCode = -3;
    } else if (script == "cancel") {
        response->statusCode = -1;
    }
    if (script == "foreign-request")
        response->requestID = VXDataTransferObject::UUID();
    response->setApp(std::make_shared<VoxlySDK3rdApp>());
    response->app()->bundleID = kApp.bundle;
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
    if (!peerapp::wake(kApp, back))
        return fail("could not open " + back);
    std::printf("voxlyapp: %s %s on the %s board\n", script.c_str(), request->className(), named ? "named" : "general");
    return 0;
}

}

int main(int argc, char** argv)
{
    return peerapp::run(kApp, argc, argv, install, answer);
}
