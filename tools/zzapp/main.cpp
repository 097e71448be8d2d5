// A stand-in for the ZZ app, the Plaza app and ZZ Browser, for tests and
// scripts/run.sh: a real process that reads what the ZZ SDK sends and
// answers by a script.
//
//   zzapp --install [--plaza | --browser] [--version N] [--script NAME]
//       writes its registry entry: ZZ ("example.zz.app", the schemes of
//       version N, 1 to 3, default 3), Plaza ("example.plaza.app", 1 to 5,
//       default 5) or the browser ("example.zzbrowser.app", "mzzbrowser");
//       the entry starts it with the same role and script whenever a URL comes.
//   zzapp --open-url mzzOpensdkSSoLogin://SSoLogin/<scheme>/<slot>?generalpastboard=0|1
//   zzapp --open-url mplazaopensdkapi://pzapp/<scheme>/<slot>/0?generalpastboard=0|1
//       reads the login payload in the slot the URL names (the general board
//       under the type, or the named board), writes its answer there and
//       opens "<scheme>://sso/<x>/0?generalpastboard=0|1".
//   zzapp --open-url mplazaopensdkapi://pzapp/<scheme>/<slot>/<command>?generalpastboard=0|1
//       (Plaza, a command other than the login "0": "1" a story, or a name
//       such as "AppInvitation") reads the payload in the slot, logs its
//       title, description and receivers (to --log FILE too), writes an
//       archived answer {"response_data": …} there and opens
//       "<scheme>://sso/plaza/<command>?generalpastboard=0|1": approve
//       retCode 0 with {"ret": "0"}, cancel and deny retCode 1.
//   zzapp --open-url mzzbrowser://url=<the login page's address>
//       answers as the login page would: "corvana<client_id>://<authorisation
//       host>/#…" with the token enciphered by the address's "token_key"
//       (as the ZZ stand-in server's browser login does).
//
//   zzapp --install --plaza --log FILE
//       as above; Plaza (version 5) also answers "corvanaapi.plaza.reqContent",
//       where it reads the application's Corvana answers and logs them to FILE.
//   zzapp --send-view, --send-response, --write-ad-items, --log-registry,
//   zzapp --send-request: the share side, see ZZAppShare.h.
//
// Scripts: approve (a token, open id and lifetime: the ZZ stand-ins' one
// person, whose tokens every ZZ stand-in server knows), cancel ("user_cancelled"
// YES; for the browser "error=access_denied"), deny (an answer without
// token; for the browser "error_code=100"), silent (reads, answers nothing),
// and the garbage kinds: garbage-bytes (no archive), garbage-array (an
// archived array), garbage-types (a dictionary of numbers). One line on
// standard output says what it read and did.

#include "platform/foundation/AppRegistry.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/Pasteboard.h"
#include "platform/foundation/PercentEncode.h"
#include "platform/foundation/URL.h"
#include "sdk/zz/APIResponse.h"
#include "tools/peerapp/PeerApp.h"
#include "tools/zzapp/ZZAppShare.h"
#include "tools/zzserver/ZZServer.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

const peerapp::App kApp{"zzapp", "example.zz.app", "approve",
                        {"approve", "cancel", "deny", "silent", "garbage-bytes", "garbage-array", "garbage-types"},
                        {{"--version", ""}, {"--log", ""}}, {"--plaza", "--browser"}};

constexpr const char* kAuthorisationHost = "openmobile.zz.example";
constexpr const char* kDataType = "pzappDataType";
constexpr const char* kLifetime = "7776000";

int fail(const std::string& why) { return peerapp::fail(kApp, why); }

std::string roleBundle(const peerapp::Command& options)
{
    if (options.flag("--plaza"))
        return "example.plaza.app";
    if (options.flag("--browser"))
        return "example.zzbrowser.app";
    return kApp.bundle;
}

std::vector<std::string> schemes(const peerapp::Command& options, int version)
{
    if (options.flag("--browser"))
        return {"mzzbrowser"};
    if (options.flag("--plaza")) {
        const std::vector<std::string> all = {"mplazaopensdkapiV2", "mplazaopensdkapi19", "mplazaopensdkapi",
                                              "mplazaopensdk", "mplaza"};
        std::vector<std::string> answered(all.end() - std::clamp(version, 1, 5), all.end());
        if (version >= 5) // the newest Plaza also takes the applications' Corvana answers
            answered.push_back(zzapp::kCorvanaAnswerScheme);
        return answered;
    }
    const std::vector<std::string> all = {"mzzopensdkapiV2", "mzzOpensdkSSoLogin", "mzz"};
    return std::vector<std::string>(all.end() - std::clamp(version, 1, 3), all.end());
}

