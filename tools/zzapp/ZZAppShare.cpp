#include "tools/zzapp/ZZAppShare.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Pasteboard.h"
#include "platform/foundation/URL.h"
#include "sdk/zz/CorvanaApiInterface.h"
#include "sdk/zz/CorvanaApiReq.h"
#include "sdk/zz/URLTools.h"
#include "sdk/zz/ZZApiDatastore.h"
#include "sdk/zz/ZZApiMessage.h"
#include "sdk/zz/ZZDataArray.h"
#include "sdk/zz/ZZOpenApiUtility.h"
#include "sdk/zz/ZZPasteboard.h"
#include "sdk/zz/ZZPluginMetadata.h"
#include "sdk/zz/ZZRegistration.h"
#include "tools/peerapp/PeerApp.h"

#include <cstdio>
#include <fstream>
#include <map>

namespace zzapp {

namespace {

const peerapp::App kZZ{"zzapp", "example.zz.app", "", {}, {}, {}};
const peerapp::App kPlaza{"zzapp", "example.plaza.app", "", {}, {}, {}};
constexpr const char* kRequestType = "example.plaza.app.request";

std::string base64(const std::string& text)
{
    return *ZZOpenApiUtility::base64EncodedStringWithUTF8String(text);
}

int open(const peerapp::App& as, const std::string& url, const std::string& what)
{
    if (!peerapp::wake(as, url))
        return peerapp::fail(as, "nobody took " + url);
    std::printf("zzapp: sent %s\n", what.c_str());
    return 0;
}

int sendView(const std::string& kind, const std::string& scheme, std::size_t size)
{
    pf::Bytes file(size);
    for (std::size_t i = 0; i < size; i++)
        file[i] = std::uint8_t(i * 7);
    auto large = pf::Dictionary::create({{"file_data", pf::Value::data(std::move(file))},
                                         {"previewimagedata", pf::Value::data(pf::Bytes{0xff, 0xd8, 0xff})}});
    if (ZZApiDatastore::instance().setApiLargeData(pf::Value(large)) != 0)
        return peerapp::fail(kZZ, "cannot write the large data");
    return open(kZZ, scheme + "://request_from_zz/view?file_type=" + kind + "&title=" + base64("标题")
                         + "&description=" + base64("描述"),
                "view " + kind);
}

int sendResponse(const std::string& error, const std::string& scheme)
{
    std::string query = error == "garbage" ? "error=%FF%FE&error_description=!!!&error_extend_info=%00"
                                           : "error=" + error + "&error_description=" + base64("done");
    return open(kZZ, scheme + "://response_from_zz?" + query, "response " + error);
}

int writeAdItems(int count)
{
    std::vector<std::shared_ptr<ZZApiAdItem>> items;
    for (int i = 1; i <= count; i++) {
        auto item = std::make_shared<ZZApiAdItem>();
        item->setTitle("ad " + std::to_string(i));
        item->setTarget(pf::URL::create("http://zz.example/ad/" + std::to_string(i)));
        items.push_back(item);
    }
    if (ZZApiDatastore::instance().setAdItemArray(items) != 0)
        return peerapp::fail(kZZ, "cannot write the ad items");
    std::printf("zzapp: wrote %d ad items\n", count);
    return 0;
}

int logRegistry()
{
    auto entries = ZZArrayPasteboard(ZZApiDatastore::kRegistryBoard, ZZArchive::kMaxRegistrySize).objectArray();
    if (!entries) {
        std::printf("zzapp: no readable plugin registry\n");
        return 0;
    }
    for (const pf::Value& entry : *entries) {
        auto plugin = entry.objectAs<ZZPluginMetadata>();
        if (!plugin) {
            std::printf("zzapp: registry entry of another kind\n");
            continue;
        }
        std::printf("zzapp: plugin %s of %s version %s, %zu icons\n", plugin->scheme().value_or("-").c_str(),
                    plugin->bundleIdentifier().value_or("-").c_str(), plugin->version().value_or("-").c_str(),
                    plugin->iconFiles() ? plugin->iconFiles()->count() : 0);
    }
    std::printf("zzapp: %zu registry entries\n", entries->size());
    return 0;
}

int sendRequest(const std::string& scheme)
{
    auto fields = pf::Dictionary::create({{"nPlatform", 1}, {"nSeq", 7}, {"sAppID", "101452831"}});
    auto data = CorvanaMessagePack::dataWithCorvanaReqMessage(pf::Value(CorvanaApiReq::decode(*fields)));
    if (!data)
        return peerapp::fail(kPlaza, "cannot pack the request");
    pf::Pasteboard::general()->setData(*data, kRequestType);
    return open(kPlaza, scheme + "://kTecentReqContent/kCorvanaReqContent?kPastboardName=general&kPastboardType="
                            + kRequestType,
                "request");
}

}

int runShareCommand(int argc, char** argv)
{
    std::map<std::string, std::string> given;
    for (int i = 1; i < argc; i++) {
        std::string arg = argv[i];
        bool takesValue = arg == "--send-view" || arg == "--send-response" || arg == "--to" || arg == "--size"
            || arg == "--write-ad-items";
        given[arg] = takesValue && i + 1 < argc ? argv[++i] : "";
    }
    auto has = [&](const char* name) { return given.count(name) > 0; };
    if (!has("--send-view") && !has("--send-response") && !has("--send-request") && !has("--write-ad-items")
        && !has("--log-registry"))
        return -1;
    registerZZClasses();
    if (has("--write-ad-items"))
        return writeAdItems(std::atoi(given["--write-ad-items"].c_str()));
    if (has("--log-registry"))
        return logRegistry();
    const std::string& to = given["--to"];
    if (to.empty())
        return peerapp::fail(kZZ, "--to is missing");
    if (has("--send-view"))
        return sendView(given["--send-view"], to,
                        has("--size") ? std::stoul(given["--size"]) : std::size_t(1048576));
    if (has("--send-response"))
        return sendResponse(given["--send-response"], to);
    return sendRequest(to);
}

int logCorvanaAnswer(const std::string& text, const std::string& logPath)
{
    registerZZClasses();
    auto url = pf::URL::create(text);
    std::string type;
    if (url && url->query())
        pf::forEachQueryPiece(*url->query(), [&](std::string_view name, std::string_view value) {
            if (name == "kPastboardType")
                type = value;
        });
    auto data = type.empty() ? std::nullopt : pf::Pasteboard::general()->dataForPasteboardType(type);
    auto response = data ? CorvanaMessageParse::unpack(*data).objectAs<CorvanaApiResp>() : nullptr;
    std::string line = response && response->objReq()
        ? "answer seq=" + std::to_string(response->objReq()->nSeq()) + " ret=" + std::to_string(response->nRetCode())
        : "answer unreadable";
    if (!logPath.empty())
        std::ofstream(logPath, std::ios::app) << line << "\n";
    std::printf("zzapp: plaza read %s\n", line.c_str());
    return 0;
}

}
