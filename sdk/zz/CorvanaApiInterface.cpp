#include "sdk/zz/CorvanaApiInterface.h"

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Collections.h"
#include "platform/foundation/KeyedArchiver.h"
#include "platform/foundation/Pasteboard.h"
#include "platform/foundation/URL.h"
#include "platform/ui/Application.h"
#include "sdk/zz/CorvanaApiReq.h"
#include "sdk/zz/CorvanaApiUtil.h"
#include "sdk/zz/CorvanaMessageObj.h"
#include "sdk/zz/ZZArchive.h"
#include "sdk/zz/ZZPasteboard.h"

#include <algorithm>
#include <strings.h>

namespace {

constexpr const char* kHost = "kTecentReqContent";
constexpr const char* kReqPath = "kCorvanaReqContent";
constexpr const char* kRespPath = "kCorvanaRespContent";
constexpr const char* kPlazaApiScheme = "corvanaapi.plaza.reqContent";
constexpr const char* kZZApiScheme = "corvanaapi.zz.reqContent";

bool canOpen(const std::string& text)
{
    auto url = pf::URL::create(text);
    return url && pf::Application::shared().canOpenURL(*url);
}

bool isOwnScheme(const std::string& scheme)
{
    auto schemes = CorvanaApiUtil::scheme("corvanaApiIdentifier");
    return schemes && std::any_of(schemes->begin(), schemes->end(), [&](const std::string& own) {
               return strcasecmp(own.c_str(), scheme.c_str()) == 0;
           });
}

std::shared_ptr<CorvanaApiReq> requestOf(const pf::Value& message)
{
    if (auto request = message.objectAs<CorvanaApiReq>())
        return request;
    if (auto response = message.objectAs<CorvanaApiResp>())
        return response->objReq();
    return nullptr;
}

// Takes the packed message of `type` off the general board in one locked
// step; it stays there unless it decoded.
pf::Value takeMessage(const std::string& type)
{
    return ZZPasteboard::takeDecoded(*pf::Pasteboard::general(), type, CorvanaMessageParse::kMaxMessageSize,
                                     CorvanaMessageParse::unpack);
}

}

std::string CorvanaMessagePack::messagePasteboardType()
{
    auto identifier = pf::Bundle::main()->infoDictionary()->string("CFBundleIdentifier");
    return *CorvanaApiUtil::md5(identifier && !identifier->empty() ? identifier : std::string("kCorvanaApiPastBoard"));
}

void CorvanaMessagePack::packCorvanaReqMessage(const pf::Bytes& data, const std::optional<std::string>&)
{
    pf::Pasteboard::general()->setData(data, messagePasteboardType());
}

std::optional<pf::URL> CorvanaMessagePack::packCorvanaRespMessage(const pf::Bytes& data, int platform)
{
    auto general = pf::Pasteboard::general();
    std::string type = messagePasteboardType();
    general->setData(data, type);
    if (platform != 1)
        return std::nullopt;
    pf::Dictionary query({ { "kPastboardName", general->name() }, { "kPastboardType", type } });
    auto text = CorvanaApiUtil::GetURLWithParam(std::string(kPlazaApiScheme) + "://" + kHost + "/" + kRespPath, query);
    return text ? pf::URL::create(*text) : std::nullopt;
}

std::optional<pf::Bytes> CorvanaMessagePack::dataWithCorvanaReqMessage(const pf::Value& message)
{
    pf::DictionaryRef record;
    if (auto request = message.objectAs<CorvanaApiReq>())
        record = request->encode();
    else if (auto response = message.objectAs<CorvanaApiResp>())
        record = response->encode();
    if (!record)
        return std::nullopt;
    return pf::KeyedArchiver::archivedDataWithRootObject(pf::Value(pf::Dictionary::create({ { "object", record } })));
}

bool CorvanaMessagePack::messageVaild(const pf::Value& message)
{
    auto request = requestOf(message);
    if (!request)
        return true;
    return std::all_of(request->arrMessage().begin(), request->arrMessage().end(),
                       [](const auto& content) { return !content || content->isVaild(); });
}