int install(const peerapp::Command& options)
{
    int version = options.option("--version").empty() ? (options.flag("--plaza") ? 5 : 3)
                                                      : std::atoi(options.option("--version").c_str());
    std::vector<std::string> command = {std::filesystem::canonical("/proc/self/exe").string(), "--script", options.script};
    for (const char* flag : {"--plaza", "--browser"})
        if (options.flag(flag))
            command.push_back(flag);
    if (!options.option("--log").empty()) {
        command.push_back("--log");
        command.push_back(std::filesystem::absolute(options.option("--log")).string());
    }
    pf::InstalledApp app{roleBundle(options), schemes(options, version), command};
    if (auto error = pf::AppRegistry::registerApp(app))
        return fail("cannot install: " + error->description);
    std::printf("zzapp: installed %s answering %zu schemes\n", app.bundleIdentifier.c_str(), app.urlSchemes.size());
    return 0;
}

// The "name=value" pieces of a query, decoded.
std::map<std::string, std::string> queryOf(std::string_view query)
{
    std::map<std::string, std::string> values;
    while (!query.empty()) {
        std::size_t amp = query.find('&');
        std::string_view piece = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        std::size_t eq = piece.find('=');
        if (eq == std::string_view::npos)
            continue;
        auto name = pf::percentDecode(piece.substr(0, eq));
        auto value = pf::percentDecode(piece.substr(eq + 1));
        if (name && value)
            values[*name] = *value;
    }
    return values;
}

int answerBrowser(const peerapp::Command& options)
{
    std::string text = options.url;
    std::size_t at = text.find("url=");
    auto address = at == std::string::npos ? std::nullopt : pf::percentDecode(text.substr(at + 4));
    std::size_t question = address ? address->find('?') : std::string::npos;
    if (question == std::string::npos)
        return fail("not a login page: " + text);
    auto query = queryOf(std::string_view(*address).substr(question + 1));
    std::string clientId = query["client_id"];
    std::string token = zmr::ZZServer::browserTokenFor(clientId);
    const std::string& script = options.script;
    std::string answer;
    if (script == "approve")
        answer = "access_token=" + zmr::encipherBrowserToken(token, query["token_key"]) + "&openid=" + zmr::ZZServer::openIdFor(token) + "&expires_in=" + kLifetime;
    else if (script == "cancel")
        answer = "error=access_denied";
    else if (script == "deny")
        answer = "error=access_denied&error_code=100";
    else if (script == "silent") {
        std::printf("zzapp: browser read the page of %s, answered nothing\n", clientId.c_str());
        return 0;
    } else
        answer = "access_token=%FF%FE";
    std::string back = "corvana" + clientId + "://" + kAuthorisationHost + "/#" + answer + "&serial=" + pf::percentEncode(query["serial"]);
    if (!peerapp::wake(kApp, back))
        return fail("could not open " + back);
    std::printf("zzapp: browser read the page of %s (serial %s), answered %s\n", clientId.c_str(),
                query["serial"].c_str(), script.c_str());
    return 0;
}

// What a receiver list reads as: texts joined by ",", or the array's texts.
std::string receiversOf(const pf::DictionaryRef& request)
{
    pf::Value receiver = request->get("receiver");
    if (auto list = receiver.array()) {
        std::string joined;
        for (const pf::Value& one : list->values())
            joined += (joined.empty() ? "" : ",") + one.stringOr("?");
        return joined;
    }
    return receiver.stringOr();
}

// Plaza's answer to a story or a named command of an application.
int answerCommand(const peerapp::Command& options, const std::string& appScheme, const std::string& slot,
                  const std::string& command, const pf::DictionaryRef& request, bool general)
{
    if (!request)
        return fail("no payload for " + command + " in " + slot);
    std::string read = (command == "1" ? std::string("story") : command) + " \"" + request->get("title").stringOr()
        + request->get("desc").stringOr() + "\" to " + receiversOf(request) + " of " + request->get("appid").stringOr();
    if (!options.option("--log").empty())
        std::ofstream(options.option("--log"), std::ios::app) << "read " << read << "\n";
    const std::string& script = options.script;
    if (script == "silent") {
        std::printf("zzapp: plaza read %s, answered nothing\n", read.c_str());
        return 0;
    }
    pf::Bytes answer;
    if (script == "garbage-bytes") {
        answer = {'g', 'a', 'r', 'b'};
    } else {
        APIResponse response;
        response.setRetCode(script == "approve" ? 0 : 1);
        response.setDetailRetCode(script == "approve" ? 0 : script == "cancel" ? 2 : 12);
        response.setJsonResponse(pf::Dictionary::create({{"ret", script == "approve" ? "0" : "1"}}));
        auto archived = response.archivedData();
        auto wrapped = archived ? pf::KeyedArchiver::archivedDataWithRootObject(
                                      pf::Value(pf::Dictionary::create({{"response_data", pf::Value::data(*archived)}})))
                                : std::nullopt;
        if (!wrapped)
            return fail("could not archive the answer");
        answer = *wrapped;
    }
    if (general)
        pf::Pasteboard::general()->setData(answer, slot);
    else
        pf::Pasteboard::withName(slot, true)->setData(answer, kDataType);
    std::string back = appScheme + "://sso/plaza/" + command + "?generalpastboard=" + (general ? "1" : "0");
    if (!peerapp::wake(kApp, back))
        return fail("could not open " + back);
    std::printf("zzapp: plaza read %s, answered %s\n", read.c_str(), script.c_str());
    return 0;
}

