#include "sdk/zz/CorvanaApiUtil.h"

#include "framework/util/KRMD5String.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/URL.h"
#include "sdk/zz/URLTools.h"

#include <cctype>
#include <cstdio>
#include <cstring>

std::optional<std::string> CorvanaApiUtil::md5(const std::optional<std::string>& text)
{
    if (!text)
        return std::nullopt;
    std::string digest = krMD5String(std::string_view(*text));
    for (char& c : digest)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return digest;
}

std::optional<std::vector<std::string>> CorvanaApiUtil::scheme(const std::string& name)
{
    auto types = pf::Bundle::main()->infoDictionary()->array("CFBundleURLTypes");
    if (!types)
        return std::nullopt;
    for (const pf::Value& type : *types) {
        auto entry = type.dictionary();
        if (!entry || entry->string("CFBundleURLName") != name)
            continue;
        std::vector<std::string> schemes;
        if (auto list = entry->array("CFBundleURLSchemes"))
            for (const pf::Value& scheme : *list)
                if (auto text = scheme.string())
                    schemes.push_back(*text);
        return schemes;
    }
    return std::nullopt;
}

std::optional<std::string> CorvanaApiUtil::GetURLWithParam(const std::optional<std::string>& base,
                                                           const pf::Dictionary& parameters)
{
    if (!base)
        return std::nullopt;
    static const std::string kEscapedToo = "!*();:&=+$,/?%#[]";
    auto legal = [](unsigned char c) {
        return c > 0x20 && c < 0x7F && !std::strchr("\"<>\\^`{|}", c) && kEscapedToo.find(static_cast<char>(c)) == std::string::npos;
    };
    std::string url = *base + "?";
    bool first = true;
    for (const auto& [key, value] : parameters) {
        if (!first)
            url += "&";
        first = false;
        url += key + "=";
        if (const std::string* text = value.string()) {
            for (unsigned char c : *text) {
                if (legal(c)) {
                    url += static_cast<char>(c);
                } else {
                    char escape[4];
                    std::snprintf(escape, sizeof escape, "%%%02X", c);
                    url += escape;
                }
            }
        }
    }
    return url;
}

std::optional<CorvanaUrlDecoder> CorvanaUrlDecoder::decoderWithUrl(const pf::URL* url)
{
    if (!url)
        return std::nullopt;
    CorvanaUrlDecoder decoder;
    decoder.scheme = url->scheme();
    decoder.host = url->host();
    std::string path = url->path();
    if (path.size() >= 2)
        decoder.path = path.substr(1);
    decoder.queryItem = pf::parseQuery(url->query().value_or(std::string()), kUndecodedPairs);
    return decoder;
}
