// Links: zz_sdk
// Pages' "CVWebViewKit://" calls on a kit with a page screen: only calls of
// the kit's own scheme are taken, and whatever they carry arrives as text.
#include "platform/foundation/Text.h"
#include "sdk/zz/CVWebViewKit.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static auto kit = [] {
        auto made = std::make_shared<CVWebViewKit>();
        made->getViewControllerWithUrl("http://127.0.0.1:9/", std::string("t"), {});
        return made;
    }();
    std::string url(reinterpret_cast<const char*>(data), size);
    std::string start = url.substr(0, 15);
    for (char& c : start)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    bool isCall = kit->handlePageCall(url);
    if (isCall != (start == "cvwebviewkit://"))
        std::abort();
    if (auto title = kit->webViewController()->title(); title && !pf::isValidUtf8(*title))
        std::abort();
    return 0;
}
