#pragma once

// The web share flow's answer: a page of the ZZ authorisation host calls
// back into this application's "corvana<app id>" scheme with "action" and
// "result" after "?#". This class recognises such a URL and turns it into a
// result message of type 6. Any URL is someone else's input: every value
// is type-checked, and a "complete" without a readable answer counts as an
// unknown error, never as success.
//
// Main queue only.

#include "platform/foundation/URL.h"
#include "platform/foundation/Value.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

class ZZApiMessage;

class ZZWebViewKit {
public:
    // Whether the URL holds "corvana<the datastore's app id>" and the
    // authorisation host's name; false for nothing or without an app id.
    static bool canHanleOpenUrlFromSafari(const pf::URL* url);
    // The type-6 message of a recognised URL whose "action" is "shareToZZ"
    // or "share"; its result object has error "-4" for "cancel", the
    // answer's "ret" and "msg" for "complete" (its "response", a JSON object
    // with a number or text "ret"), "-5" "unknown error" otherwise.
    static std::shared_ptr<ZZApiMessage> messageWithSafariUrl(const pf::URL* url);
    static pf::Value JSONValue(const std::optional<std::string>& text);
    // The "name=value" pairs after the first occurrence of the separator
    // (a whole string), percent-unescaped; pieces that do not split into
    // exactly two, have an empty name or do not unescape to UTF-8 are
    // skipped. Empty when the separator does not occur.
    static pf::DictionaryRef dictionaryByParseUrlFromSeparator(std::string_view text, std::string_view separator);
    static int shareToFriend() { return 1; }
    static bool isNewZZBrowserInstall();
    static bool isOldZZBrowserInstall();
};
