#include "sdk/zz/ZZApiObject.h"

#include "platform/foundation/Collections.h"

std::shared_ptr<ZZApiTextObject> ZZApiTextObject::objectWithText(std::optional<std::string> text)
{
    return std::make_shared<ZZApiTextObject>(std::move(text));
}

void ZZApiExtendObject::fill(OptionalBytes data, OptionalBytes preview, OptionalText title, OptionalText description,
                             pf::ArrayRef images)
{
    m_data = std::move(data);
    m_previewImageData = std::move(preview);
    setTitle(std::move(title));
    setDescription(std::move(description));
    m_imageDataArray = std::move(images);
}

std::shared_ptr<ZZApiExtendObject> ZZApiExtendObject::objectWithData(OptionalBytes data, OptionalBytes previewImageData,
                                                                     OptionalText title, OptionalText description)
{
    auto object = std::make_shared<ZZApiExtendObject>();
    object->fill(std::move(data), std::move(previewImageData), std::move(title), std::move(description), nullptr);
    return object;
}

std::shared_ptr<ZZApiExtendObject> ZZApiExtendObject::objectWithData(OptionalBytes data, OptionalBytes previewImageData,
                                                                     OptionalText title, OptionalText description,
                                                                     pf::ArrayRef imageDataArray)
{
    auto object = std::make_shared<ZZApiExtendObject>();
    object->fill(std::move(data), std::move(previewImageData), std::move(title), std::move(description),
                 std::move(imageDataArray));
    return object;
}

std::shared_ptr<ZZApiImageObject> ZZApiImageObject::objectWithData(OptionalBytes data, OptionalBytes previewImageData,
                                                                   OptionalText title, OptionalText description)
{
    return objectWithData(std::move(data), std::move(previewImageData), std::move(title), std::move(description), nullptr);
}

std::shared_ptr<ZZApiImageObject> ZZApiImageObject::objectWithData(OptionalBytes data, OptionalBytes previewImageData,
                                                                   OptionalText title, OptionalText description,
                                                                   pf::ArrayRef imageDataArray)
{
    auto object = std::make_shared<ZZApiImageObject>();
    object->fill(std::move(data), std::move(previewImageData), std::move(title), std::move(description),
                 std::move(imageDataArray));
    return object;
}

std::shared_ptr<ZZApiURLObject> ZZApiURLObject::objectWithURL(OptionalURL url, OptionalText title,
                                                              OptionalText description, OptionalBytes previewImageData,
                                                              int targetContentType)
{
    auto object = made<ZZApiURLObject>(std::move(url), std::move(title), std::move(description), targetContentType);
    object->setPreviewImageData(std::move(previewImageData));
    return object;
}

std::shared_ptr<ZZApiURLObject> ZZApiURLObject::objectWithURL(OptionalURL url, OptionalText title,
                                                              OptionalText description, OptionalURL previewImageURL,
                                                              int targetContentType)
{
    auto object = made<ZZApiURLObject>(std::move(url), std::move(title), std::move(description), targetContentType);
    object->setPreviewImageURL(std::move(previewImageURL));
    return object;
}

std::shared_ptr<ZZApiURLObject> ZZApiURLObject::objectWithURL(OptionalURL url, OptionalText title,
                                                              OptionalText description, OptionalBytes previewImageData,
                                                              pf::ArrayRef imageDataArray, int targetContentType)
{
    auto object = objectWithURL(std::move(url), std::move(title), std::move(description), std::move(previewImageData),
                                targetContentType);
    object->setImageDataArray(std::move(imageDataArray));
    return object;
}

std::shared_ptr<ZZApiURLObject> ZZApiURLObject::objectWithURL(OptionalURL url, OptionalText title,
                                                              OptionalText description, OptionalURL previewImageURL,
                                                              pf::ArrayRef imageUrlArray, int targetContentType)
{
    auto object = objectWithURL(std::move(url), std::move(title), std::move(description), std::move(previewImageURL),
                                targetContentType);
    object->setImageUrlArray(std::move(imageUrlArray));
    return object;
}

std::shared_ptr<ZZApiPayObject> ZZApiPayObject::objectWithOrderNo(OptionalText orderNo)
{
    auto object = std::make_shared<ZZApiPayObject>();
    object->setOrderNo(std::move(orderNo));
    return object;
}

std::shared_ptr<ZZApiWPAObject> ZZApiWPAObject::objectWithUin(OptionalText uin)
{
    auto object = std::make_shared<ZZApiWPAObject>();
    object->setUin(std::move(uin));
    return object;
}

std::shared_ptr<ZZApiCommonContentObject> ZZApiCommonContentObject::objectWithLayoutType(unsigned layoutType,
                                                                                         pf::ArrayRef textArray,
                                                                                         pf::ArrayRef pictureArray,
                                                                                         OptionalBytes previewImageData)
{
    auto object = std::make_shared<ZZApiCommonContentObject>();
    object->m_layoutType = layoutType;
    object->m_textArray = std::move(textArray);
    object->m_pictureDataArray = std::move(pictureArray);
    object->m_previewImageData = std::move(previewImageData);
    return object;
}

std::shared_ptr<ZZApiCommonContentObject> ZZApiCommonContentObject::objectWithDictionary(const pf::Dictionary& dictionary)
{
    if (!dictionary.contains("textArray") && !dictionary.contains("pictureArray"))
        return nullptr;
    OptionalBytes preview;
    if (auto data = dictionary.get("previewimageData").data())
        preview = *data;
    const pf::Value layout = dictionary.get("layoutType");
    unsigned layoutType = layout.isNumber() || layout.isString() ? static_cast<unsigned>(layout.intValue()) : 0;
    return objectWithLayoutType(layoutType, dictionary.array("textArray"), dictionary.array("pictureArray"),
                                std::move(preview));
}

pf::DictionaryRef ZZApiCommonContentObject::toDictionary() const
{
    auto dictionary = pf::Dictionary::create();
    if (m_textArray)
        dictionary->set("textArray", m_textArray);
    if (m_pictureDataArray)
        dictionary->set("pictureArray", m_pictureDataArray);
    dictionary->set("layoutType", pf::Value::number(pf::NumberType::LongLong, static_cast<long long>(m_layoutType)));
    if (m_previewImageData)
        dictionary->set("previewimageData", pf::Value::data(*m_previewImageData));
    return dictionary;
}
