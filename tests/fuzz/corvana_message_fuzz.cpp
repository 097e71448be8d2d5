// Links: zz_sdk
// An incoming Corvana URL and the general-board bytes it points at, as the
// ZZ or Plaza app would leave them: the input's first line is the URL's
// query, the rest the board bytes. Nothing may crash; a message is taken
// off the board only when it decoded, and packing what was decoded reads
// back as the same kind.
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Pasteboard.h"
#include "platform/foundation/URL.h"
#include "sdk/zz/CorvanaApiInterface.h"
#include "sdk/zz/CorvanaApiReq.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

struct Declining : CorvanaApiInterfaceDelegate {
    bool onCorvanaReq(const std::shared_ptr<CorvanaApiReq>&) override { return false; }
    void onCorvanaResp(const std::shared_ptr<CorvanaApiResp>&) override { }
};

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool prepared = [] {
        pf::setLogLevel(pf::LogLevel::Error);
        char pattern[] = "/tmp/corvana-message-fuzz-XXXXXX";
        if (!mkdtemp(pattern))
            std::abort();
        setenv("ZMR_DEVICE_DIR", pattern, 1);
        static std::string folder = pattern;
        std::atexit([] { std::filesystem::remove_all(folder); });
        std::string bundle = std::string(pattern) + "/bundle";
        std::filesystem::create_directories(bundle);
        std::ofstream(bundle + "/Info.plist")
            << "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict><key>CFBundleIdentifier</key>"
               "<string>com.zomaru.app</string><key>CFBundleURLTypes</key><array><dict><key>CFBundleURLName</key>"
               "<string>corvanaApiIdentifier</string><key>CFBundleURLSchemes</key><array>"
               "<string>corvana101452831.content</string></array></dict></array></dict></plist>";
        pf::Bundle::setMain(std::make_shared<pf::Bundle>(bundle));
        return true;
    }();
    (void)prepared;
    static auto delegate = std::make_shared<Declining>();

    std::string input(reinterpret_cast<const char*>(data), size);
    auto newline = input.find('\n');
    std::string query = input.substr(0, newline);
    pf::Bytes board;
    if (newline != std::string::npos)
        board.assign(input.begin() + static_cast<long>(newline) + 1, input.end());

    pf::Value direct = CorvanaMessageParse::unpack(board);
    if (!direct.isNil()) {
        auto packed = CorvanaMessagePack::dataWithCorvanaReqMessage(direct);
        if (!packed)
            std::abort();
        pf::Value again = CorvanaMessageParse::unpack(*packed);
        if (again.objectAs<CorvanaApiReq>().operator bool() != direct.objectAs<CorvanaApiReq>().operator bool())
            std::abort();
    }

    std::string type = CorvanaMessagePack::messagePasteboardType();
    pf::Pasteboard::general()->setData(board, type);
    for (const char* path : { "kCorvanaReqContent", "kCorvanaRespContent" }) {
        auto url = pf::URL::create(std::string("corvana101452831.content://kTecentReqContent/") + path + "?" + query);
        if (!url)
            continue;
        CorvanaApiInterface::canOpenURL(*url);
        CorvanaApiInterface::handleOpenURL(*url, delegate);
    }
    // What did not decode stays on the board.
    if (direct.isNil() && pf::Pasteboard::general()->dataForPasteboardType(type) != board)
        std::abort();
    return 0;
}
