// Links: zz_sdk pf_web
// Needs: zz_bundle_resources
// An answer of the ZZ or Plaza app while a login is pending, reaching a
// session that runs the SDK's real scripts: the first bytes (up to a NUL) are
// the URL, the rest the slot's contents. The scripts hand app answers to the
// app switch, which must never hand one back to them: entering the app switch
// again from inside it would go round until the stack runs out.
#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileSystem.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Pasteboard.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/script/ScriptContext.h"
#include "ZZAnswerSlot.h"
#include "sdk/zz/CorvanaOAuth.h"
#include "sdk/zz/OpenApi.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace {

// Counts how deep the scripts are in the app switch's entry.
const char* const kReentryWatch = R"JS(
(function () {
    var o = window.oauth, f = o.jsCallHandleOpenUrlByOpenApi;
    window.depth = 0;
    window.deepest = 0;
    o.jsCallHandleOpenUrlByOpenApi = function (a) {
        window.deepest = Math.max(window.deepest, ++window.depth);
        try { return f.call(o, a); } finally { window.depth--; }
    };
})()
)JS";

std::shared_ptr<CorvanaOAuth> startSession()
{
    pf::setLogLevel(pf::LogLevel::Error);
    char pattern[] = "/tmp/zz_app_answer_scripts_fuzz-XXXXXX";
    if (!mkdtemp(pattern))
        std::abort();
    static std::string folder = pattern;
    std::atexit([] { std::filesystem::remove_all(folder); });
    setenv("ZMR_DEVICE_DIR", (folder + "/device").c_str(), 1);
    pf::setHomeDirectory(folder + "/home");
    pf::UserDefaults::resetStandard();
    pf::Bundle::setMain(std::make_shared<pf::Bundle>(ZMR_BUILT_RESOURCES));
    static auto session = CorvanaOAuth::initWithAppId("101452831", std::weak_ptr<CorvanaSessionDelegate>());
    if (!session || !session->webView())
        std::abort();
    session->webView()->scriptContext()->setConsoleSink([](const std::string&) {});
    session->webView()->stringByEvaluatingJavaScriptFromString(kReentryWatch);
    return session;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static std::shared_ptr<CorvanaOAuth> session = startSession();
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t nul = input.find('\0');
    std::string_view urlText = input.substr(0, nul);
    std::string_view slotBytes = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);

    auto slot = fillAnswerSlot(slotBytes);
    if (!slot)
        return 0;
    if (auto url = pf::URL::create(urlText)) {
        CorvanaOAuth::HandleOpenURL(*url);
        session->handleOpenURL(*url);
    }
    auto& web = *session->webView();
    if (web.stringByEvaluatingJavaScriptFromString("window.deepest") != "0"
        && web.stringByEvaluatingJavaScriptFromString("window.deepest") != "1")
        std::abort();
    web.stringByEvaluatingJavaScriptFromString("window.deepest = 0");
    pf::Pasteboard::removePasteboardWithName(*slot);
    return 0;
}
