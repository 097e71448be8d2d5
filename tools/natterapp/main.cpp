// A stand-in for the Natter app, for tests and scripts/run.sh: a real
// process that takes what the Natter SDK sends and answers by a script.
//
//   natterapp --install [--no-api] [--script NAME] [--inbox DIR]
//       writes its registry entry ("example.natter.app", answering
//       "natapp" and, unless --no-api, "natter") and, unless --no-api,
//       "natter_sdk_infomation" with version "1.2"; the entry starts it
//       with the same script and inbox whenever a URL comes.
//   natterapp --script NAME --inbox DIR --open-url natapp://app/<appid>/
//       takes the app's record into DIR (NNN.txt: the text, or title and
//       description on two lines; NNN.jpg the picture, NNN-thumb.jpg the
//       thumbnail) and answers on "<appid>://".
//
// Scripts: ok (2020, result 0), error (2020, result -2), ask (2000, Natter
// asks for content), show (1010 with an app extension object), allow and
// deny (the authorisation callbacks), garbage (bytes that are no property
// list on "natter_data"). One line on standard output says what it did.

#include "platform/foundation/AppRegistry.h"
#include "platform/foundation/BinaryPropertyList.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Pasteboard.h"
#include "platform/foundation/URL.h"
#include "sdk/natter/AppCommunicate.h"
#include "sdk/natter/AppCommunicateData.h"
#include "sdk/natter/NTMediaMessage.h"
#include "tools/peerapp/PeerApp.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

const peerapp::App kApp{"natterapp", "example.natter.app", "ok", {"ok", "error", "ask", "show", "allow", "deny", "garbage"},
                        {{"--inbox", ""}}, {"--no-api"}};

int fail(const std::string& why)
{
    return peerapp::fail(kApp, why);
}

int install(const peerapp::Command& options)
{
    pf::InstalledApp app{kApp.bundle, {"natapp"}, {std::filesystem::canonical("/proc/self/exe").string(), "--script", options.script}};
    if (!options.option("--inbox").empty()) {
        app.command.push_back("--inbox");
        app.command.push_back(std::filesystem::absolute(options.option("--inbox")).string());
    }
    if (!options.flag("--no-api")) {
        app.urlSchemes.push_back("natter");
        auto info = pf::writeBinaryPropertyList(pf::Value(pf::Dictionary::create({{"version", "1.2"}})));
        pf::Pasteboard::withName("natter_sdk_infomation", true)->setData(*info, "content");
    }
    if (auto error = pf::AppRegistry::registerApp(app))
        return fail("cannot install: " + error->description);
    std::printf("natterapp: installed%s\n", options.flag("--no-api") ? " without the interface" : "");
    return 0;
}

// Each file appears whole (written aside, then renamed), so a reader that
// waits for one name never reads half of it.
void save(const std::filesystem::path& path, std::string_view bytes)
{
    std::filesystem::path aside = path.string() + ".part";
    std::ofstream(aside, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    std::filesystem::rename(aside, path);
}

void save(const std::filesystem::path& path, const pf::Bytes& bytes)
{
    save(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

// Files the record in the inbox; a line saying what it was.
std::string take(const AppCommunicateData& data, const std::string& inbox)
{
    if (inbox.empty())
        return "no inbox";
    std::filesystem::create_directories(inbox);
    int n = 0;
    char stem[16];
    do
        std::snprintf(stem, sizeof stem, "%03d", ++n);
    while (std::filesystem::exists(std::filesystem::path(inbox) / (std::string(stem) + ".txt")));
    std::filesystem::path base = std::filesystem::path(inbox) / stem;
    if (auto text = data.textMessage()) {
        save(base.string() + ".txt", std::string_view(*text));
        return "text";
    }
    auto message = data.mediaMessage();
    if (!message)
        return "nothing readable";
    // The picture before its thumbnail and the text last: readers wait for
    // the later names and then read the earlier ones.
    if (auto image = std::dynamic_pointer_cast<NTImageObject>(message->mediaObject); image && image->imageData)
        save(base.string() + ".jpg", *image->imageData);
    if (message->thumbData)
        save(base.string() + "-thumb.jpg", *message->thumbData);
    save(base.string() + ".txt", message->title.value_or("") + "\n" + message->description.value_or(""));
    return "picture";
}

int answer(const peerapp::Command& options)
{
    auto url = pf::URL::create(options.url);
    auto parts = url ? url->pathComponents() : std::vector<std::string>{};
    std::string appID;
    for (std::size_t i = 0; i < parts.size(); ++i)
        if (parts[i] != "/" && !parts[i].empty())
            appID = parts[i];
    if (!url || url->scheme() != "natapp" || url->host() != "app" || appID.empty())
        return fail("not for natter: " + options.url);
    std::string what = "nothing";
    if (auto data = AppCommunicate::appCommunicateDataForAppID(appID))
        what = take(*data, options.option("--inbox"));
    const std::string& script = options.script;
    std::string back = appID + "://platformId=natter";
    if (script == "allow") {
        back = appID + "://timeline/auth/allow?username=natter-user&access_token=nt-token&state=s&expires_in=3600";
    } else if (script == "deny") {
        back = appID + "://timeline/auth/deny?reason=denied&state=s";
    } else if (script == "garbage") {
        pf::Pasteboard::withName(AppCommunicate::getDataPasteboardName(), true)->setData(pf::Bytes{'g', 'a', 'r', 'b'}, "content");
    } else {
        AppCommunicateData reply;
        reply.returnFromApp = true;
        reply.result = script == "error" ? -2 : 0;
        std::uint32_t command = script == "ask" ? 2000 : script == "show" ? 1010 : 2020;
        reply.initCommonField(command);
        if (script == "show") {
            reply.dictionaryData->set("objectType", "7");
            reply.dictionaryData->set("extInfo", "from natter");
        }
        if (!AppCommunicate::setPropertyList(reply.propertList(), appID))
            return fail("could not write the answer");
    }
    if (!peerapp::wake(kApp, back))
        return fail("could not open " + back);
    std::printf("natterapp: took %s, answered %s\n", what.c_str(), script.c_str());
    return 0;
}

}

int main(int argc, char** argv)
{
    return peerapp::run(kApp, argc, argv, install, answer);
}
