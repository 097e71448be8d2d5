#include "sdk/zz/ZZApiURLDecoder.h"

#include "platform/foundation/URL.h"
#include "sdk/zz/CorvanaApiUtil.h"

std::optional<ZZApiURLDecoder> ZZApiURLDecoder::decoderWithUrl(const pf::URL* url)
{
    if (!url)
        return std::nullopt;
    ZZApiURLDecoder decoder;
    decoder.scheme = url->scheme();
    decoder.host = url->host();
    decoder.path = url->path();
    if (url->query())
        decoder.queryItem = splitURLQuery(*url->query());
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
