// The peer transports against bare libplist: a Natter picture share (1 MB
// JPEG) written through AppCommunicate and read back as Natter reads it,
// against writing and reading the same dictionaries with libplist in the
// same two board files (the board layout peers read, emptied the same way);
// a Voxly authorisation request written to its board and read back, against
// the same items as one libplist file. The bare sides keep the boards' file
// discipline (temporary file, fsync, rename), since peers in other
// processes must never see half a board.
#include "platform/foundation/Collections.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/Pasteboard.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageCodec.h"
#include "sdk/natter/AppCommunicate.h"
#include "sdk/natter/AppCommunicateData.h"
#include "sdk/natter/NTMediaMessage.h"
#include "sdk/natter/NTReqResp.h"
#include "sdk/voxly/VXBaseRequest.h"
#include "sdk/voxly/VoxlySDK.h"
#include "sdk/voxly/VoxlySDK3rdApp.h"

#include <benchmark/benchmark.h>
#include <plist/plist.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <vector>
#include <unistd.h>

namespace {

const char* kAppID = "nt6f2c91d04ab37e58";

struct Device {
    Device()
    {
        char pattern[] = "/tmp/zmr-peer-bench-XXXXXX";
        root = mkdtemp(pattern);
        setenv("ZMR_DEVICE_DIR", root.c_str(), 1);
    }
    ~Device() { std::filesystem::remove_all(root); }
    std::string root;
};

Device& device()
{
    static Device d;
    return d;
}

pf::Bytes pictureBytes()
{
    // Noise keeps the JPEG near 1 MB.
    std::vector<std::uint8_t> rgba(800 * 600 * 4);
    std::mt19937 random(7);
    for (std::size_t i = 0; i < rgba.size(); ++i)
        rgba[i] = i % 4 == 3 ? 255 : static_cast<std::uint8_t>(random());
    auto bitmap = *pf::Bitmap::fromRgba(800, 600, rgba.data(), 800 * 4);
    return *pf::encodeJpeg(*bitmap, 0.95);
}

std::shared_ptr<SendMessageToNTReq> pictureShare(const pf::Bytes& jpeg)
{
    auto message = NTMediaMessage::message();
    message->title = "Zomaru";
    message->description = "a purchase worth sharing";
    message->thumbData = *pf::encodeJpeg(**pf::Bitmap::create(160, 120), 0.6);
    auto image = NTImageObject::object();
    image->imageData = jpeg;
    message->mediaObject = image;
    auto request = std::make_shared<SendMessageToNTReq>();
    request->message = message;
    request->scene = 1;
    return request;
}

void writeDurably(const std::string& path, const char* bytes, std::size_t length)
{
    std::string temporary = path + ".tmp";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, bytes, length) != static_cast<ssize_t>(length) || fsync(fd) != 0)
        std::abort();
    ::close(fd);
    std::rename(temporary.c_str(), path.c_str());
}

std::string readAll(const std::string& path)
{
    std::string out;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        char buffer[1 << 16];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            out.append(buffer, n);
        std::fclose(file);
    }
    return out;
}

// A board file as peers read it: the persistence flag and one item holding
// `data` under "content".
void writeBoardDurably(const std::string& path, const char* data, std::size_t length)
{
    plist_t board = plist_new_dict();
    plist_dict_set_item(board, "persistent", plist_new_bool(1));
    plist_t item = plist_new_array();
    plist_array_append_item(item, plist_new_string("content"));
    plist_array_append_item(item, plist_new_data(data, length));
    plist_t items = plist_new_array();
    plist_array_append_item(items, item);
    plist_dict_set_item(board, "items", items);
    char* bytes = nullptr;
    std::uint32_t size = 0;
    plist_to_bin(board, &bytes, &size);
    plist_free(board);
    writeDurably(path, bytes, size);
    plist_to_bin_free(bytes);
}

// The "content" of a board file, read back through libplist.
std::string readBoardContent(const std::string& path)
{
    std::string file = readAll(path);
    plist_t board = nullptr;
    plist_from_bin(file.data(), static_cast<std::uint32_t>(file.size()), &board);
    plist_t items = board ? plist_dict_get_item(board, "items") : nullptr;
    plist_t item = items ? plist_array_get_item(items, 0) : nullptr;
    plist_t data = item ? plist_array_get_item(item, 1) : nullptr;
    std::uint64_t length = 0;
    const char* bytes = data ? plist_get_data_ptr(data, &length) : nullptr;
    std::string out(bytes ? bytes : "", bytes ? length : 0);
    plist_free(board);
    return out;
}

void BM_NatterImageRecord(benchmark::State& state)
{
    device();
    auto request = pictureShare(pictureBytes());
    for (auto _ : state) {
        AppCommunicateData data;
        if (!data.ReqToData(*request) || !AppCommunicate::setAppCommunicateData(data, std::string(kAppID)))
            std::abort();
        auto read = AppCommunicate::appCommunicateDataForAppID(std::string(kAppID));
        auto message = read ? read->mediaMessage() : nullptr;
        if (!message)
            std::abort();
        benchmark::DoNotOptimize(message);
    }
}
BENCHMARK(BM_NatterImageRecord)->Unit(benchmark::kMillisecond);

