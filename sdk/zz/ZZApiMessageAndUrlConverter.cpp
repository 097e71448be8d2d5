#include "sdk/zz/ZZApiMessageAndUrlConverter.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/URL.h"
#include "sdk/zz/ZZApiDatastore.h"
#include "sdk/zz/ZZApiMessage.h"
#include "sdk/zz/ZZApiURLDecoder.h"
#include "sdk/zz/ZZOpenApiUtility.h"
#include "sdk/zz/ZZWebViewKit.h"

namespace {

std::optional<std::string> query(const ZZApiURLDecoder& decoder, const char* key)
{
    return decoder.queryItem->string(key);
}

std::optional<std::string> base64Text(const ZZApiURLDecoder& decoder, const char* key)
{
    return ZZOpenApiUtility::UTF8StringWithBase64String(query(decoder, key));
}

// The large data's fields, each only when of its type.
struct LargeData {
    pf::DictionaryRef all;
    std::optional<pf::Bytes> fileData;
    std::optional<pf::Bytes> preview;
};

LargeData readLargeData()
{
    LargeData large;
    large.all = ZZApiDatastore::instance().getApiLargeData().dictionary();
    if (!large.all)
        return large;
    if (auto data = large.all->get("file_data").data())
        large.fileData = *data;
    if (auto data = large.all->get("previewimagedata").data())
        large.preview = *data;
    return large;
}

}

std::shared_ptr<ZZApiMessage> ZZApiMessageAndUrlConverter::messageWithUrl(const pf::URL* url)
{
    return messageWithUrlNoClipboard(url);
}

std::shared_ptr<ZZApiMessage> ZZApiMessageAndUrlConverter::messageWithUrlNoClipboard(const pf::URL* url)
{
    if (ZZWebViewKit::canHanleOpenUrlFromSafari(url))
        return ZZWebViewKit::messageWithSafariUrl(url);
    auto decoder = ZZApiURLDecoder::decoderWithUrl(url);
    // A query of no "name=value" pair still counts: "/pick" needs none.
    if (!decoder || decoder->host.empty() || !url->query() || url->query()->empty())
        return nullptr;
    if (decoder->host == "request_from_zz")
        return messageWithRequestFromZZ(*decoder);
    if (decoder->host == "response_from_zz")
        return messageWithResponseFromZZ(*decoder);
    return nullptr;
}

std::shared_ptr<ZZApiMessage> ZZApiMessageAndUrlConverter::messageWithRequestFromZZ(const ZZApiURLDecoder& decoder)
{
    if (decoder.path == "/pick")
        return ZZApiMessage::messageWithObject(nullptr, 3);
    if (decoder.path == "/view")
        return ZZApiMessage::messageWithObject(getObjectByUrl(decoder), 1);
    return nullptr;
}

std::shared_ptr<ZZApiMessage> ZZApiMessageAndUrlConverter::messageWithResponseFromZZ(const ZZApiURLDecoder& decoder)
{
    auto result = std::make_shared<ZZApiResultObject>();
    result->setError(query(decoder, "error"));
    result->setErrorDescription(base64Text(decoder, "error_description"));
    result->setExtendInfo(base64Text(decoder, "error_extend_info"));
    return ZZApiMessage::messageWithObject(result, 6);
}

std::shared_ptr<ZZApiMessage> ZZApiMessageAndUrlConverter::messageWithUrlUsedClipboard(const pf::URL* url)
{
    if (ZZWebViewKit::canHanleOpenUrlFromSafari(url))
        return ZZWebViewKit::messageWithSafariUrl(url);
    auto decoder = ZZApiURLDecoder::decoderWithUrl(url);
    if (!decoder || query(*decoder, "NeedToGetData") != "true")
        return nullptr;
    return ZZApiDatastore::instance().getApiMessage().objectAs<ZZApiMessage>();
}

std::shared_ptr<ZZApiObject> ZZApiMessageAndUrlConverter::getObjectByUrl(const ZZApiURLDecoder& decoder)
{
    auto fileType = query(decoder, "file_type");
    if (!fileType)
        return nullptr;
    auto title = base64Text(decoder, "title");
    auto description = base64Text(decoder, "description");
    auto urlText = base64Text(decoder, "url");
    std::optional<pf::URL> url = urlText ? pf::URL::create(*urlText) : std::nullopt;
    const std::string& kind = *fileType;
    if (kind == "text") {
        auto text = ZZApiTextObject::objectWithText(base64Text(decoder, "file_data"));
        text->setTitle(title);
        text->setDescription(description);
        return text;
    }
    LargeData large = readLargeData();
    if (kind == "img" || kind == "image")
        return ZZApiImageObject::objectWithData(large.fileData, large.preview, title, description);
    if (kind == "audio")
        return ZZApiAudioObject::objectWithURL(url, title, description, large.preview);
    if (kind == "video")
        return ZZApiVideoObject::objectWithURL(url, title, description, large.preview);
    if (kind == "news")
        return ZZApiNewsObject::objectWithURL(url, title, description, large.preview);
    if (kind == "url")
        return ZZApiURLObject::objectWithURL(url, title, description, large.preview, 0);
    if (kind == "file")
        return ZZApiExtendObject::objectWithData(large.fileData, large.preview, title, description);
    if (kind == "common")
        return large.all ? ZZApiCommonContentObject::objectWithDictionary(*large.all) : nullptr;
    return nullptr;
}

void ZZApiMessageAndUrlConverter::setTitle(const std::optional<std::string>& title,
                                           const std::optional<std::string>& description,
                                           const std::optional<std::string>& appName, QueryItem& queryItem)
{
    setString(title, "title", queryItem);
    setString(description, "description", queryItem);
    setString(appName, "thirdAppDisplayName", queryItem);
}

void ZZApiMessageAndUrlConverter::setPreviewImageData(const std::optional<pf::Bytes>& data, QueryItem& queryItem)
{
    if (auto encoded = ZZOpenApiUtility::base64EncodedStringWithData(data))
        queryItem["previewimageData"] = *encoded;
}

void ZZApiMessageAndUrlConverter::setString(const std::optional<std::string>& text,
                                            const std::optional<std::string>& key, QueryItem& queryItem)
{
    if (text && key)
        queryItem[*key] = *ZZOpenApiUtility::base64EncodedStringWithUTF8String(text);
}

void ZZApiMessageAndUrlConverter::setURL(const std::optional<pf::URL>& url, const std::optional<std::string>& key,
                                         QueryItem& queryItem)
{
    setString(smartURLString(url), key, queryItem);
}

void ZZApiMessageAndUrlConverter::setPasteBoardPrevImageData(const std::optional<pf::Bytes>& preview,
                                                             const std::optional<pf::Bytes>& fileData,
                                                             const pf::ArrayRef& imageDataArray)
{
    auto large = pf::Dictionary::create();
    if (preview)
        large->set("previewimagedata", pf::Value::data(*preview));
    if (fileData)
        large->set("file_data", pf::Value::data(*fileData));
    if (imageDataArray)
        large->set("image_data_list", imageDataArray);
    ZZApiDatastore::instance().setApiLargeData(pf::Value(large));
}

std::optional<std::string> ZZApiMessageAndUrlConverter::smartURLString(const std::optional<pf::URL>& url)
{
    return url ? std::optional<std::string>(url->absoluteString()) : std::nullopt;
}
