#include "sdk/zz/ZZApiMessage.h"

#include "platform/foundation/Collections.h"

#include <limits>

using namespace ZZArchive;

namespace {

void setText(pf::Dictionary& fields, std::string_view key, const OptionalText& text)
{
    if (text)
        fields.set(key, *text);
}

void setData(pf::Dictionary& fields, std::string_view key, const OptionalBytes& data)
{
    if (data)
        fields.set(key, pf::Value::data(*data));
}

void setURL(pf::Dictionary& fields, std::string_view key, const OptionalURL& url)
{
    if (url)
        fields.set(key, url->absoluteString());
}

pf::Value integer(long long n) { return pf::Value::number(pf::NumberType::LongLong, n); }

// The wire rows, tested in this order so that a subclass matches its own row
// before its base's.
enum class Row { Text, Image, Extend, Audio, Video, News, URL, Result, Object };

Row rowOf(const ZZApiObject& object)
{
    if (dynamic_cast<const ZZApiTextObject*>(&object))
        return Row::Text;
    if (dynamic_cast<const ZZApiImageObject*>(&object))
        return Row::Image;
    if (dynamic_cast<const ZZApiExtendObject*>(&object))
        return Row::Extend;
    if (dynamic_cast<const ZZApiAudioObject*>(&object))
        return Row::Audio;
    if (dynamic_cast<const ZZApiVideoObject*>(&object))
        return Row::Video;
    if (dynamic_cast<const ZZApiNewsObject*>(&object))
        return Row::News;
    if (dynamic_cast<const ZZApiURLObject*>(&object))
        return Row::URL;
    if (dynamic_cast<const ZZApiResultObject*>(&object))
        return Row::Result;
    return Row::Object;
}

struct RowName {
    Row row;
    const char* name;
};
constexpr RowName kRowNames[] = {
    { Row::Text, "ZZApiTextObject" }, { Row::Image, "ZZApiImageObject" }, { Row::Extend, "ZZApiExtendObject" },
    { Row::Audio, "ZZApiAudioObject" }, { Row::Video, "ZZApiVideoObject" }, { Row::News, "ZZApiNewsObject" },
    { Row::URL, "ZZApiURLObject" }, { Row::Result, "ZZApiResultObject" }, { Row::Object, "ZZApiObject" },
};

std::shared_ptr<ZZApiObject> makeObject(Row row)
{
    switch (row) {
    case Row::Text: return std::make_shared<ZZApiTextObject>();
    case Row::Image: return std::make_shared<ZZApiImageObject>();
    case Row::Extend: return std::make_shared<ZZApiExtendObject>();
    case Row::Audio: return std::make_shared<ZZApiAudioObject>();
    case Row::Video: return std::make_shared<ZZApiVideoObject>();
    case Row::News: return std::make_shared<ZZApiNewsObject>();
    case Row::URL: return std::make_shared<ZZApiURLObject>();
    case Row::Result: return std::make_shared<ZZApiResultObject>();
    case Row::Object: return std::make_shared<ZZApiObject>();
    }
    return nullptr;
}

}

std::shared_ptr<ZZApiMessage> ZZApiMessage::messageWithObject(std::shared_ptr<ZZApiObject> object, unsigned type)
{
    return std::make_shared<ZZApiMessage>(std::move(object), type);
}

pf::DictionaryRef ZZApiMessage::archiveDictionary() const
{
    auto fields = pf::Dictionary::create({ { kClassKey, "ZZApiMessage" }, { "ApiVersion", integer(1) },
                                           { "type", integer(m_type) } });
    if (m_object) {
        if (auto data = archivedData(pf::Value(std::make_shared<ZZApiObjectCoderImpl>(m_object))))
            fields->set("object", pf::Value::data(std::move(*data)));
    }
    return fields;
}

std::shared_ptr<ZZApiMessage> ZZApiMessage::decode(const pf::Dictionary& fields, std::size_t maxSize)
{
    auto message = std::make_shared<ZZApiMessage>();
    if (integerField(fields, "ApiVersion") < 1)
        return message;
    long long type = integerField(fields, "type");
    message->m_type = type >= 0 && type <= std::numeric_limits<unsigned>::max() ? static_cast<unsigned>(type) : 0;
    if (auto data = dataField(fields, "object")) {
        // Only the wrapper may stand here, not any record of the table.
        pf::Value wrapper = unarchive(*data, maxSize, "ZZApiObjectCoderImpl");
        if (auto coder = wrapper.objectAs<ZZApiObjectCoderImpl>())
            message->m_object = coder->obj();
    }
    return message;
}

