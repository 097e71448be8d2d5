// Links: voxly_sdk natter_sdk
// Hands arbitrary text to both SDKs as a URL another app opened, and to the
// Voxly query helpers and the web dialog's redirect detector. Nothing may crash or leak; with no request sent, the
// Voxly delegate never hears of an answer; the Natter delegate hears only
// of authorisation callbacks (no record waits on the boards); URLs over
// 64 KiB are not taken.
#include "platform/foundation/Collections.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/URL.h"
#include "platform/net/CookieStore.h"
#include "sdk/natter/NTApi.h"
#include "sdk/voxly/VXBaseRequest.h"
#include "sdk/voxly/VXAuthorizeWebView.h"
#include "sdk/voxly/VXBaseResponse.h"
#include "sdk/voxly/VoxlySDK.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

class Voxly final : public VoxlySDKDelegate {
public:
    void didReceiveVoxlyRequest(const std::shared_ptr<VXBaseRequest>&) override {}
    void didReceiveVoxlyResponse(const std::shared_ptr<VXBaseResponse>&) override { std::abort(); }
};

class Natter final : public NTApiDelegate {
public:
    void onReq(const std::shared_ptr<BaseReq>&) override { ++calls; }
    void onResp(const std::shared_ptr<BaseResp>&) override { ++calls; }
    int calls = 0;
};

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string natterID = "nt6f2c91d04ab37e58";
    static bool ready = [] {
        pf::setLogLevel(pf::LogLevel::Error);
        std::string dir = "/tmp/zmr-peer-url-fuzz-" + std::to_string(getpid());
        setenv("ZMR_DEVICE_DIR", dir.c_str(), 1);
        std::atexit([] { std::filesystem::remove_all(std::getenv("ZMR_DEVICE_DIR")); });
        VoxlySDK::registerApp(std::string("2871042569"));
        NTApi::registerApp(natterID);
        return true;
    }();
    (void)ready;
    static auto voxly = std::make_shared<Voxly>();
    static auto natter = std::make_shared<Natter>();
    std::string text(reinterpret_cast<const char*>(data), size);
    VoxlySDK::queryValueWithName("id", text);
    VoxlySDK::queryValueWithName(text.substr(0, 8), text);
    VoxlySDK::queryDictionaryOfURLQuery(text);
    // An answer only ever comes from the redirect page itself.
    static const std::string redirect = "https://app.test/voxly/done";
    if (VXAuthorizeWebView::outcomeOfNavigation(text, redirect)
        && pf::CookieStore::originOfURL(text) != std::optional<std::string>("https://app.test:443"))
        std::abort();
    auto url = pf::URL::create(text);
    if (!url)
        return 0;
    std::string absolute = url->absoluteString();
    bool voxlyTook = VoxlySDK::handleOpenURL(*url, voxly);
    natter->calls = 0;
    bool natterTook = NTApi::handleOpenURL(*url, natter);
    if (absolute.size() > VoxlySDK::kMaxURLLength && (voxlyTook || natterTook))
        std::abort();
    if (natter->calls && absolute.rfind(natterID + "://timeline/auth/", 0) != 0)
        std::abort();
    return 0;
}