int answerApp(const peerapp::Command& options)
{
    auto url = pf::URL::create(options.url);
    std::vector<std::string> parts;
    if (url)
        for (const auto& part : url->pathComponents())
            if (part != "/" && !part.empty())
                parts.push_back(part);
    bool zz = url && url->host() == "SSoLogin" && parts.size() == 2;
    bool plaza = url && url->host() == "pzapp" && parts.size() == 3;
    if (!zz && !plaza)
        return fail("not a login command: " + options.url);
    const std::string& appScheme = parts[0];
    const std::string& slot = parts[1];
    bool general = url->query() && url->query()->find("generalpastboard=1") != std::string::npos;
    // No board at all (the device folder cannot hold one) reads as no payload.
    auto board = general ? pf::Pasteboard::general() : pf::Pasteboard::withName(slot, false);
    std::optional<pf::Bytes> data = board ? board->dataForPasteboardType(general ? slot : kDataType) : std::nullopt;
    auto payload = data ? pf::KeyedUnarchiver::unarchiveObjectWithData(*data, {"Dictionary", "Array", "String", "Number", "Data"})
                        : std::nullopt;
    auto request = payload ? payload->dictionary() : nullptr;
    if (plaza && parts[2] != "0")
        return answerCommand(options, appScheme, slot, parts[2], request, general);
    if (!request)
        return fail("no login payload in " + slot);
    std::string clientId = request->get("client_id").stringOr();
    std::string read = "scope " + request->get("scope").stringOr() + " of " + clientId + " (" + request->get("app_name").stringOr() + ")";
    const std::string& script = options.script;
    if (script == "silent") {
        std::printf("zzapp: read %s, answered nothing\n", read.c_str());
        return 0;
    }
    pf::Bytes answer;
    if (script == "garbage-bytes") {
        answer = {'g', 'a', 'r', 'b'};
    } else {
        pf::Value root;
        std::string token = zmr::ZZServer::appTokenFor(clientId);
        if (script == "approve")
            root = pf::Value(pf::Dictionary::create({{"access_token", token}, {"openid", zmr::ZZServer::openIdFor(token)},
                                                     {"expires_in", kLifetime}, {"encrytoken", "E" + token}}));
        else if (script == "cancel")
            root = pf::Value(pf::Dictionary::create({{"user_cancelled", "YES"}}));
        else if (script == "deny")
            root = pf::Value(pf::Dictionary::create({{"error", "access_denied"}}));
        else if (script == "garbage-array")
            root = pf::Value(pf::Array::create({pf::Value("access_token"), pf::Value(token)}));
        else
            root = pf::Value(pf::Dictionary::create({{"access_token", 7}, {"openid", 8}}));
        auto archived = pf::KeyedArchiver::archivedDataWithRootObject(root);
        if (!archived)
            return fail("could not archive the answer");
        answer = *archived;
    }
    auto out = general ? board : pf::Pasteboard::withName(slot, true);
    if (!out)
        return fail("cannot write the answer to " + slot);
    out->setData(answer, general ? slot : kDataType);
    std::string back = appScheme + "://sso/" + (plaza ? "plaza" : "zz") + "/0?generalpastboard=" + (general ? "1" : "0");
    if (!peerapp::wake(kApp, back))
        return fail("could not open " + back);
    std::printf("zzapp: read %s, answered %s\n", read.c_str(), script.c_str());
    return 0;
}

int answer(const peerapp::Command& options)
{
    if (options.flag("--plaza") && options.url.rfind(std::string(zzapp::kCorvanaAnswerScheme) + ":", 0) == 0)
        return zzapp::logCorvanaAnswer(options.url, options.option("--log"));
    if (options.flag("--browser"))
        return answerBrowser(options);
    return answerApp(options);
}

}

int main(int argc, char** argv)
{
    if (int status = zzapp::runShareCommand(argc, argv); status >= 0)
        return status;
    return peerapp::run(kApp, argc, argv, install, answer);
}
