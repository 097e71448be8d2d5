#pragma once

// Helpers of the Corvana app transport: the MD5 that names the message's
// board type, the application's URL schemes of one URL type, the answer
// URL's query, and the decoder of incoming Corvana URLs. Main queue.

#include "platform/foundation/Forward.h"

#include <optional>
#include <string>
#include <vector>

class CorvanaApiUtil {
public:
    // 32 lower-case hexadecimal digits of the text's UTF-8 bytes.
    static std::optional<std::string> md5(const std::optional<std::string>& text);
    // The "CFBundleURLSchemes" of the first "CFBundleURLTypes" entry of the
    // main bundle whose "CFBundleURLName" is `name`; nothing without one.
    static std::optional<std::vector<std::string>> scheme(const std::string& name);
    // base + "?" + key=value pairs in the dictionary's order joined by "&";
    // values are percent-escaped as UTF-8 (with "!*’();:&=+$,/?%#[]" too),
    // keys are not; a value that is not text contributes nothing after "=".
    static std::optional<std::string> GetURLWithParam(const std::optional<std::string>& base,
                                                      const pf::Dictionary& parameters);
};

// An incoming URL's parts as they are: the path without its leading "/"
// (nothing for a path shorter than two characters), the query split at "&"
// and each part at its first "=" (parts without one skipped, values not
// unescaped, a later name overwriting an earlier one).
class CorvanaUrlDecoder {
public:
    static std::optional<CorvanaUrlDecoder> decoderWithUrl(const pf::URL* url);
    std::string scheme;
    std::string host;
    std::optional<std::string> path;
    pf::DictionaryRef queryItem; // never null
};
