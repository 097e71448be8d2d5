#pragma once

// The parts of a URL from or to ZZ as they are: scheme, host, the path with
// its leading "/", and the query split at "&" and each part at its first
// "=" (parts without one skipped, values not unescaped, a later name
// overwriting an earlier one). One thread at a time.

#include "platform/foundation/Forward.h"

#include <optional>
#include <string>
#include <vector>

class ZZApiURLDecoder {
public:
    static std::optional<ZZApiURLDecoder> decoderWithUrl(const pf::URL* url);
    std::string scheme;
    std::string host;
    std::string path;
    pf::DictionaryRef queryItem; // never null
};

class ZZApiURLEncoder {
public:
    // scheme "://" host path, then "?" and "name=value" pairs in order,
    // joined by "&", values as they are (no escaping); nothing without a
    // scheme or when the text is no URL.
    static std::optional<pf::URL> urlWithScheme(const std::optional<std::string>& scheme,
                                                const std::optional<std::string>& host,
                                                const std::optional<std::string>& path,
                                                const std::vector<std::pair<std::string, std::string>>& queryItem);
};
