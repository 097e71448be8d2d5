#include "sdk/natter/AppCommunicateData.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/ImageCodec.h"
#include "sdk/natter/NTMediaMessage.h"
#include "sdk/natter/NTReqResp.h"

#include <charconv>

namespace {

constexpr std::size_t kMaxText = 10240;
constexpr std::size_t kMaxTitle = 512;
constexpr std::size_t kMaxDescription = 1024;
constexpr std::size_t kMaxThumb = 32768;
constexpr std::size_t kMaxExtInfo = 2048;
constexpr std::size_t kMaxURL = 10240;
constexpr std::size_t kMaxFile = 10485760;
constexpr std::size_t kMaxScope = 1024;

using OptString = std::optional<std::string>;

bool fits(const OptString& text, std::size_t limit)
{
    return !text || pf::utf16Length(*text) <= limit;
}

void put(pf::Dictionary& record, std::string_view key, const OptString& value)
{
    if (value)
        record.set(key, *value);
}

OptString text(const pf::Dictionary& record, std::string_view key)
{
    return record.string(key);
}

// A string field within its limit; `ok` turns false when it is over.
OptString limited(const pf::Dictionary& record, std::string_view key, std::size_t limit, bool& ok)
{
    auto value = text(record, key);
    if (!fits(value, limit))
        ok = false;
    return value;
}

template <class T> std::optional<T> parseDecimal(const OptString& value)
{
    if (!value || value->empty())
        return std::nullopt;
    T out{};
    auto [end, error] = std::from_chars(value->data(), value->data() + value->size(), out);
    if (error != std::errc() || end != value->data() + value->size())
        return std::nullopt;
    return out;
}

bool thumbnailFits(const std::optional<pf::Bytes>& thumb)
{
    if (!thumb)
        return true;
    return thumb->size() <= kMaxThumb && pf::decodeImage(thumb->data(), thumb->size());
}

}

AppCommunicateData::AppCommunicateData(const pf::DictionaryRef& record)
{
    if (!record)
        return;
    // Only decimal digits make a command; anything else leaves the record empty.
    auto commandText = text(*record, "command");
    bool digits = commandText && !commandText->empty()
        && commandText->find_first_not_of("0123456789") == std::string::npos;
    auto parsed = digits ? parseDecimal<std::uint32_t>(commandText) : std::nullopt;
    if (!parsed)
        return;
    command = *parsed;
    conversationAccount = text(*record, "account");
    auto back = record->get("returnFromApp");
    returnFromApp = back.isNil() || (back.string() && *back.string() == "1");
    if (auto value = parseDecimal<std::int32_t>(text(*record, "result")))
        result = *value;
    if (auto value = parseDecimal<std::int32_t>(text(*record, "scene")))
        scene = *value;
    dictionaryData = record->mutableCopy();
}

void AppCommunicateData::initCommonField(std::uint32_t value)
{
    command = value;
    dictionaryData = pf::Dictionary::create();
    dictionaryData->set("command", std::to_string(value));
    dictionaryData->set("returnFromApp", returnFromApp ? "1" : "0");
    dictionaryData->set("result", std::to_string(result));
    put(*dictionaryData, "account", conversationAccount);
    dictionaryData->set("sdkver", "1.2");
}

bool AppCommunicateData::ReqToData(const BaseReq& request)
{
    if (auto share = dynamic_cast<const SendMessageToNTReq*>(&request)) {
        bool ok;
        if (share->bText) {
            initCommonField(1020);
            ok = MakeTextMessage(share->text);
        } else {
            initCommonField(1010);
            ok = share->message && MakeMediaMessage(*share->message);
        }
        dictionaryData->set("scene", std::to_string(share->scene));
        return ok;
    }
    if (auto auth = dynamic_cast<const SendAuthReq*>(&request)) {
        initCommonField(1030);
        return MakeAuthRequest(*auth);
    }
    if (dynamic_cast<const GetMessageFromNTReq*>(&request)) {
        initCommonField(2000);
        return true;
    }
    return false;
}

bool AppCommunicateData::RespToData(const BaseResp& response)
{
    if (auto content = dynamic_cast<const GetMessageFromNTResp*>(&response)) {
        if (content->bText) {
            initCommonField(1020);
            return MakeTextMessage(content->text);
        }
        initCommonField(1010);
        return content->message && MakeMediaMessage(*content->message);
    }
    if (dynamic_cast<const ShowMessageFromNTResp*>(&response)) {
        initCommonField(1070);
        return true;
    }
    if (dynamic_cast<const SendMessageToNTResp*>(&response)) {
        initCommonField(2020);
        return true;
    }
    if (auto auth = dynamic_cast<const SendAuthResp*>(&response)) {
        initCommonField(2030);
        return MakeAuthResp(*auth);
    }
    return false;
}