void BM_Bare_NatterImageRecord(benchmark::State& state)
{
    device();
    pf::Bytes jpeg = pictureBytes();
    auto thumb = *pf::encodeJpeg(**pf::Bitmap::create(160, 120), 0.6);
    std::string dataPath = device().root + "/bare_natter_data", filePath = device().root + "/bare_natter_file";
    for (auto _ : state) {
        plist_t record = plist_new_dict();
        for (auto [key, value] : {std::pair{"command", "1010"}, {"returnFromApp", "0"}, {"result", "1"}, {"sdkver", "1.2"},
                                  {"objectType", "2"}, {"title", "Zomaru"}, {"description", "a purchase worth sharing"},
                                  {"scene", "1"}})
            plist_dict_set_item(record, key, plist_new_string(value));
        plist_dict_set_item(record, "thumbData", plist_new_data(reinterpret_cast<const char*>(thumb.data()), thumb.size()));
        plist_t all = plist_new_dict();
        plist_dict_set_item(all, kAppID, record);
        char* bytes = nullptr;
        std::uint32_t length = 0;
        plist_to_bin(all, &bytes, &length);
        writeBoardDurably(dataPath, bytes, length);
        plist_to_bin_free(bytes);
        plist_free(all);
        writeBoardDurably(filePath, reinterpret_cast<const char*>(jpeg.data()), jpeg.size());

        std::string data = readBoardContent(dataPath);
        plist_t back = nullptr;
        plist_from_bin(data.data(), static_cast<std::uint32_t>(data.size()), &back);
        plist_t mine = back ? plist_dict_get_item(back, kAppID) : nullptr;
        if (!mine || !plist_dict_get_item(mine, "title"))
            std::abort();
        plist_free(back);
        std::string file = readBoardContent(filePath);
        if (file.size() != jpeg.size())
            std::abort();
        // Emptied as the peers leave them: a board whose content is empty.
        writeBoardDurably(dataPath, "", 0);
        writeBoardDurably(filePath, "", 0);
        benchmark::DoNotOptimize(file);
    }
}
BENCHMARK(BM_Bare_NatterImageRecord)->Unit(benchmark::kMillisecond);

std::shared_ptr<VXAuthorizeRequest> authorizeRequest()
{
    VoxlySDK::registerApp(std::string("2871042569"));
    auto request = VXAuthorizeRequest::request();
    request->redirectURI = "http://127.0.0.1:8080/voxly/authorized";
    request->scope = "";
    request->setApp(VoxlySDK3rdApp::currentApp());
    return request;
}

void BM_VoxlyAuthorizeRoundTrip(benchmark::State& state)
{
    device();
    auto request = authorizeRequest();
    for (auto _ : state) {
        auto board = VoxlySDK::pasteboardWithName(request->pasteboardName(), true);
        board->setItems(request->transferObjectsForPasteboard(), true);
        auto back = VXBaseRequest::objectFromPasteboardWithID(*request->requestID(), "2.2");
        if (!back || !back->app())
            std::abort();
        benchmark::DoNotOptimize(back);
    }
}
BENCHMARK(BM_VoxlyAuthorizeRoundTrip)->Unit(benchmark::kMicrosecond);

void BM_Bare_VoxlyItems(benchmark::State& state)
{
    device();
    auto request = authorizeRequest();
    std::string path = device().root + "/bare_voxly";
    const auto& app = *request->app();
    for (auto _ : state) {
        plist_t object = plist_new_dict();
        plist_dict_set_item(object, "__class", plist_new_string("VXAuthorizeRequest"));
        plist_dict_set_item(object, "requestID", plist_new_string(request->requestID()->c_str()));
        plist_dict_set_item(object, "redirectURI", plist_new_string(request->redirectURI->c_str()));
        plist_dict_set_item(object, "scope", plist_new_string(""));
        plist_t appNode = plist_new_dict();
        plist_dict_set_item(appNode, "name", plist_new_string(app.name.value_or("").c_str()));
        plist_dict_set_item(appNode, "appKey", plist_new_string(app.appKey.value_or("").c_str()));
        plist_dict_set_item(appNode, "bundleID", plist_new_string(app.bundleID.value_or("").c_str()));
        if (app.iconData)
            plist_dict_set_item(appNode, "iconData", plist_new_data(reinterpret_cast<const char*>(app.iconData->data()), app.iconData->size()));
        plist_t root = plist_new_dict();
        plist_dict_set_item(root, "transferObject", object);
        plist_dict_set_item(root, "app", appNode);
        plist_dict_set_item(root, "sdkVersion", plist_new_string("2.2"));
        char* bytes = nullptr;
        std::uint32_t length = 0;
        plist_to_bin(root, &bytes, &length);
        writeDurably(path, bytes, length);
        plist_to_bin_free(bytes);
        plist_free(root);

        std::string data = readAll(path);
        plist_t back = nullptr;
        plist_from_bin(data.data(), static_cast<std::uint32_t>(data.size()), &back);
        plist_t item = back ? plist_dict_get_item(back, "transferObject") : nullptr;
        if (!item || !plist_dict_get_item(item, "requestID"))
            std::abort();
        plist_free(back);
    }
}
BENCHMARK(BM_Bare_VoxlyItems)->Unit(benchmark::kMicrosecond);

}

BENCHMARK_MAIN();