pf::DictionaryRef ZZApiObjectCoderImpl::archiveDictionary() const
{
    auto fields = pf::Dictionary::create({ { kClassKey, "ZZApiObjectCoderImpl" } });
    if (!m_obj)
        return fields;
    Row row = rowOf(*m_obj);
    for (const RowName& entry : kRowNames)
        if (entry.row == row)
            fields->set("objectType", entry.name);
    fields->set("ApiVersion", integer(1));
    setText(*fields, "title", m_obj->title());
    setText(*fields, "description", m_obj->descriptionValue());
    switch (row) {
    case Row::Text:
        setText(*fields, "text", static_cast<const ZZApiTextObject&>(*m_obj).text());
        break;
    case Row::Image:
    case Row::Extend: {
        auto& extend = static_cast<const ZZApiExtendObject&>(*m_obj);
        setData(*fields, "data", extend.data());
        setData(*fields, "previewImageData", extend.previewImageData());
        break;
    }
    case Row::Audio:
    case Row::Video:
    case Row::News:
    case Row::URL: {
        auto& link = static_cast<const ZZApiURLObject&>(*m_obj);
        fields->set("targetContentType", integer(link.targetContentType()));
        setURL(*fields, "url", link.url());
        setData(*fields, "previewImageData", link.previewImageData());
        break;
    }
    case Row::Result: {
        auto& result = static_cast<const ZZApiResultObject&>(*m_obj);
        setText(*fields, "error", result.error());
        setText(*fields, "errorDescription", result.errorDescription());
        break;
    }
    case Row::Object:
        break;
    }
    return fields;
}

std::shared_ptr<ZZApiObjectCoderImpl> ZZApiObjectCoderImpl::decode(const pf::Dictionary& fields)
{
    auto coder = std::make_shared<ZZApiObjectCoderImpl>();
    auto name = textField(fields, "objectType");
    if (!name)
        return coder;
    const RowName* found = nullptr;
    for (const RowName& entry : kRowNames)
        if (*name == entry.name)
            found = &entry;
    if (!found)
        return coder;
    auto object = makeObject(found->row);
    coder->m_obj = object;
    if (integerField(fields, "ApiVersion") < 1)
        return coder;
    object->setTitle(textField(fields, "title"));
    object->setDescription(textField(fields, "description"));
    switch (found->row) {
    case Row::Text:
        static_cast<ZZApiTextObject&>(*object).setText(textField(fields, "text"));
        break;
    case Row::Image:
    case Row::Extend: {
        auto& extend = static_cast<ZZApiExtendObject&>(*object);
        extend.setData(dataField(fields, "data"));
        extend.setPreviewImageData(dataField(fields, "previewImageData"));
        break;
    }
    case Row::Audio:
    case Row::Video:
    case Row::News:
    case Row::URL: {
        auto& link = static_cast<ZZApiURLObject&>(*object);
        long long type = integerField(fields, "targetContentType");
        link.setTargetContentType(type >= std::numeric_limits<int>::min() && type <= std::numeric_limits<int>::max()
                                      ? static_cast<int>(type)
                                      : 0);
        link.setUrl(urlField(fields, "url"));
        link.setPreviewImageData(dataField(fields, "previewImageData"));
        break;
    }
    case Row::Result: {
        auto& result = static_cast<ZZApiResultObject&>(*object);
        result.setError(textField(fields, "error"));
        result.setErrorDescription(textField(fields, "errorDescription"));
        break;
    }
    case Row::Object:
        break;
    }
    return coder;
}

pf::DictionaryRef ZZApiAdItem::archiveDictionary() const
{
    auto fields = pf::Dictionary::create({ { kClassKey, "ZZApiAdItem" }, { "version", integer(1) } });
    setText(*fields, "title", m_title);
    setText(*fields, "desc", m_description);
    setData(*fields, "imgdata", m_imageData);
    setURL(*fields, "target", m_target);
    return fields;
}

std::shared_ptr<ZZApiAdItem> ZZApiAdItem::decode(const pf::Dictionary& fields)
{
    auto item = std::make_shared<ZZApiAdItem>();
    if (integerField(fields, "version") != 1)
        return item;
    item->m_title = textField(fields, "title");
    item->m_description = textField(fields, "desc");
    item->m_imageData = dataField(fields, "imgdata");
    item->m_target = urlField(fields, "target");
    return item;
}