std::shared_ptr<BaseReq> AppCommunicateData::DataToReq() const
{
    if (command == 2000)
        return std::make_shared<GetMessageFromNTReq>();
    if (command == 1010) {
        auto message = mediaMessage();
        if (!message || !std::dynamic_pointer_cast<NTAppExtendObject>(message->mediaObject))
            return nullptr;
        auto show = std::make_shared<ShowMessageFromNTReq>();
        show->message = message;
        return show;
    }
    return nullptr;
}

std::shared_ptr<BaseResp> AppCommunicateData::DataToResp() const
{
    std::shared_ptr<BaseResp> response;
    if (command == 2010 || command == 2020)
        response = std::make_shared<SendMessageToNTResp>();
    else if (command == 2030)
        response = std::make_shared<SendAuthResp>();
    if (response)
        response->errCode = result;
    return response;
}

bool AppCommunicateData::MakeTextMessage(const OptString& value)
{
    if (!value || value->empty() || !fits(value, kMaxText))
        return false;
    dictionaryData->set("title", *value);
    return true;
}

OptString AppCommunicateData::textMessage() const
{
    if (command != 1020 || !dictionaryData)
        return std::nullopt;
    auto value = text(*dictionaryData, "title");
    return fits(value, kMaxText) ? value : std::nullopt;
}

bool AppCommunicateData::MakeMediaMessage(const NTMediaMessage& message)
{
    if (!fits(message.title, kMaxTitle) || !fits(message.description, kMaxDescription) || !thumbnailFits(message.thumbData))
        return false;
    if (!message.mediaObject || !MakeLinkObject(*message.mediaObject))
        return false;
    put(*dictionaryData, "title", message.title);
    put(*dictionaryData, "description", message.description);
    if (message.thumbData)
        dictionaryData->set("thumbData", pf::Value::data(*message.thumbData));
    return true;
}

bool AppCommunicateData::MakeLinkObject(const NTMediaObject& media)
{
    OptString urls[4];
    OptString extInfo;
    std::optional<pf::Bytes> file;
    if (auto image = dynamic_cast<const NTImageObject*>(&media)) {
        urls[0] = image->imageUrl;
        file = image->imageData;
    } else if (auto music = dynamic_cast<const NTMusicObject*>(&media)) {
        urls[0] = music->musicUrl;
        urls[1] = music->musicLowBandUrl;
        urls[2] = music->musicDataUrl;
        urls[3] = music->musicLowBandDataUrl;
    } else if (auto video = dynamic_cast<const NTVideoObject*>(&media)) {
        urls[0] = video->videoUrl;
        urls[1] = video->videoLowBandUrl;
    } else if (auto page = dynamic_cast<const NTWebpageObject*>(&media)) {
        urls[0] = page->webpageUrl;
    } else if (auto extend = dynamic_cast<const NTAppExtendObject*>(&media)) {
        urls[0] = extend->url;
        extInfo = extend->extInfo;
        file = extend->fileData;
    } else if (auto emoticon = dynamic_cast<const NTEmoticonObject*>(&media)) {
        file = emoticon->emoticonData;
    } else {
        return false;
    }
    bool anyURL = false;
    for (const auto& url : urls) {
        anyURL = anyURL || url;
        if (!fits(url, kMaxURL))
            return false;
    }
    if (!anyURL && !file && !extInfo)
        return false;
    if (!fits(extInfo, kMaxExtInfo) || (file && file->size() > kMaxFile))
        return false;
    dictionaryData->set("objectType", std::to_string(media.objectType()));
    const char* keys[] = {"mediaUrl", "mediaLowBandUrl", "mediaDataUrl", "mediaLowBandDataUrl"};
    for (int i = 0; i < 4; ++i)
        put(*dictionaryData, keys[i], urls[i]);
    put(*dictionaryData, "extInfo", extInfo);
    fileData = std::move(file);
    return true;
}

std::shared_ptr<NTMediaMessage> AppCommunicateData::mediaMessage() const
{
    if (command != 1010 || !dictionaryData)
        return nullptr;
    // The internal message is ours alone: its picture is moved on, not
    // copied a second time.
    auto internal = mediaInternalMessage();
    if (!internal)
        return nullptr;
    std::shared_ptr<NTMediaObject> media;
    switch (internal->objectType) {
    case 2: {
        auto image = NTImageObject::object();
        image->imageUrl = internal->mediaUrl;
        image->imageData = std::move(internal->fileData);
        media = image;
        break;
    }
    case 3: {
        auto music = NTMusicObject::object();
        music->musicUrl = internal->mediaUrl;
        music->musicLowBandUrl = internal->mediaLowBandUrl;
        music->musicDataUrl = internal->mediaDataUrl;
        music->musicLowBandDataUrl = internal->mediaLowBandDataUrl;
        media = music;
        break;
    }
    case 4: {
        auto video = NTVideoObject::object();
        video->videoUrl = internal->mediaUrl;
        video->videoLowBandUrl = internal->mediaLowBandUrl;
        media = video;
        break;
    }
    case 5: {
        auto page = NTWebpageObject::object();
        page->webpageUrl = internal->mediaUrl;
        media = page;
        break;
    }
    case 7: {
        auto extend = NTAppExtendObject::object();
        extend->url = internal->mediaUrl;
        extend->extInfo = internal->extInfo;
        extend->fileData = std::move(internal->fileData);
        media = extend;
        break;
    }
    case 8: {
        auto emoticon = NTEmoticonObject::object();
        emoticon->emoticonData = std::move(internal->fileData);
        media = emoticon;
        break;
    }
    default:
        return nullptr;
    }
    auto message = NTMediaMessage::message();
    message->title = internal->title;
    message->description = internal->description;
    message->thumbData = std::move(internal->thumbData);
    message->mediaObject = media;
    return message;
}

