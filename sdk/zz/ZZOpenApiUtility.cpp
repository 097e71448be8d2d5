#include "sdk/zz/ZZOpenApiUtility.h"

#include "framework/util/KRBASE64Decode.h"
#include "platform/foundation/Text.h"
#include "platform/foundation/URL.h"
#include "platform/ui/Application.h"
#include "platform/foundation/Collections.h"
#include "sdk/zz/CVOSDKServers.h"
#include "sdk/zz/URLTools.h"
#include "sdk/zz/ZZApiLog.h"

#include <algorithm>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

bool isDigit(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

}

bool ZZOpenApiUtility::canOpenURL(const std::optional<pf::URL>& url)
{
    return url && pf::Application::shared().canOpenURL(*url);
}

int ZZOpenApiUtility::openURL(const std::optional<pf::URL>& url)
{
    if (!url)
        return -1;
    if (!canOpenURL(url)) {
        ZZApiLog(__FILE__, __LINE__, "unable to open url:%s", url->absoluteString().c_str());
        return -1;
    }
    return pf::Application::shared().openURL(*url) ? 0 : -1;
}

std::optional<std::string> ZZOpenApiUtility::base64EncodedStringWithData(const std::optional<pf::Bytes>& data)
{
    if (!data)
        return std::nullopt;
    std::string out;
    out.reserve((data->size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= data->size(); i += 3) {
        unsigned v = ((*data)[i] << 16) | ((*data)[i + 1] << 8) | (*data)[i + 2];
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += kAlphabet[(v >> 6) & 63];
        out += kAlphabet[v & 63];
    }
    if (std::size_t rest = data->size() - i) {
        unsigned v = (*data)[i] << 16 | (rest == 2 ? (*data)[i + 1] << 8 : 0);
        out += kAlphabet[v >> 18];
        out += kAlphabet[(v >> 12) & 63];
        out += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

std::optional<std::string> ZZOpenApiUtility::base64EncodedStringWithUTF8String(const std::optional<std::string>& text)
{
    if (!text)
        return std::nullopt;
    return base64EncodedStringWithData(pf::Bytes(text->begin(), text->end()));
}

std::optional<pf::Bytes> ZZOpenApiUtility::dataWithBase64EncodedString(const std::optional<std::string>& text)
{
    if (!text)
        return std::nullopt;
    std::string kept;
    kept.reserve(text->size());
    for (unsigned char c : *text)
        if (c == '=' || isDigit(c))
            kept += static_cast<char>(c);
    if (kept.empty() || kept.size() % 4 != 0)
        return std::nullopt;
    // Padding counts only at the very end ("=" one byte less, "==" two); an
    // "=" anywhere else reads as a zero digit, as the strict decoder would
    // refuse it.
    std::size_t padding = kept.ends_with("==") ? 2 : kept.ends_with('=') ? 1 : 0;
    std::replace(kept.begin(), kept.end() - static_cast<std::ptrdiff_t>(padding), '=', 'A');
    return krBASE64Decode(kept);
}

std::optional<std::string> ZZOpenApiUtility::UTF8StringWithBase64String(const std::optional<std::string>& text)
{
    auto data = dataWithBase64EncodedString(text);
    if (!data)
        return std::nullopt;
    std::string decoded(data->begin(), data->end());
    if (!pf::isValidUtf8(decoded))
        return std::nullopt;
    return decoded;
}

std::string ZZOpenApiUtility::urlStringWithZZUinsArray(const std::vector<std::string>& uins)
{
    std::string url = CVOSDKServers::url(CVOSDKServers::Row::OnlineStatus, "/getonline?Type=1&");
    for (const std::string& uin : uins)
        url += URLTools::escape(uin) + ":";
    return url;
}

pf::DictionaryRef ZZOpenApiUtility::dictionaryWithReturnString(std::string_view text, const std::vector<std::string>& uins)
{
    auto statuses = pf::Dictionary::create();
    std::vector<std::string_view> pieces;
    for (std::size_t start = 0;;) {
        std::size_t end = text.find(';', start);
        pieces.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    for (std::size_t i = 0; i + 1 < pieces.size() && i < uins.size(); i++) {
        if (pieces[i].size() < 10)
            continue;
        std::string_view value = pieces[i].substr(10);
        if (value == "1")
            statuses->set(uins[i], "YES");
        else if (value == "0")
            statuses->set(uins[i], "NO");
    }
    return statuses;
}
