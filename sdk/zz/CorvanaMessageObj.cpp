#include "sdk/zz/CorvanaMessageObj.h"

#include "platform/foundation/Collections.h"
#include "platform/foundation/Text.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageCodec.h"
#include "sdk/zz/ZZArchive.h"

#include <functional>
#include <map>

using namespace ZZArchive;

namespace {

constexpr std::size_t kMaxText = 1048576;
constexpr std::size_t kMaxImage = 10485760;
constexpr std::size_t kMaxThumb = 1048576;

bool textFits(const std::optional<std::string>& text) { return !text || pf::utf16Length(*text) <= kMaxText; }
bool dataFits(const std::optional<pf::Bytes>& data, std::size_t max) { return !data || data->size() <= max; }

void putText(pf::Dictionary& fields, const char* key, const std::optional<std::string>& text)
{
    if (text)
        fields.set(key, *text);
}

void putData(pf::Dictionary& fields, const char* key, const std::optional<pf::Bytes>& data)
{
    if (data)
        fields.set(key, pf::Value::data(*data));
}

double realField(const pf::Dictionary& fields, const char* key)
{
    const pf::Value value = fields.get(key);
    return value.isNumber() ? value.doubleValue() : 0;
}

}

bool corvanaDataIsImage(const std::optional<pf::Bytes>& data)
{
    return data && !data->empty() && pf::decodeImage(data->data(), data->size()).ok();
}

bool CorvanaBaseMessageObj::isVaild() const { return textFits(m_sName); }

pf::DictionaryRef CorvanaBaseMessageObj::encode() const
{
    auto fields = pf::Dictionary::create({ { kClassKey, className() }, { "nVersion", m_nVersion } });
    putText(*fields, "sName", m_sName);
    if (m_dictExpandInfo)
        fields->set("dictExpandInfo", m_dictExpandInfo);
    return fields;
}

void CorvanaBaseMessageObj::decodeFields(const pf::Dictionary& fields)
{
    // The kind belongs to the class, whatever the archive claims.
    m_sName = textField(fields, "sName");
    m_dictExpandInfo = fields.dictionary("dictExpandInfo");
}

bool CorvanaTextMessageObjV1::isValid() const { return CorvanaBaseMessageObj::isVaild() && textFits(m_sText); }

pf::DictionaryRef CorvanaTextMessageObjV1::encode() const
{
    auto fields = CorvanaBaseMessageObj::encode();
    putText(*fields, "sText", m_sText);
    return fields;
}

void CorvanaTextMessageObjV1::decodeFields(const pf::Dictionary& fields)
{
    CorvanaBaseMessageObj::decodeFields(fields);
    m_sText = textField(fields, "sText");
}

std::shared_ptr<CorvanaImageMessageObjV1> CorvanaImageMessageObjV1::initWithImageData(std::optional<pf::Bytes> data)
{
    auto object = std::make_shared<CorvanaImageMessageObjV1>();
    object->m_dataImage = std::move(data);
    return object;
}

std::shared_ptr<CorvanaImageMessageObjV1> CorvanaImageMessageObjV1::initWithImageUrl(std::optional<std::string> url)
{
    auto object = std::make_shared<CorvanaImageMessageObjV1>();
    object->m_sUrl = std::move(url);
    return object;
}

std::shared_ptr<CorvanaImageMessageObjV1> CorvanaImageMessageObjV1::initWithType(int type)
{
    auto object = std::make_shared<CorvanaImageMessageObjV1>();
    object->m_nType = type;
    return object;
}

bool CorvanaImageMessageObjV1::isVaild() const
{
    if (!CorvanaBaseMessageObj::isVaild() || !dataFits(m_dataImage, kMaxImage) || !textFits(m_sUrl)
        || !dataFits(m_dataThumbImage, kMaxThumb) || !textFits(m_sDescription))
        return false;
    if (m_nType == 1 && (!m_sUrl || m_sUrl->empty()))
        return false;
    if (m_nType == 2 && !corvanaDataIsImage(m_dataImage))
        return false;
    return true;
}

