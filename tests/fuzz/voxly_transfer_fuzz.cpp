// Links: voxly_sdk
// Hands arbitrary bytes to the Voxly SDK as the items of a message board,
// as any process may write them, and reads them back as a request and as a
// response. The input is up to four parts separated by "\n--\n": the
// "transferObject", "app", "userInfo" and "sdkVersion" values. Nothing may
// crash or leak; whatever reads as a message carries the identifier asked
// for, is of the class asked for or below it, checks without failing hard,
// and its dictionary form reads back to the same form.
#include "platform/foundation/Collections.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Pasteboard.h"
#include "sdk/voxly/VXBaseRequest.h"
#include "sdk/voxly/VXBaseResponse.h"
#include "sdk/voxly/VoxlySDK.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

std::vector<pf::Bytes> split(const std::uint8_t* data, std::size_t size)
{
    static const std::string separator = "\n--\n";
    std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<pf::Bytes> parts;
    std::size_t start = 0;
    while (parts.size() < 3) {
        auto at = text.find(separator, start);
        if (at == std::string::npos)
            break;
        parts.emplace_back(text.begin() + start, text.begin() + at);
        start = at + separator.size();
    }
    parts.emplace_back(text.begin() + start, text.end());
    return parts;
}

void check(const std::shared_ptr<VXDataTransferObject>& object, const char* base)
{
    if (!object)
        return;
    if (object->objectID() != std::optional<std::string>("FUZZ"))
        std::abort();
    if (!vxMakeTransferObject(object->className(), base))
        std::abort();
    object->validateAfterReceive();
    auto form = object->dictionary();
    auto again = std::string(base) == "VXBaseRequest" ? std::shared_ptr<VXDataTransferObject>(VXBaseRequest::mappedObjectWithDictionary(*form))
                                                       : std::shared_ptr<VXDataTransferObject>(VXBaseResponse::mappedObjectWithDictionary(*form));
    if (!again || !(*again->dictionary() == *form))
        std::abort();
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = [] {
        pf::setLogLevel(pf::LogLevel::Error);
        std::string dir = "/tmp/zmr-voxly-fuzz-" + std::to_string(getpid());
        setenv("ZMR_DEVICE_DIR", dir.c_str(), 1);
        std::atexit([] { std::filesystem::remove_all(std::getenv("ZMR_DEVICE_DIR")); });
        return true;
    }();
    (void)ready;
    static const char* types[] = {"transferObject", "app", "userInfo", "sdkVersion"};
    auto parts = split(data, size);
    std::vector<pf::Pasteboard::Item> items;
    for (std::size_t i = 0; i < parts.size(); ++i)
        items.push_back({{types[i], parts[i]}});
    for (const char* type : {"request", "response"})
        pf::Pasteboard::withName(VXDataTransferObject::pasteboardNameWithID(type, "FUZZ"), true)->setItems(items);
    check(VXBaseRequest::objectFromPasteboardWithID("FUZZ", "2.2"), "VXBaseRequest");
    check(VXBaseResponse::objectFromPasteboardWithID("FUZZ", "2.2"), "VXBaseResponse");
    return 0;
}
