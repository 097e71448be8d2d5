#pragma once

// The second transport of the ZZ and Plaza apps: they send the application
// a request (asking it for content) as a URL naming a general-board type,
// and take its answer back the same way. Packed messages are archives whose
// key "object" holds a CorvanaApiReq or CorvanaApiResp; the board type is
// the MD5 of the application's bundle identifier ("kCorvanaApiPastBoard"
// without one). Boards are written by other apps: reads cap at 16 MiB,
// decode only the request, response and content classes, and a message is
// taken off the board only once it decoded as one of the two.
//
// Platforms: 0 ZZ, 1 Plaza. Main queue only.

#include "platform/foundation/Object.h"

#include <optional>
#include <string>

class CorvanaApiReq;
class CorvanaApiResp;
class CorvanaUrlDecoder;
namespace pf {
class URL;
}

class CorvanaApiInterfaceDelegate {
public:
    virtual ~CorvanaApiInterfaceDelegate() = default;
    // True when the application handles the request.
    virtual bool onCorvanaReq(const std::shared_ptr<CorvanaApiReq>& request) = 0;
    virtual void onCorvanaResp(const std::shared_ptr<CorvanaApiResp>& response) = 0;
};

class CorvanaMessagePack {
public:
    static constexpr std::size_t kMaxMessageSize = 10485760;
    // The general-board type of this application's messages.
    static std::string messagePasteboardType();
    // Puts the data on the general board under the message type.
    static void packCorvanaReqMessage(const pf::Bytes& data, const std::optional<std::string>& appId);
    // The same, then for Plaza (1) the URL that tells it where to look;
    // nothing for any other platform.
    static std::optional<pf::URL> packCorvanaRespMessage(const pf::Bytes& data, int platform);
    // The packed archive of a request or response; nothing for anything else.
    static std::optional<pf::Bytes> dataWithCorvanaReqMessage(const pf::Value& message);
    // Every content object of the request (the response's request) passes
    // its own check; an empty or missing list is valid.
    static bool messageVaild(const pf::Value& message);
};

class CorvanaMessageParse {
public:
    static constexpr std::size_t kMaxMessageSize = 16u << 20;
    // The request or response an incoming URL points at, or nil.
    static pf::Value parseCorvanaMessage(const pf::URL& url);
    static std::shared_ptr<CorvanaApiReq> getReqFromUrl(const CorvanaUrlDecoder& decoder);
    static std::shared_ptr<CorvanaApiResp> getRespFromUrl(const CorvanaUrlDecoder& decoder);
    // A request or response from packed bytes; nil otherwise.
    static pf::Value unpack(const pf::Bytes& data);
};

class CorvanaApiInterface {
public:
    // -1 no response; 0 not for Plaza (nothing sent) or opened; 1 Plaza not
    // installed; 2 Plaza cannot take answers; 3 invalid or over
    // kMaxMessageSize once packed; 4 the open was refused.
    static int sendRespMessageToCorvanaApp(const std::shared_ptr<CorvanaApiResp>& response);
    static int sendRespMessaageToThirdApp(const std::shared_ptr<CorvanaApiResp>&, const std::string&) { return 2; }
    // A request is offered to the delegate; one it declines is answered
    // with nRetCode -1. True for a request, false for a response or nothing.
    static bool handleOpenURL(const pf::URL& url, const std::shared_ptr<CorvanaApiInterfaceDelegate>& delegate);
    // Whether the URL is a Corvana request or answer for this application.
    static bool canOpenURL(const pf::URL& url);
    static std::optional<std::string> getCorvanaAppInstallUrl(int) { return std::nullopt; }
    static bool installIphonePlaza();
    static bool iphonePlazaSupportApi();
    static void openThirdApp(const std::string& appId);
    static void registApp(const std::string&) {}
    static bool isCorvanaAppInstall(int platform);
    static bool isCorvanaAppSupportCorvanaApi(int platform);
};