pf::DictionaryRef CorvanaImageMessageObjV1::encode() const
{
    auto fields = CorvanaBaseMessageObj::encode();
    putData(*fields, "dataImage", m_dataImage);
    putText(*fields, "sUrl", m_sUrl);
    putData(*fields, "dataThumbImage", m_dataThumbImage);
    putText(*fields, "description", m_sDescription);
    fields->set("imageWidth", static_cast<float>(m_width));
    fields->set("imageHeight", static_cast<float>(m_height));
    fields->set("nType", m_nType);
    return fields;
}

void CorvanaImageMessageObjV1::decodeFields(const pf::Dictionary& fields)
{
    CorvanaBaseMessageObj::decodeFields(fields);
    m_dataImage = dataField(fields, "dataImage");
    m_sUrl = textField(fields, "sUrl");
    m_dataThumbImage = dataField(fields, "dataThumbImage");
    m_sDescription = textField(fields, "description");
    m_width = realField(fields, "imageWidth");
    m_height = realField(fields, "imageHeight");
    m_nType = intField(fields, "nType");
}

bool CorvanaMediaMessageObj::isVaild() const
{
    return CorvanaBaseMessageObj::isVaild() && textFits(m_sUrl) && textFits(m_sImagePreviewUrl)
        && textFits(m_sDescription) && dataFits(m_dataImagePreview, kMaxThumb);
}

void CorvanaMediaMessageObj::encodeMedia(pf::Dictionary& fields, bool withType, int type) const
{
    putText(fields, "sUrl", m_sUrl);
    if (withType)
        fields.set("nType", type);
    putText(fields, "sImagePreviewUrl", m_sImagePreviewUrl);
    putData(fields, "dataImagePreview", m_dataImagePreview);
    putText(fields, "description", m_sDescription);
}

void CorvanaMediaMessageObj::decodeMedia(const pf::Dictionary& fields)
{
    CorvanaBaseMessageObj::decodeFields(fields);
    m_sUrl = textField(fields, "sUrl");
    m_sImagePreviewUrl = textField(fields, "sImagePreviewUrl");
    m_dataImagePreview = dataField(fields, "dataImagePreview");
    m_sDescription = textField(fields, "description");
}

std::shared_ptr<CorvanaAudioMessageObjV1> CorvanaAudioMessageObjV1::initWithAudioUrl(std::optional<std::string> url)
{
    auto object = std::make_shared<CorvanaAudioMessageObjV1>();
    object->setSUrl(std::move(url));
    return object;
}

pf::DictionaryRef CorvanaAudioMessageObjV1::encode() const
{
    auto fields = CorvanaBaseMessageObj::encode();
    encodeMedia(*fields, false, 0);
    return fields;
}

void CorvanaAudioMessageObjV1::decodeFields(const pf::Dictionary& fields) { decodeMedia(fields); }

std::shared_ptr<CorvanaVideoMessageV1> CorvanaVideoMessageV1::initWithVideoUrl(std::optional<std::string> url, int type)
{
    auto object = std::make_shared<CorvanaVideoMessageV1>();
    object->setSUrl(std::move(url));
    object->m_nType = type;
    return object;
}

pf::DictionaryRef CorvanaVideoMessageV1::encode() const
{
    auto fields = CorvanaBaseMessageObj::encode();
    encodeMedia(*fields, true, m_nType);
    return fields;
}

void CorvanaVideoMessageV1::decodeFields(const pf::Dictionary& fields)
{
    decodeMedia(fields);
    m_nType = intField(fields, "nType");
}

std::shared_ptr<CorvanaImageAndVideoMessageObjV1>
CorvanaImageAndVideoMessageObjV1::initWithMessage(std::optional<pf::Bytes> data, std::optional<std::string> videoUrl)
{
    auto object = std::make_shared<CorvanaImageAndVideoMessageObjV1>();
    object->m_image = std::make_shared<CorvanaImageMessageObjV1>();
    object->m_video = CorvanaVideoMessageV1::initWithVideoUrl(std::nullopt, 0);
    if (corvanaDataIsImage(data))
        object->m_image->setDataImage(std::move(data));
    else
        object->m_video->setSUrl(std::move(videoUrl));
    return object;
}

