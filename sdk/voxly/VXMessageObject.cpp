#include "sdk/voxly/VXMessageObject.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Image.h"

namespace vx {

std::optional<std::string> stringField(const pf::Dictionary& dictionary, std::string_view key)
{
    return dictionary.string(key);
}

std::optional<pf::Bytes> dataField(const pf::Dictionary& dictionary, std::string_view key)
{
    if (auto data = dictionary.get(key).data())
        return *data;
    return std::nullopt;
}

void setField(pf::Dictionary& dictionary, std::string_view key, const std::optional<std::string>& value)
{
    if (value)
        dictionary.set(key, *value);
}

void setField(pf::Dictionary& dictionary, std::string_view key, const std::optional<pf::Bytes>& value)
{
    if (value)
        dictionary.set(key, pf::Value::data(*value));
}

}

namespace {

using vx::dataField;
using vx::setField;
using vx::stringField;

std::size_t length(const std::optional<std::string>& text)
{
    return text ? pf::utf16Length(*text) : 0;
}

// A field that must be there and fit; an absent optional one always passes.
bool required(const std::optional<std::string>& text, std::size_t limit)
{
    return text && length(text) <= limit;
}

bool optionalFits(const std::optional<std::string>& text, std::size_t limit)
{
    return !text || length(text) <= limit;
}

}

std::size_t vx_wordCount(std::string_view text)
{
    std::size_t blanks = 0, narrow = 0, wide = 0;
    for (char16_t unit : pf::toUtf16(text)) {
        if (unit == u' ' || unit == u'\t')
            ++blanks;
        else if (unit < 128)
            ++narrow;
        else
            ++wide;
    }
    if (narrow == 0 && wide == 0)
        return 0;
    return wide + (blanks + narrow + 1) / 2;
}

pf::ImageRef VXImageObject::image() const
{
    if (!imageData)
        return nullptr;
    auto image = pf::Image::fromData(*imageData);
    return image ? *image : nullptr;
}

std::optional<std::string> VXImageObject::validate() const
{
    if (!imageData || imageData->size() > 10485760)
        return "消息的图片内容中，图片数据不能为空并且大小不能超过10M";
    return std::nullopt;
}

pf::DictionaryRef VXImageObject::dictionaryWithImageObject(const VXImageObject& image)
{
    auto dictionary = pf::Dictionary::create();
    setField(*dictionary, "imageData", image.imageData);
    return dictionary;
}

std::shared_ptr<VXImageObject> VXImageObject::imageObjectWithDictionary(const pf::Dictionary& dictionary)
{
    auto data = dataField(dictionary, "imageData");
    if (!data)
        return nullptr;
    auto image = object();
    image->imageData = std::move(data);
    return image;
}

std::optional<std::string> VXBaseMediaObject::validate() const
{
    if (std::string_view(className()) == "VXBaseMediaObject")
        return "不能直接发送 VXBaseMediaObject 类型的多媒体对象";
    if (!required(objectID, 255))
        return "多媒体对象ID不能为空且长度不能超过255";
    if (!required(title, 1024))
        return "多媒体内容中标题不能为空且长度不能大于1K";
    if (!optionalFits(description, 1024))
        return "多媒体内容中描述长度不能大于1K";
    if (thumbnailData && thumbnailData->size() > 32768)
        return "多媒体内容中缩略图大小不能大于32K";
    if (!optionalFits(scheme, 255))
        return "多媒体点击打开第三方应用的scheme长度不能大于255";
    return std::nullopt;
}

void VXBaseMediaObject::storeToDictionary(pf::Dictionary& dictionary) const
{
    setField(dictionary, "objectID", objectID);
    setField(dictionary, "title", title);
    setField(dictionary, "description", description);
    setField(dictionary, "thumbnailData", thumbnailData);
    setField(dictionary, "scheme", scheme);
    dictionary.set("__class", className());
}

void VXBaseMediaObject::loadFromDictionary(const pf::Dictionary& dictionary)
{
    objectID = stringField(dictionary, "objectID");
    title = stringField(dictionary, "title");
    description = stringField(dictionary, "description");
    thumbnailData = dataField(dictionary, "thumbnailData");
    scheme = stringField(dictionary, "scheme");
}

pf::DictionaryRef VXBaseMediaObject::dictionaryWithMediaObject(const VXBaseMediaObject& media)
{
    auto dictionary = pf::Dictionary::create();
    media.storeToDictionary(*dictionary);
    return dictionary;
}

std::shared_ptr<VXBaseMediaObject> VXBaseMediaObject::mappedMediaObjectWithDictionary(const pf::Dictionary& dictionary)
{
    // The media classes by name: the only names another process may pick.
    auto name = stringField(dictionary, "__class");
    std::shared_ptr<VXBaseMediaObject> media;
    if (!name)
        return nullptr;
    if (*name == "VXBaseMediaObject")
        media = VXBaseMediaObject::object();
    else if (*name == "VXMusicObject")
        media = VXMusicObject::object();
    else if (*name == "VXVideoObject")
        media = VXVideoObject::object();
    else if (*name == "VXWebpageObject")
        media = VXWebpageObject::object();
    else
        return nullptr;
    media->loadFromDictionary(dictionary);
    return media;
}

std::optional<std::string> VXMusicObject::validate() const
{
    if (auto message = VXBaseMediaObject::validate())
        return message;
    if (!required(musicUrl, 255))
        return "Music多媒体内容的musicUrl不能为空并且长度不能超过255";
    if (!optionalFits(musicLowBandUrl, 255))
        return "Music多媒体内容的musicLowBandUrl长度不能超过255";
    if (!optionalFits(musicStreamUrl, 255))
        return "Music多媒体内容的musicStreamUrl长度不能超过255";
    if (!optionalFits(musicLowBandStreamUrl, 255))
        return "Music多媒体内容的musicLowBandStreamUrl长度不能超过255";
    return std::nullopt;
}

