// Links: zz_sdk
// What the in-app login page can navigate to or hand back: the navigation
// guard, the browser answer and the query parsers. A token is only ever
// taken from the login redirect at the start of a URL, and a browser answer
// with no login in flight is refused. No page loader is installed, so the
// page window never loads anything.
#include "FontLeakSuppressions.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "sdk/zz/CVLoginViewKit.h"
#include "sdk/zz/URLExtend.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    for (const auto& params : { CVLoginViewKit::parseURLParams(text), dictionaryByParseUrlFromSeparator(text, "?") }) {
        if (!params)
            continue;
        for (const auto& key : params->keys())
            if (!pf::isValidUtf8(params->get(key).stringOr()))
                std::abort();
    }
    std::string encoded = stringByEncodeUrl(text);
    if (encoded.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-._~%") != std::string::npos)
        std::abort();

    // No serial: the browser switch fails before opening anything.
    auto kit = CVLoginViewKit::create("101452831", std::string("www.zz.example"), { "all" }, {});
    kit->webViewKitShouldStartLoadWithRequest(*kit, text);
    if (kit->accessToken() && !text.starts_with("auth://www.zz.example"))
        std::abort();
    if (auto url = pf::URL::create(text); url && kit->handleOpenURL(*url))
        std::abort();
    kit->doCloseWithNotAnimation();
    return 0;
}