bool AppCommunicateData::MakeAuthRequest(const SendAuthReq& request)
{
    if (!request.scope || !fits(request.scope, kMaxScope) || !fits(request.state, kMaxScope))
        return false;
    put(*dictionaryData, "scope", request.scope);
    put(*dictionaryData, "state", request.state);
    return true;
}

std::shared_ptr<NTAuthInternal> AppCommunicateData::authRequest() const
{
    if (command != 1030 || !dictionaryData)
        return nullptr;
    bool ok = true;
    auto auth = std::make_shared<NTAuthInternal>();
    auth->scope = limited(*dictionaryData, "scope", kMaxScope, ok);
    auth->state = limited(*dictionaryData, "state", kMaxScope, ok);
    return ok && auth->scope ? auth : nullptr;
}

bool AppCommunicateData::MakeAuthResp(const SendAuthResp& response)
{
    if (!fits(response.state, kMaxScope))
        return false;
    put(*dictionaryData, "state", response.state);
    return true;
}

std::shared_ptr<SendAuthResp> AppCommunicateData::authResp() const
{
    if (command != 1030 || !dictionaryData)
        return nullptr;
    bool ok = true;
    auto response = std::make_shared<SendAuthResp>();
    response->state = limited(*dictionaryData, "state", kMaxScope, ok);
    return ok ? response : nullptr;
}

bool AppCommunicateData::MakeMediaInternalMessage(const NTMediaInternalMessage& message)
{
    if (!fits(message.title, kMaxTitle) || !fits(message.description, kMaxDescription) || !thumbnailFits(message.thumbData)
        || !fits(message.extInfo, kMaxExtInfo) || !fits(message.mediaUrl, kMaxURL) || !fits(message.mediaLowBandUrl, kMaxURL)
        || !fits(message.mediaDataUrl, kMaxURL) || !fits(message.mediaLowBandDataUrl, kMaxURL)
        || (message.fileData && message.fileData->size() > kMaxFile))
        return false;
    put(*dictionaryData, "title", message.title);
    put(*dictionaryData, "description", message.description);
    if (message.thumbData)
        dictionaryData->set("thumbData", pf::Value::data(*message.thumbData));
    dictionaryData->set("objectType", std::to_string(message.objectType));
    put(*dictionaryData, "extInfo", message.extInfo);
    put(*dictionaryData, "mediaUrl", message.mediaUrl);
    put(*dictionaryData, "mediaLowBandUrl", message.mediaLowBandUrl);
    put(*dictionaryData, "mediaDataUrl", message.mediaDataUrl);
    put(*dictionaryData, "mediaLowBandDataUrl", message.mediaLowBandDataUrl);
    put(*dictionaryData, "fileExt", message.fileExt);
    fileData = message.fileData;
    return true;
}

std::shared_ptr<NTMediaInternalMessage> AppCommunicateData::mediaInternalMessage() const
{
    if (!dictionaryData)
        return nullptr;
    const auto& record = *dictionaryData;
    auto type = parseDecimal<std::uint32_t>(text(record, "objectType"));
    if (!type)
        return nullptr;
    bool ok = true;
    auto message = NTMediaInternalMessage::message();
    message->objectType = *type;
    message->title = limited(record, "title", kMaxTitle, ok);
    message->description = limited(record, "description", kMaxDescription, ok);
    // A thumbnail must be data; anything else makes the record unreadable.
    auto thumb = record.get("thumbData");
    if (!thumb.isNil()) {
        if (!thumb.data() || thumb.data()->size() > kMaxThumb)
            return nullptr;
        message->thumbData = *thumb.data();
    }
    message->extInfo = limited(record, "extInfo", kMaxExtInfo, ok);
    message->mediaUrl = limited(record, "mediaUrl", kMaxURL, ok);
    message->mediaLowBandUrl = limited(record, "mediaLowBandUrl", kMaxURL, ok);
    message->mediaDataUrl = limited(record, "mediaDataUrl", kMaxURL, ok);
    message->mediaLowBandDataUrl = limited(record, "mediaLowBandDataUrl", kMaxURL, ok);
    message->fileExt = limited(record, "fileExt", kMaxTitle, ok);
    if (fileData && fileData->size() <= kMaxFile)
        message->fileData = fileData;
    return ok ? message : nullptr;
}