void VXMusicObject::storeToDictionary(pf::Dictionary& dictionary) const
{
    VXBaseMediaObject::storeToDictionary(dictionary);
    setField(dictionary, "musicUrl", musicUrl);
    setField(dictionary, "musicLowBandUrl", musicLowBandUrl);
    setField(dictionary, "musicStreamUrl", musicStreamUrl);
    setField(dictionary, "musicLowBandStreamUrl", musicLowBandStreamUrl);
}

void VXMusicObject::loadFromDictionary(const pf::Dictionary& dictionary)
{
    VXBaseMediaObject::loadFromDictionary(dictionary);
    musicUrl = stringField(dictionary, "musicUrl");
    musicLowBandUrl = stringField(dictionary, "musicLowBandUrl");
    musicStreamUrl = stringField(dictionary, "musicStreamUrl");
    musicLowBandStreamUrl = stringField(dictionary, "musicLowBandStreamUrl");
}

std::optional<std::string> VXVideoObject::validate() const
{
    if (auto message = VXBaseMediaObject::validate())
        return message;
    if (!required(videoUrl, 255))
        return "Video多媒体内容的videoUrl不能为空并且长度不能超过255";
    if (!optionalFits(videoLowBandUrl, 255))
        return "Video多媒体内容的videoLowBandUrl长度不能超过255";
    if (!optionalFits(videoStreamUrl, 255))
        return "Video多媒体内容的videoStreamUrl长度不能超过255";
    if (!optionalFits(videoLowBandStreamUrl, 255))
        return "Video多媒体内容的videoLowBandStreamUrl长度不能超过255";
    return std::nullopt;
}

void VXVideoObject::storeToDictionary(pf::Dictionary& dictionary) const
{
    VXBaseMediaObject::storeToDictionary(dictionary);
    setField(dictionary, "videoUrl", videoUrl);
    setField(dictionary, "videoLowBandUrl", videoLowBandUrl);
    setField(dictionary, "videoStreamUrl", videoStreamUrl);
    setField(dictionary, "videoLowBandStreamUrl", videoLowBandStreamUrl);
}

void VXVideoObject::loadFromDictionary(const pf::Dictionary& dictionary)
{
    VXBaseMediaObject::loadFromDictionary(dictionary);
    videoUrl = stringField(dictionary, "videoUrl");
    videoLowBandUrl = stringField(dictionary, "videoLowBandUrl");
    videoStreamUrl = stringField(dictionary, "videoStreamUrl");
    videoLowBandStreamUrl = stringField(dictionary, "videoLowBandStreamUrl");
}

std::optional<std::string> VXWebpageObject::validate() const
{
    if (auto message = VXBaseMediaObject::validate())
        return message;
    if (!required(webpageUrl, 255))
        return "Webpage多媒体内容的webpageUrl不能为空并且长度不能超过255";
    return std::nullopt;
}

void VXWebpageObject::storeToDictionary(pf::Dictionary& dictionary) const
{
    VXBaseMediaObject::storeToDictionary(dictionary);
    setField(dictionary, "webpageUrl", webpageUrl);
}

void VXWebpageObject::loadFromDictionary(const pf::Dictionary& dictionary)
{
    VXBaseMediaObject::loadFromDictionary(dictionary);
    webpageUrl = stringField(dictionary, "webpageUrl");
}

std::optional<std::string> VXMessageObject::validate() const
{
    if (!text && !imageObject && !mediaObject)
        return "消息中文本内容、图片内容和多媒体内容必须至少有一项不能为空";
    if (imageObject && mediaObject)
        return "消息中图片内容和多媒体内容不能共存";
    if (text && vx_wordCount(*text) > 140)
        return "消息文本内容长度必须小于140个汉字";
    if (imageObject)
        if (auto message = imageObject->validate())
            return message;
    if (mediaObject)
        return mediaObject->validate();
    return std::nullopt;
}

pf::DictionaryRef VXMessageObject::dictionaryWithMessage(const VXMessageObject& message)
{
    auto dictionary = pf::Dictionary::create();
    setField(*dictionary, "text", message.text);
    if (message.imageObject)
        dictionary->set("imageObject", VXImageObject::dictionaryWithImageObject(*message.imageObject));
    if (message.mediaObject)
        dictionary->set("mediaObject", VXBaseMediaObject::dictionaryWithMediaObject(*message.mediaObject));
    dictionary->set("__class", "VXMessageObject");
    return dictionary;
}

std::shared_ptr<VXMessageObject> VXMessageObject::messageWithDictionary(const pf::Dictionary& dictionary)
{
    if (stringField(dictionary, "__class") != "VXMessageObject")
        return nullptr;
    auto text = stringField(dictionary, "text");
    auto imageDictionary = dictionary.dictionary("imageObject");
    auto mediaDictionary = dictionary.dictionary("mediaObject");
    if (!text && !imageDictionary && !mediaDictionary)
        return nullptr;
    auto message = VXMessageObject::message();
    message->text = std::move(text);
    if (imageDictionary)
        message->imageObject = VXImageObject::imageObjectWithDictionary(*imageDictionary);
    if (mediaDictionary)
        message->mediaObject = VXBaseMediaObject::mappedMediaObjectWithDictionary(*mediaDictionary);
    return message;
}
