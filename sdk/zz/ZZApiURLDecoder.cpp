#include "sdk/zz/ZZApiURLDecoder.h"

#include "platform/foundation/URL.h"
#include "platform/foundation/Collections.h"
#include "sdk/zz/URLTools.h"

std::optional<ZZApiURLDecoder> ZZApiURLDecoder::decoderWithUrl(const pf::URL* url)
{
    if (!url)
        return std::nullopt;
    ZZApiURLDecoder decoder;
    decoder.scheme = url->scheme();
    decoder.host = url->host();
    decoder.path = url->path();
    decoder.queryItem = pf::parseQuery(url->query().value_or(std::string()), kUndecodedPairs);
    return decoder;
}

std::optional<pf::URL> ZZApiURLEncoder::urlWithScheme(const std::optional<std::string>& scheme,
                                                      const std::optional<std::string>& host,
                                                      const std::optional<std::string>& path,
                                                      const std::vector<std::pair<std::string, std::string>>& queryItem)
{
    if (!scheme)
        return std::nullopt;
    std::string text = *scheme + "://" + host.value_or("") + path.value_or("");
    if (!queryItem.empty()) {
        text += "?";
        for (const auto& [name, value] : queryItem)
            text += name + "=" + value + "&";
        text.pop_back();
    }
    return pf::URL::create(text);
}
