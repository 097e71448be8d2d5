#pragma once

// What an application hands to ZZ, and what ZZ answers: a small family of
// plain records that travel inside ZZApiMessage (ZZApiMessage.h) over the
// shared boards and the URL converter. Absent values are nil (empty
// optionals, null arrays), never empty texts. One thread at a time.

#include "platform/foundation/Object.h"
#include "platform/foundation/URL.h"

#include <cstdint>
#include <optional>
#include <string>

class ZZApiObject : public pf::Object {
public:
    const std::optional<std::string>& title() const { return m_title; }
    void setTitle(std::optional<std::string> title) { m_title = std::move(title); }
    // The share's description replaces the object's textual form; the empty
    // text when there is none (descriptionValue() tells nil apart).
    std::string description() const override { return m_description.value_or(std::string()); }
    const std::optional<std::string>& descriptionValue() const { return m_description; }
    void setDescription(std::optional<std::string> description) { m_description = std::move(description); }
    // Carried for ZZ, not interpreted here.
    std::uint64_t cflag() const { return m_cflag; }
    void setCflag(std::uint64_t cflag) { m_cflag = cflag; }

private:
    std::optional<std::string> m_title;
    std::optional<std::string> m_description;
    std::uint64_t m_cflag = 0;
};

class ZZApiTextObject : public ZZApiObject {
public:
    ZZApiTextObject() = default;
    explicit ZZApiTextObject(std::optional<std::string> text) : m_text(std::move(text)) {}
    static std::shared_ptr<ZZApiTextObject> objectWithText(std::optional<std::string> text);
    const std::optional<std::string>& text() const { return m_text; }
    void setText(std::optional<std::string> text) { m_text = std::move(text); }

private:
    std::optional<std::string> m_text;
};

using OptionalBytes = std::optional<pf::Bytes>;
using OptionalText = std::optional<std::string>;
using OptionalURL = std::optional<pf::URL>;

class ZZApiExtendObject : public ZZApiObject {
public:
    ZZApiExtendObject() = default;
    static std::shared_ptr<ZZApiExtendObject> objectWithData(OptionalBytes data, OptionalBytes previewImageData,
                                                             OptionalText title, OptionalText description);
    // Keeps the preview too: a share object that dropped the picture it was
    // given would reach ZZ without one.
    static std::shared_ptr<ZZApiExtendObject> objectWithData(OptionalBytes data, OptionalBytes previewImageData,
                                                             OptionalText title, OptionalText description,
                                                             pf::ArrayRef imageDataArray);

    const OptionalBytes& data() const { return m_data; }
    void setData(OptionalBytes data) { m_data = std::move(data); }
    const OptionalBytes& previewImageData() const { return m_previewImageData; }
    void setPreviewImageData(OptionalBytes data) { m_previewImageData = std::move(data); }
    const pf::ArrayRef& imageDataArray() const { return m_imageDataArray; }
    void setImageDataArray(pf::ArrayRef array) { m_imageDataArray = std::move(array); }

protected:
    void fill(OptionalBytes data, OptionalBytes preview, OptionalText title, OptionalText description,
              pf::ArrayRef images);

private:
    OptionalBytes m_data;
    OptionalBytes m_previewImageData;
    pf::ArrayRef m_imageDataArray;
};

class ZZApiImageObject : public ZZApiExtendObject {
public:
    static std::shared_ptr<ZZApiImageObject> objectWithData(OptionalBytes data, OptionalBytes previewImageData,
                                                            OptionalText title, OptionalText description);
    static std::shared_ptr<ZZApiImageObject> objectWithData(OptionalBytes data, OptionalBytes previewImageData,
                                                            OptionalText title, OptionalText description,
                                                            pf::ArrayRef imageDataArray);
};

class ZZApiResultObject : public ZZApiObject {
public:
    const OptionalText& errorDescription() const { return m_errorDescription; }
    void setErrorDescription(OptionalText text) { m_errorDescription = std::move(text); }
    // A numeric code as text.
    const OptionalText& error() const { return m_error; }
    void setError(OptionalText error) { m_error = std::move(error); }
    const OptionalText& extendInfo() const { return m_extendInfo; }
    void setExtendInfo(OptionalText info) { m_extendInfo = std::move(info); }

private:
    OptionalText m_errorDescription;
    OptionalText m_error;
    OptionalText m_extendInfo;
};

// Target content types: 0 plain link, 1 audio, 2 video, 3 news.
class ZZApiURLObject : public ZZApiObject {
public:
    ZZApiURLObject() = default;
    explicit ZZApiURLObject(OptionalURL url) : m_url(std::move(url)) {}
    static std::shared_ptr<ZZApiURLObject> objectWithURL(OptionalURL url, OptionalText title, OptionalText description,
                                                         OptionalBytes previewImageData, int targetContentType);
    static std::shared_ptr<ZZApiURLObject> objectWithURL(OptionalURL url, OptionalText title, OptionalText description,
                                                         OptionalURL previewImageURL, int targetContentType);
    static std::shared_ptr<ZZApiURLObject> objectWithURL(OptionalURL url, OptionalText title, OptionalText description,
                                                         OptionalBytes previewImageData, pf::ArrayRef imageDataArray,
                                                         int targetContentType);
    static std::shared_ptr<ZZApiURLObject> objectWithURL(OptionalURL url, OptionalText title, OptionalText description,
                                                         OptionalURL previewImageURL, pf::ArrayRef imageUrlArray,
                                                         int targetContentType);

