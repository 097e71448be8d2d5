// Links: zz_sdk
// An answer of the ZZ or Plaza app while a login is pending: the first bytes
// (up to a NUL) are the URL, the rest the slot's contents. Whatever comes,
// the session holds either no token or a whole login.
#include "ZZAnswerSlot.h"
#include "platform/foundation/Pasteboard.h"
#include "sdk/zz/CorvanaOAuth.h"
#include "sdk/zz/OpenApi.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static bool ready = [] {
        static std::string dir = "/tmp/zz_app_answer_fuzz." + std::to_string(getpid());
        setenv("ZMR_DEVICE_DIR", dir.c_str(), 1);
        std::atexit([] { std::filesystem::remove_all(dir); });
        return true;
    }();
    (void)ready;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t nul = input.find('\0');
    std::string_view urlText = input.substr(0, nul);
    std::string_view slotBytes = nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1);

    OpenApi::resetForTesting();
    auto session = std::make_shared<CorvanaOAuth>("101452831", std::weak_ptr<CorvanaSessionDelegate>());
    OpenApi::registerApp("101452831", session, session);
    auto slot = fillAnswerSlot(slotBytes);
    if (!slot)
        return 0;
    if (auto url = pf::URL::create(urlText)) {
        OpenApi::handleOpenURL(*url);
        OpenApi::processMessageCallByOAuth(*url, session);
    }
    if (session->accessToken().has_value() != session->openId().has_value()
        || session->accessToken().has_value() != session->expirationDate().has_value())
        std::abort();
    pf::Pasteboard::removePasteboardWithName(*slot);
    return 0;
}