pf::Value CorvanaMessageParse::unpack(const pf::Bytes& data)
{
    auto root = pf::KeyedUnarchiver::unarchiveObjectWithData(data, pf::KeyedUnarchiver::valueClasses(), kMaxMessageSize);
    auto packed = root ? root->dictionary() : nullptr;
    auto record = packed ? packed->dictionary("object") : nullptr;
    auto name = record ? record->string(ZZArchive::kClassKey) : std::nullopt;
    if (name == "CorvanaApiReq")
        return pf::Value(CorvanaApiReq::decode(*record));
    if (name == "CorvanaApiResp")
        return pf::Value(CorvanaApiResp::decode(*record));
    return {};
}

std::shared_ptr<CorvanaApiReq> CorvanaMessageParse::getReqFromUrl(const CorvanaUrlDecoder& decoder)
{
    auto type = decoder.queryItem->string("kPastboardType");
    return type ? takeMessage(*type).objectAs<CorvanaApiReq>() : nullptr;
}

std::shared_ptr<CorvanaApiResp> CorvanaMessageParse::getRespFromUrl(const CorvanaUrlDecoder& decoder)
{
    auto type = decoder.queryItem->string("kPastboardType");
    return type ? takeMessage(*type).objectAs<CorvanaApiResp>() : nullptr;
}

pf::Value CorvanaMessageParse::parseCorvanaMessage(const pf::URL& url)
{
    auto decoder = CorvanaUrlDecoder::decoderWithUrl(&url);
    if (!decoder || !isOwnScheme(decoder->scheme) || decoder->host != kHost || !decoder->path)
        return {};
    if (*decoder->path == kReqPath) {
        auto request = getReqFromUrl(*decoder);
        return request ? pf::Value(request) : pf::Value();
    }
    if (*decoder->path == kRespPath) {
        auto response = getRespFromUrl(*decoder);
        return response ? pf::Value(response) : pf::Value();
    }
    return {};
}

int CorvanaApiInterface::sendRespMessageToCorvanaApp(const std::shared_ptr<CorvanaApiResp>& response)
{
    if (!response)
        return -1;
    if (!response->objReq() || response->objReq()->nPlatform() != 1)
        return 0;
    if (!installIphonePlaza())
        return 1;
    if (!iphonePlazaSupportApi())
        return 2;
    pf::Value message(response);
    if (!CorvanaMessagePack::messageVaild(message))
        return 3;
    auto data = CorvanaMessagePack::dataWithCorvanaReqMessage(message);
    if (!data || data->size() > CorvanaMessagePack::kMaxMessageSize)
        return 3;
    auto url = CorvanaMessagePack::packCorvanaRespMessage(*data, 1);
    if (!url)
        return 4;
    return pf::Application::shared().openURL(*url) ? 0 : 4;
}

bool CorvanaApiInterface::handleOpenURL(const pf::URL& url, const std::shared_ptr<CorvanaApiInterfaceDelegate>& delegate)
{
    pf::Value message = CorvanaMessageParse::parseCorvanaMessage(url);
    if (message.isNil())
        return false;
    if (auto request = message.objectAs<CorvanaApiReq>()) {
        if (delegate && !delegate->onCorvanaReq(request)) {
            auto response = CorvanaApiResp::respFromReq(message);
            response->setNRetCode(-1);
            sendRespMessageToCorvanaApp(response);
        }
        return true;
    }
    return !message.objectAs<CorvanaApiResp>();
}

bool CorvanaApiInterface::canOpenURL(const pf::URL& url)
{
    auto decoder = CorvanaUrlDecoder::decoderWithUrl(&url);
    return decoder && isOwnScheme(decoder->scheme) && decoder->host == kHost && decoder->path
        && (*decoder->path == kReqPath || *decoder->path == kRespPath);
}

bool CorvanaApiInterface::installIphonePlaza() { return canOpen("mplaza://"); }

bool CorvanaApiInterface::iphonePlazaSupportApi() { return canOpen(std::string(kPlazaApiScheme) + "://"); }

void CorvanaApiInterface::openThirdApp(const std::string& appId)
{
    if (auto url = pf::URL::create("corvana" + appId + ".content://"))
        pf::Application::shared().openURL(*url);
}

bool CorvanaApiInterface::isCorvanaAppInstall(int platform)
{
    if (platform == 0)
        return canOpen("mzz://");
    if (platform == 1)
        return canOpen("mplaza://");
    return false;
}

bool CorvanaApiInterface::isCorvanaAppSupportCorvanaApi(int platform)
{
    if (platform == 0)
        return canOpen(std::string(kZZApiScheme) + "://");
    if (platform == 1)
        return canOpen(std::string(kPlazaApiScheme) + "://");
    return false;
}