    const OptionalURL& url() const { return m_url; }
    void setUrl(OptionalURL url) { m_url = std::move(url); }
    const OptionalBytes& previewImageData() const { return m_previewImageData; }
    void setPreviewImageData(OptionalBytes data) { m_previewImageData = std::move(data); }
    int targetContentType() const { return m_targetContentType; }
    void setTargetContentType(int type) { m_targetContentType = type; }
    const OptionalURL& previewImageURL() const { return m_previewImageURL; }
    void setPreviewImageURL(OptionalURL url) { m_previewImageURL = std::move(url); }
    const pf::ArrayRef& imageDataArray() const { return m_imageDataArray; }
    void setImageDataArray(pf::ArrayRef array) { m_imageDataArray = std::move(array); }
    const pf::ArrayRef& imageUrlArray() const { return m_imageUrlArray; }
    void setImageUrlArray(pf::ArrayRef array) { m_imageUrlArray = std::move(array); }

protected:
    // An object of class T with the link fields set.
    template <class T> static std::shared_ptr<T> made(OptionalURL url, OptionalText title, OptionalText description,
                                                       int type)
    {
        auto object = std::make_shared<T>();
        object->setUrl(std::move(url));
        object->setTitle(std::move(title));
        object->setDescription(std::move(description));
        object->setTargetContentType(type);
        return object;
    }

private:
    OptionalURL m_url;
    OptionalBytes m_previewImageData;
    int m_targetContentType = 0;
    OptionalURL m_previewImageURL;
    pf::ArrayRef m_imageDataArray;
    pf::ArrayRef m_imageUrlArray;
};

// Audio, video and news: a link whose content type the class fixes (1, 2, 3).
template <class Self, int ContentType> class ZZApiMediaObject : public ZZApiURLObject {
public:
    static std::shared_ptr<Self> objectWithURL(OptionalURL url, OptionalText title, OptionalText description,
                                                           OptionalBytes previewImageData)
    {
        auto object = made<Self>(std::move(url), std::move(title), std::move(description), ContentType);
        object->setPreviewImageData(std::move(previewImageData));
        return object;
    }
    static std::shared_ptr<Self> objectWithURL(OptionalURL url, OptionalText title, OptionalText description,
                                                           OptionalURL previewImageURL)
    {
        auto object = made<Self>(std::move(url), std::move(title), std::move(description), ContentType);
        object->setPreviewImageURL(std::move(previewImageURL));
        return object;
    }
    static std::shared_ptr<Self> objectWithURL(OptionalURL url, OptionalText title, OptionalText description,
                                                           OptionalBytes previewImageData, pf::ArrayRef imageDataArray)
    {
        auto object = objectWithURL(std::move(url), std::move(title), std::move(description), std::move(previewImageData));
        object->setImageDataArray(std::move(imageDataArray));
        return object;
    }
    static std::shared_ptr<Self> objectWithURL(OptionalURL url, OptionalText title, OptionalText description,
                                                           OptionalURL previewImageURL, pf::ArrayRef imageUrlArray)
    {
        auto object = objectWithURL(std::move(url), std::move(title), std::move(description), std::move(previewImageURL));
        object->setImageUrlArray(std::move(imageUrlArray));
        return object;
    }
    const OptionalURL& flashURL() const { return m_flashURL; }
    void setFlashURL(OptionalURL url) { m_flashURL = std::move(url); }

private:
    OptionalURL m_flashURL;
};

class ZZApiAudioObject final : public ZZApiMediaObject<ZZApiAudioObject, 1> {};
class ZZApiVideoObject final : public ZZApiMediaObject<ZZApiVideoObject, 2> {};
class ZZApiNewsObject final : public ZZApiMediaObject<ZZApiNewsObject, 3> {};

class ZZApiPayObject : public ZZApiObject {
public:
    static std::shared_ptr<ZZApiPayObject> objectWithOrderNo(OptionalText orderNo);
    const OptionalText& OrderNo() const { return m_orderNo; }
    void setOrderNo(OptionalText orderNo) { m_orderNo = std::move(orderNo); }

private:
    OptionalText m_orderNo;
};

class ZZApiCommonContentObject : public ZZApiObject {
public:
    static std::shared_ptr<ZZApiCommonContentObject> objectWithLayoutType(unsigned layoutType, pf::ArrayRef textArray,
                                                                          pf::ArrayRef pictureArray,
                                                                          OptionalBytes previewImageData);
    // Null when the dictionary has neither "textArray" nor "pictureArray";
    // values of the wrong type are left out.
    static std::shared_ptr<ZZApiCommonContentObject> objectWithDictionary(const pf::Dictionary& dictionary);
    // "textArray", "pictureArray", "layoutType" and "previewimageData";
    // absent values are left out.
    pf::DictionaryRef toDictionary() const;

    unsigned layoutType() const { return m_layoutType; }
    void setLayoutType(unsigned type) { m_layoutType = type; }
    const OptionalBytes& previewImageData() const { return m_previewImageData; }
    void setPreviewImageData(OptionalBytes data) { m_previewImageData = std::move(data); }
    const pf::ArrayRef& textArray() const { return m_textArray; }
    void setTextArray(pf::ArrayRef array) { m_textArray = std::move(array); }
    const pf::ArrayRef& pictureDataArray() const { return m_pictureDataArray; }
    void setPictureDataArray(pf::ArrayRef array) { m_pictureDataArray = std::move(array); }

private:
    unsigned m_layoutType = 0;
    OptionalBytes m_previewImageData;
    pf::ArrayRef m_textArray;
    pf::ArrayRef m_pictureDataArray;
};

class ZZApiWPAObject : public ZZApiObject {
public:
    static std::shared_ptr<ZZApiWPAObject> objectWithUin(OptionalText uin);
    const OptionalText& uin() const { return m_uin; }
    void setUin(OptionalText uin) { m_uin = std::move(uin); }

private:
    OptionalText m_uin;
};