void CorvanaImageAndVideoMessageObjV1::setDataImage(std::optional<pf::Bytes> data)
{
    if (!m_image)
        m_image = std::make_shared<CorvanaImageMessageObjV1>();
    bool isImage = corvanaDataIsImage(data);
    m_image->setDataImage(std::move(data));
    if (isImage && m_video)
        m_video->setSUrl(std::nullopt);
}

void CorvanaImageAndVideoMessageObjV1::setVideoUrl(std::optional<std::string> url)
{
    if (!m_video)
        m_video = std::make_shared<CorvanaVideoMessageV1>();
    bool given = url && !url->empty();
    m_video->setSUrl(std::move(url));
    if (given && m_image)
        m_image->setDataImage(std::nullopt);
}

void CorvanaImageAndVideoMessageObjV1::setObjImageMessage(std::shared_ptr<CorvanaImageMessageObjV1> image)
{
    m_image = std::move(image);
    if (m_image && corvanaDataIsImage(m_image->dataImage()) && m_video)
        m_video->setSUrl(std::nullopt);
}

void CorvanaImageAndVideoMessageObjV1::setObjVideoMessage(std::shared_ptr<CorvanaVideoMessageV1> video)
{
    m_video = std::move(video);
    if (m_video && m_video->sUrl() && !m_video->sUrl()->empty() && m_image)
        m_image->setDataImage(std::nullopt);
}

bool CorvanaImageAndVideoMessageObjV1::isVaild() const
{
    return CorvanaBaseMessageObj::isVaild() && (!m_image || m_image->isVaild()) && (!m_video || m_video->isVaild());
}

pf::DictionaryRef CorvanaImageAndVideoMessageObjV1::encode() const
{
    auto fields = CorvanaBaseMessageObj::encode();
    if (m_image)
        fields->set("imageMessage", m_image->encode());
    if (m_video)
        fields->set("videoMessage", m_video->encode());
    return fields;
}

void CorvanaImageAndVideoMessageObjV1::decodeFields(const pf::Dictionary& fields)
{
    CorvanaBaseMessageObj::decodeFields(fields);
    m_image = std::dynamic_pointer_cast<CorvanaImageMessageObjV1>(corvanaDecodeContent(fields.get("imageMessage")));
    m_video = std::dynamic_pointer_cast<CorvanaVideoMessageV1>(corvanaDecodeContent(fields.get("videoMessage")));
}

std::shared_ptr<CorvanaBaseMessageObj> corvanaDecodeContent(const pf::Value& archived)
{
    using Make = std::function<std::shared_ptr<CorvanaBaseMessageObj>()>;
    static const std::map<std::string, Make, std::less<>> table = {
        { "CorvanaBaseMessageObj", [] { return std::make_shared<CorvanaBaseMessageObj>(); } },
        { "CorvanaTextMessageObjV1", [] { return std::make_shared<CorvanaTextMessageObjV1>(); } },
        { "CorvanaImageMessageObjV1", [] { return std::make_shared<CorvanaImageMessageObjV1>(); } },
        { "CorvanaAudioMessageObjV1", [] { return std::make_shared<CorvanaAudioMessageObjV1>(); } },
        { "CorvanaVideoMessageV1", [] { return std::make_shared<CorvanaVideoMessageV1>(); } },
        { "CorvanaImageAndVideoMessageObjV1", [] { return std::make_shared<CorvanaImageAndVideoMessageObjV1>(); } },
    };
    auto fields = archived.dictionary();
    auto name = fields ? fields->string(kClassKey) : std::nullopt;
    auto found = name ? table.find(*name) : table.end();
    if (found == table.end())
        return nullptr;
    auto object = found->second();
    object->decodeFields(*fields);
    return object;
}
