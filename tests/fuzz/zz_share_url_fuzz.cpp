// Links: zz_sdk
// Reads arbitrary bytes as what ZZ sends back: the text up to the first
// line break as an incoming URL (and as the fragment of a web share result
// on the application's own scheme), the rest as the large-data board's
// bytes, and the whole input as an online-status answer. Nothing may crash;
// a recognised web share result is a type-6 message whose result always
// carries an error code; the status answer only names the asked numbers,
// with "YES" or "NO". The whole input is also read as a picture header, as
// a preview's size is judged before decoding.
#include "platform/foundation/Collections.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Pasteboard.h"
#include "platform/graphics/ImageCodec.h"
#include "sdk/zz/ZZApiDatastore.h"
#include "sdk/zz/ZZApiMessage.h"
#include "sdk/zz/ZZApiMessageAndUrlConverter.h"
#include "sdk/zz/ZZOpenApiUtility.h"
#include "sdk/zz/ZZWebViewKit.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool prepared = [] {
        pf::setLogLevel(pf::LogLevel::Error);
        char pattern[] = "/tmp/zz-share-url-fuzz-XXXXXX";
        if (!mkdtemp(pattern))
            std::abort();
        setenv("ZMR_DEVICE_DIR", pattern, 1);
        static std::string folder = pattern;
        std::atexit([] { std::filesystem::remove_all(folder); });
        ZZApiDatastore::instance().setAppId(std::string("101452831"));
        return true;
    }();
    (void)prepared;
    std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t lineEnd = input.find('\n');
    std::string line = input.substr(0, lineEnd);
    pf::Bytes large;
    if (lineEnd != std::string::npos)
        large.assign(input.begin() + std::ptrdiff_t(lineEnd) + 1, input.end());
    pf::Pasteboard::withName(ZZApiDatastore::kLargeDataBoard, true)->setData(large, ZZApiDatastore::kLargeDataBoard);

    if (auto url = pf::URL::create(line))
        (void)ZZApiMessageAndUrlConverter::messageWithUrl(&*url);
    if (auto url = pf::URL::create("corvana101452831://openmobile.zz.example/share?#" + line)) {
        if (auto message = ZZWebViewKit::messageWithSafariUrl(&*url)) {
            auto result = std::dynamic_pointer_cast<ZZApiResultObject>(message->object());
            if (message->type() != 6 || !result || !result->error())
                std::abort();
        }
    }

    (void)pf::imagePixelSize(data, size);

    std::vector<std::string> uins = {"10001", "10002"};
    auto statuses = ZZOpenApiUtility::dictionaryWithReturnString(input, uins);
    for (const auto& [key, value] : *statuses) {
        if ((key != "10001" && key != "10002") || (value != pf::Value("YES") && value != pf::Value("NO")))
            std::abort();
    }
    return 0;
}
