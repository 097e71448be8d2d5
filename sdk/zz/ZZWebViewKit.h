#pragma once

// The web share flow's answer: a page of the ZZ authorisation host calls
// back into this application's "corvana<app id>" scheme with "action" and
// "result" after "?#". This class recognises such a URL and turns it into a
// result message of type 6. Any URL is someone else's input: every value
// is type-checked, and a "complete" without a readable answer counts as an
// unknown error, never as success.
//
// The one instance also watches an SDK web view kit (CVWebViewKit.h): when
// its page reaches the share answer the kit is closed. Nothing in this
// system sets the kit or the timer, so openWebKit() does nothing until
// something does.
//
// Main queue only.

#include "platform/foundation/URL.h"
#include "platform/foundation/RunLoop.h"
#include "platform/foundation/Value.h"
#include "sdk/zz/CVWebViewKit.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

class ZZApiMessage;

class ZZWebViewKit final : public CVWebViewKitDelegate {
public:
    // Made on first use, never released.
    static const std::shared_ptr<ZZWebViewKit>& instance();

    const pf::TimerRef& timer() const { return m_timer; }
    void setTimer(pf::TimerRef timer) { m_timer = std::move(timer); }
    const std::shared_ptr<CVWebViewKit>& webViewKit() const { return m_webViewKit; }
    void setWebViewKit(std::shared_ptr<CVWebViewKit> kit) { m_webViewKit = std::move(kit); }
    // Stops and drops the timer, then opens the kit when there is one.
    void openWebKit();

    // CVWebViewKitDelegate. A navigation of this application's web share
    // answer ("corvana<app id>", the plugin scheme or the app id, and the
    // authorisation host) whose "action" is "shareToZZ" closes the kit;
    // every navigation may go on.
    bool webViewKitShouldStartLoadWithRequest(CVWebViewKit& kit, const std::string& url) override;

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

private:
    pf::TimerRef m_timer;
    std::shared_ptr<CVWebViewKit> m_webViewKit;
};
